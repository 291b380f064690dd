// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark entry point: runs every benchmark, then prints the registered ratios.
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

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      seconds_[run.benchmark_name()] =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, double>& seconds() const { return seconds_; }

 private:
  std::map<std::string, double> seconds_;
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
  const auto& seconds = reporter.seconds();
  for (const kvabench::Ratio& r : kvabench::Ratios()) {
    const auto num = seconds.find(r.benchmark);
    const auto den = seconds.find(r.baseline);
    if (num == seconds.end() || den == seconds.end()) continue;  // filtered out of this run
    const double ratio = num->second / (den->second * r.baselineFactor);
    std::printf("ratio %-48s %.3f (target <= %.2f) %s\n", r.label.c_str(), ratio, r.target,
                ratio <= r.target ? "ok" : "ABOVE TARGET");
  }
  return 0;
}
