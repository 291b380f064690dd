// SPDX-License-Identifier: GPL-3.0-or-later
// What the capture analysis computes for a full buffer, 8192 samples of X, Y and Z: the
// statistics and the Welch spectrum of each axis, against the bare transforms the spectrum
// cannot do without, on the same data in the same run: the same number of real FFTs of the
// segment length, each segment copied into an aligned buffer as FFTW needs it.
#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "analysis/signal_analysis.h"
#include "ratio.h"

namespace {

constexpr int kSamples = 8192;

// Thread CPU time, as the capture benchmarks take it, and of ten runs the fastest: a run that
// another process cut through pays for refilling the caches, which is the machine's load, not
// this code's cost.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <typename Body>
void CpuTimed(benchmark::State& state, Body body) {
  for (auto _ : state) {
    double fastest = 1e9;
    for (int run = 0; run < 10; ++run) {
      const double start = CpuSeconds();
      body();
      fastest = std::min(fastest, CpuSeconds() - start);
    }
    state.SetIterationTime(fastest);
  }
}

const std::vector<std::vector<double>>& Axes() {
  static const auto axes = [] {
    std::vector<std::vector<double>> a(3, std::vector<double>(kSamples));
    for (int i = 0; i < kSamples; ++i) {
      const double t = i / 1024.0;
      a[0][static_cast<size_t>(i)] = 0.5 * std::sin(2 * std::numbers::pi * 50 * t);
      a[1][static_cast<size_t>(i)] =
          0.2 * std::sin(2 * std::numbers::pi * 123.4 * t) + 0.01 * (i % 7);
      a[2][static_cast<size_t>(i)] = 1 + 0.05 * std::cos(2 * std::numbers::pi * 7 * t);
    }
    return a;
  }();
  return axes;
}

void BM_AnalyzeAxes(benchmark::State& state) {
  const int segment = static_cast<int>(state.range(0));
  CpuTimed(state, [segment] {
    for (const auto& x : Axes()) {
      kva::SignalStats stats = kva::ComputeSignalStats(x);
      kva::Spectrum spectrum = kva::WelchSpectrum(x, 1024, segment);
      benchmark::DoNotOptimize(stats);
      benchmark::DoNotOptimize(spectrum.density.data());
    }
  });
}
BENCHMARK(BM_AnalyzeAxes)->Arg(1024)->Arg(8192)->UseManualTime();

void BM_BareFfts(benchmark::State& state) {
  const int segment = static_cast<int>(state.range(0));
  double* in = fftw_alloc_real(static_cast<size_t>(segment));
  fftw_complex* out = fftw_alloc_complex(static_cast<size_t>(segment / 2 + 1));
  const fftw_plan plan = fftw_plan_dft_r2c_1d(segment, in, out, FFTW_ESTIMATE);
  const int step = segment / 2;
  const int segments = (kSamples - segment) / step + 1;
  CpuTimed(state, [&] {
    for (const auto& x : Axes()) {
      for (int s = 0; s < segments; ++s) {
        std::memcpy(in, x.data() + static_cast<ptrdiff_t>(s) * step,
                    static_cast<size_t>(segment) * sizeof(double));
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
      }
    }
  });
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
}
BENCHMARK(BM_BareFfts)->Arg(1024)->Arg(8192)->UseManualTime();

KVA_BENCH_RATIO("stats + Welch 3 x 8192, 1024-sample segments / bare FFTs",
                "BM_AnalyzeAxes/1024/manual_time", "BM_BareFfts/1024/manual_time", 1.0, 1.5);
KVA_BENCH_RATIO("stats + Welch 3 x 8192, one 8192-sample segment / bare FFTs",
                "BM_AnalyzeAxes/8192/manual_time", "BM_BareFfts/8192/manual_time", 1.0, 1.5);

}  // namespace
