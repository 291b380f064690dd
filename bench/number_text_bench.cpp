// SPDX-License-Identifier: GPL-3.0-or-later
// Number pictures are formatted for every value the read loop shows; keep them cheap next to
// a plain fixed-point print of the same value.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "app/number_text.h"
#include "ratio.h"

namespace {

// In batches of 100 values, each format in turn (a single call is too short to time alone).
void BM_FormatNumberPicture(benchmark::State& state) {
  constexpr int kBatch = 100;
  double v = -0.514;
  char buf[64];
  kvabench::InTurn(
      state, "x_printf",
      [&v] {
        for (int i = 0; i < kBatch; ++i) {
          std::string s = kva::FormatNumber(v + i * 0.0001, "0.000");
          benchmark::DoNotOptimize(s);
        }
      },
      [&v, &buf] {
        for (int i = 0; i < kBatch; ++i) {
          std::snprintf(buf, sizeof buf, "%.3f", v + i * 0.0001);
          benchmark::DoNotOptimize(buf);
        }
        v += kBatch * 0.0001;
      });
}
BENCHMARK(BM_FormatNumberPicture)->UseManualTime();

KVA_BENCH_RATIO("FormatNumber(\"0.000\") / snprintf(\"%.3f\")",
                "BM_FormatNumberPicture/manual_time", "x_printf", 1.0, 10.0);

}  // namespace
