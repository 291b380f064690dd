// SPDX-License-Identifier: GPL-3.0-or-later
// What the capture analysis computes for a full buffer, 8192 samples of X, Y and Z: the
// statistics and the Welch spectrum of each axis, against the bare transforms the spectrum
// cannot do without, on the same data in the same run: the same number of real FFTs of the
// segment length, each segment copied into an aligned buffer as FFTW needs it. Both in thread
// CPU time, in turn.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "analysis/signal_analysis.h"
#include "ratio.h"

namespace {

constexpr int kSamples = 8192;

const std::vector<std::vector<double>>& Axes() {
  static const auto axes = [] {
    std::vector<std::vector<double>> a(3, std::vector<double>(kSamples));
    for (int i = 0; i < kSamples; ++i) {
      const double t = i / 1024.0;
      const auto at = static_cast<size_t>(i);
      a[0][at] = 0.5 * std::sin(2 * std::numbers::pi * 50 * t);
      a[1][at] = 0.2 * std::sin(2 * std::numbers::pi * 123.4 * t) + 0.01 * (i % 7);
      a[2][at] = 1 + 0.05 * std::cos(2 * std::numbers::pi * 7 * t);
    }
    return a;
  }();
  return axes;
}

void BM_AnalyzeAxes(benchmark::State& state) {
  const int segment = static_cast<int>(state.range(0));
  double* in = fftw_alloc_real(static_cast<size_t>(segment));
  fftw_complex* out = fftw_alloc_complex(static_cast<size_t>(segment / 2 + 1));
  const fftw_plan plan = fftw_plan_dft_r2c_1d(segment, in, out, FFTW_ESTIMATE);
  const int step = segment / 2;
  const int segments = (kSamples - segment) / step + 1;
  kvabench::InTurn(
      state, "x_bare_ffts",
      [segment] {
        for (const auto& x : Axes()) {
          kva::SignalStats stats = kva::ComputeSignalStats(x);
          kva::Spectrum spectrum = kva::WelchSpectrum(x, 1024, segment);
          benchmark::DoNotOptimize(stats);
          benchmark::DoNotOptimize(spectrum.density.data());
        }
      },
      [&] {
        for (const auto& x : Axes()) {
          for (int s = 0; s < segments; ++s) {
            std::memcpy(in, x.data() + static_cast<ptrdiff_t>(s) * step,
                        static_cast<size_t>(segment) * sizeof(double));
            fftw_execute(plan);
            benchmark::DoNotOptimize(out);
          }
        }
      },
      kvabench::ThreadCpuSeconds);
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
}
BENCHMARK(BM_AnalyzeAxes)->Arg(1024)->Arg(8192)->UseManualTime();

KVA_BENCH_RATIO("stats + Welch 3 x 8192, 1024-sample segments / bare FFTs",
                "BM_AnalyzeAxes/1024/manual_time", "x_bare_ffts", 1.0, 1.5);
KVA_BENCH_RATIO("stats + Welch 3 x 8192, one 8192-sample segment / bare FFTs",
                "BM_AnalyzeAxes/8192/manual_time", "x_bare_ffts", 1.0, 1.5);

}  // namespace
