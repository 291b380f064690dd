// SPDX-License-Identifier: GPL-3.0-or-later
// Ratios measured in one run. A ratio times its two sides in turn, inside one benchmark, so
// that both meet the same load of a busy machine and the same delay calibration: the
// benchmark leaves the ratio in one of its counters, and after all runs each registered ratio
// is printed from that counter with its target. A result thus never depends on how fast this
// machine happens to be, and the verdict line repeats the figure of the table, never another.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <string>

namespace kvabench {

struct Ratio {
  std::string label;
  std::string benchmark;  // the benchmark that times both sides in turn ...
  std::string counter;    // ... and leaves their ratio in this counter
  double factor;          // the ratio printed is the counter / this factor
  double target;          // the ratio should stay at or below this ...
  bool atLeast = false;   // ... or, when set, at or above it
};

int RegisterRatio(const Ratio& ratio);

inline double WallSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// This thread's CPU time: a counted spin costs what the calibration fixed, however busy the
// machine is.
inline double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Runs a, then b, once per iteration. The iteration's time (manual time) is a's; the counter
// `name` is a's total over b's.
template <typename A, typename B>
void InTurn(benchmark::State& state, const char* name, A a, B b, double (*now)() = WallSeconds) {
  double aSeconds = 0, bSeconds = 0;
  for (auto _ : state) {
    const double t0 = now();
    a();
    const double t1 = now();
    b();
    const double t2 = now();
    state.SetIterationTime(t1 - t0);
    aSeconds += t1 - t0;
    bSeconds += t2 - t1;
  }
  state.counters[name] = aSeconds / bSeconds;
}

}  // namespace kvabench

#define KVA_BENCH_CONCAT2(a, b) a##b
#define KVA_BENCH_CONCAT(a, b) KVA_BENCH_CONCAT2(a, b)
#define KVA_BENCH_RATIO(...) \
  static const int KVA_BENCH_CONCAT(kvaRatio, __LINE__) = ::kvabench::RegisterRatio({__VA_ARGS__})
