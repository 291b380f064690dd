// SPDX-License-Identifier: GPL-3.0-or-later
// Ratios between benchmarks of the same run. A ratio compares the time per iteration of one
// benchmark with that of a baseline benchmark (times a factor), and is printed after all runs
// with its target, so a result never depends on how fast this machine happens to be.
#pragma once

#include <string>

namespace kvabench {

struct Ratio {
  std::string label;
  std::string benchmark;  // numerator: time per iteration of this benchmark
  std::string baseline;   // denominator: time per iteration of this one ...
  double baselineFactor;  // ... times this factor
  double target;          // the ratio should stay at or below this
};

int RegisterRatio(const Ratio& ratio);

}  // namespace kvabench

#define KVA_BENCH_CONCAT2(a, b) a##b
#define KVA_BENCH_CONCAT(a, b) KVA_BENCH_CONCAT2(a, b)
#define KVA_BENCH_RATIO(...) \
  static const int KVA_BENCH_CONCAT(kvaRatio, __LINE__) = ::kvabench::RegisterRatio({__VA_ARGS__})
