// SPDX-License-Identifier: GPL-3.0-or-later
// Number pictures are formatted for every value the read loop shows; keep them cheap next to
// a plain fixed-point print of the same value.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "app/number_text.h"
#include "ratio.h"

namespace {

void BM_FormatNumberPicture(benchmark::State& state) {
  double v = -0.514;
  for (auto _ : state) {
    std::string s = kva::FormatNumber(v, "0.000");
    benchmark::DoNotOptimize(s);
    v += 0.0001;
  }
}
BENCHMARK(BM_FormatNumberPicture);

void BM_PrintfBaseline(benchmark::State& state) {
  double v = -0.514;
  char buf[64];
  for (auto _ : state) {
    std::snprintf(buf, sizeof buf, "%.3f", v);
    benchmark::DoNotOptimize(buf);
    v += 0.0001;
  }
}
BENCHMARK(BM_PrintfBaseline);

KVA_BENCH_RATIO("FormatNumber(\"0.000\") / snprintf(\"%.3f\")", "BM_FormatNumberPicture",
                "BM_PrintfBaseline", 1.0, 10.0);

}  // namespace
