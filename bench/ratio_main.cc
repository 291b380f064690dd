// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark entry point: runs every benchmark, then prints the registered ratios from the
// counters their benchmarks left.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <vector>

#include "ratio.h"

namespace kvabench {
namespace {

std::vector<Ratio>& Ratios() {
  static std::vector<Ratio> ratios;
  return ratios;
}

// Keeps the counters of every benchmark as the table shows them.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
      for (const auto& [name, counter] : run.counters) {
        counters_[run.benchmark_name()][name] = counter.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, std::map<std::string, double>>& counters() const { return counters_; }

 private:
  std::map<std::string, std::map<std::string, double>> counters_;
};

}  // namespace

int RegisterRatio(const Ratio& ratio) {
  Ratios().push_back(ratio);
  return 0;
}

}  // namespace kvabench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  kvabench::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const kvabench::Ratio& r : kvabench::Ratios()) {
    const auto bench = reporter.counters().find(r.benchmark);
    if (bench == reporter.counters().end()) continue;  // filtered out of this run
    const auto counter = bench->second.find(r.counter);
    if (counter == bench->second.end()) continue;
    const double ratio = counter->second / r.factor;
    const bool ok = r.atLeast ? ratio >= r.target : ratio <= r.target;
    std::printf("ratio %-48s %.3f (target %s %.2f) %s\n", r.label.c_str(), ratio,
                r.atLeast ? ">=" : "<=", r.target,
                ok          ? "ok"
                : r.atLeast ? "BELOW TARGET"
                            : "ABOVE TARGET");
  }
  return 0;
}
