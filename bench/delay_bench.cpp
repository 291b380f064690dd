// SPDX-License-Identifier: GPL-3.0-or-later
// The waits against the clock they promise, as ratios measured in this run:
// - 10,000 WaitDelay(0.1) each timed on the monotonic clock: the shortest over 100 us must be
//   at least 1 (a settle is never cut short), the median at most 1.05 on a quiet machine;
// - kva7710ctl watch --count 20 --delay 100 on the simulated board: its processor time over
//   its wall time at most 0.10 (the loop delay sleeps instead of holding a core).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/delay.h"
#include "ratio.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void BM_WaitDelay100usSpread(benchmark::State& state) {
  kva::State().delay = {};
  kva::State().delay.DelayCalibrated = true;  // the count does not decide a wait's end
  std::vector<double> seconds(10000);
  for (auto _ : state) {
    for (double& s : seconds) {
      const auto start = Clock::now();
      kva::WaitDelay(0.1);
      s = std::chrono::duration<double>(Clock::now() - start).count();
    }
  }
  std::sort(seconds.begin(), seconds.end());
  state.counters["shortest/100us"] = seconds.front() / 100e-6;
  state.counters["median/100us"] = seconds[seconds.size() / 2] / 100e-6;
}
BENCHMARK(BM_WaitDelay100usSpread)->Iterations(1)->Unit(benchmark::kMillisecond);

KVA_BENCH_RATIO("shortest of 10000 WaitDelay(0.1) / 100 us", "BM_WaitDelay100usSpread/iterations:1",
                "shortest/100us", 1.0, 1.0, true);
KVA_BENCH_RATIO("median of 10000 WaitDelay(0.1) / 100 us", "BM_WaitDelay100usSpread/iterations:1",
                "median/100us", 1.0, 1.05);

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

void BM_CtlWatchCpuShare(benchmark::State& state) {
  // A delay cache of this run, so that the tool does not spend seconds calibrating first.
  const auto cache = std::filesystem::temp_directory_path() / "kva7710-delay-bench";
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  std::filesystem::create_directories(cache / "kva7710");
  std::ofstream(cache / "kva7710" / (std::string("delay-") + host))
      << "count 1000\ncalibrated " << static_cast<long long>(std::time(nullptr)) << "\n";
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);

  std::vector<std::string> args = {KVA7710CTL_PATH, "--simulate", "watch", "--count", "20",
                                   "--delay",       "100"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

  double cpu = 0, wall = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("kva7710ctl did not start");
      break;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    wall += std::chrono::duration<double>(Clock::now() - start).count();
    cpu += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("kva7710ctl watch failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  std::filesystem::remove_all(cache);
  state.counters["cpu/wall"] = wall > 0 ? cpu / wall : 0;
}
BENCHMARK(BM_CtlWatchCpuShare)->Iterations(1)->Unit(benchmark::kMillisecond);

KVA_BENCH_RATIO("kva7710ctl watch --count 20 --delay 100: CPU / wall time",
                "BM_CtlWatchCpuShare/iterations:1", "cpu/wall", 1.0, 0.10);

}  // namespace
