// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/signal_analysis.h"

#include <fftw3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <numeric>
#include <type_traits>

#include "app/number_text.h"

namespace kva {
namespace {

// FFTW's own buffers, so that every buffer has the alignment the cached plans were made for.
struct FftwFree {
  void operator()(void* p) const { fftw_free(p); }
};
using RealBuffer = std::unique_ptr<double[], FftwFree>;
using ComplexBuffer = std::unique_ptr<fftw_complex[], FftwFree>;

struct PlanDestroy {
  void operator()(fftw_plan p) const { fftw_destroy_plan(p); }
};
using Plan = std::unique_ptr<std::remove_pointer_t<fftw_plan>, PlanDestroy>;

// Planning is not thread-safe in FFTW and costs more than a transform, so each length is
// planned once, under a lock, and the plan is kept until the program ends (then destroyed,
// so that nothing FFTW allocated outlives the cache); executing a plan on other buffers
// (fftw_execute_dft_r2c) is thread-safe.
fftw_plan PlanFor(int n) {
  static std::mutex mutex;
  static std::map<int, Plan> plans;
  std::lock_guard lock(mutex);
  auto it = plans.find(n);
  if (it != plans.end()) return it->second.get();
  RealBuffer in(fftw_alloc_real(static_cast<size_t>(n)));
  ComplexBuffer out(fftw_alloc_complex(static_cast<size_t>(n / 2 + 1)));
  Plan& plan = plans[n];
  plan.reset(fftw_plan_dft_r2c_1d(n, in.get(), out.get(), FFTW_ESTIMATE));
  return plan.get();
}

// A thread's transform buffers, kept from call to call for the last segment length: freeing
// and allocating them on every call made the allocator return their pages to the system and
// fault them in again, which cost more than the transforms.
struct Scratch {
  int n = 0;
  RealBuffer in;
  ComplexBuffer out;
  std::unique_ptr<double[]> squares;  // re^2, im^2 per bin, summed over the segments
};

Scratch& ScratchFor(int n) {
  thread_local Scratch scratch;
  if (scratch.n != n) {
    const auto bins = static_cast<size_t>(n / 2 + 1);
    scratch.in.reset(fftw_alloc_real(static_cast<size_t>(n)));
    scratch.out.reset(fftw_alloc_complex(bins));
    scratch.squares.reset(new double[2 * bins]);
    scratch.n = n;
  }
  return scratch;
}

// Periodic Hann window of length m (the form whose 50 % overlapped copies add up flat), with
// the sums that scale the spectrum.
struct HannWindow {
  std::vector<double> w;
  double sum = 0, squares = 0;
  double bin1Re = 0, bin1Im = 0;  // the window's DFT at bin 1 (at bin 0 it is sum)
};

const HannWindow& HannWindowOf(int m) {
  static std::mutex mutex;
  static std::map<int, HannWindow> windows;
  std::lock_guard lock(mutex);
  HannWindow& window = windows[m];
  if (window.w.empty()) {
    window.w.resize(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i) {
      const double v = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / m);
      window.w[static_cast<size_t>(i)] = v;
      window.sum += v;
      window.squares += v * v;
      window.bin1Re += v * std::cos(2 * std::numbers::pi * i / m);
      window.bin1Im -= v * std::sin(2 * std::numbers::pi * i / m);
    }
  }
  return window;
}

// The loops over every sample and every bin. FFTW runs its transforms in the widest vector
// instructions the processor has; these loops get an AVX2 build too, picked when the program
// loads, or they alone would cost as much as the transforms. Sums run in independent lanes:
// one running sum waits on each add before the next.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KVA_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KVA_VECTOR_CLONES
#endif
constexpr size_t kLanes = 8;

struct SumMinMax {
  double sum, min, max;
};

KVA_VECTOR_CLONES SumMinMax SumMinMaxOf(const double* x, size_t n) {
  constexpr size_t kStatLanes = 4;
  double sum[kStatLanes] = {}, low[kStatLanes], high[kStatLanes];
  std::fill(std::begin(low), std::end(low), x[0]);
  std::fill(std::begin(high), std::end(high), x[0]);
  size_t i = 0;
#if defined(__GNUC__) && !defined(__clang__)
  // The compiler keeps minimum and maximum lanes in scalar registers; spelled as vectors
  // they run four at a time.
  using Lanes = double __attribute__((vector_size(kStatLanes * sizeof(double))));
  Lanes vSum{}, vLow = Lanes{} + x[0], vHigh = vLow;
  for (; i + kStatLanes <= n; i += kStatLanes) {
    Lanes v;
    std::memcpy(&v, x + i, sizeof v);
    vSum += v;
    vLow = v < vLow ? v : vLow;
    vHigh = v > vHigh ? v : vHigh;
  }
  // Copied out rather than passed to a helper: a function without the AVX2 target takes a
  // 32-byte vector argument in another way than this clone passes it (unoptimised builds, where
  // nothing is inlined, read garbage).
  std::memcpy(sum, &vSum, sizeof vSum);
  std::memcpy(low, &vLow, sizeof vLow);
  std::memcpy(high, &vHigh, sizeof vHigh);
#endif
  for (; i + kStatLanes <= n; i += kStatLanes) {
    for (size_t k = 0; k < kStatLanes; ++k) {
      sum[k] += x[i + k];
      low[k] = std::min(x[i + k], low[k]);
      high[k] = std::max(x[i + k], high[k]);
    }
  }
  for (size_t k = 0; i < n; ++i, ++k) {
    sum[k] += x[i];
    low[k] = std::min(x[i], low[k]);
    high[k] = std::max(x[i], high[k]);
  }
  return {std::accumulate(std::begin(sum), std::end(sum), 0.0),
          *std::min_element(std::begin(low), std::end(low)),
          *std::max_element(std::begin(high), std::end(high))};
}

KVA_VECTOR_CLONES double SquaredDeviations(const double* x, size_t n, double mean) {
  double lane[kLanes] = {};
  size_t i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    for (size_t k = 0; k < kLanes; ++k) lane[k] += (x[i + k] - mean) * (x[i + k] - mean);
  }
  for (size_t k = 0; i < n; ++i, ++k) lane[k] += (x[i] - mean) * (x[i] - mean);
  return std::accumulate(std::begin(lane), std::end(lane), 0.0);
}

// in = x w, m a multiple of kLanes; returns the sum of x.
KVA_VECTOR_CLONES double Windowed(const double* x, const double* w, double* in, int m) {
  double lane[kLanes] = {};
  for (int i = 0; i < m; i += static_cast<int>(kLanes)) {
    for (size_t k = 0; k < kLanes; ++k) {
      lane[k] += x[i + k];
      in[i + k] = x[i + k] * w[i + k];
    }
  }
  return std::accumulate(std::begin(lane), std::end(lane), 0.0);
}

// squares (+)= parts^2: the real and imaginary parts side by side, no shuffles. The first
// segment sets them, so the buffer needs no clearing.
KVA_VECTOR_CLONES void AddSquares(const double* parts, double* squares, int count, bool first) {
  if (first) {
    for (int j = 0; j < count; ++j) squares[j] = parts[j] * parts[j];
  } else {
    for (int j = 0; j < count; ++j) squares[j] += parts[j] * parts[j];
  }
}

// The summed squares as density and amplitude: power = re^2 + im^2, density = power d,
// amplitude = sqrt(power a).
KVA_VECTOR_CLONES void Scale(const double* squares, int bins, double d, double a, double* density,
                             double* amplitude) {
  for (int k = 0; k < bins; ++k) {
    const double power = squares[2 * k] + squares[2 * k + 1];
    density[k] = power * d;
    amplitude[k] = std::sqrt(power * a);
  }
}

std::string Number(double value, char decimalMark) {
  std::string text = GeneralText(value);
  if (decimalMark != '.') std::replace(text.begin(), text.end(), '.', decimalMark);
  return text;
}

}  // namespace

SignalStats ComputeSignalStats(std::span<const double> x) {
  SignalStats s;
  s.count = static_cast<int>(x.size());
  if (x.empty()) return s;
  const SumMinMax first = SumMinMaxOf(x.data(), x.size());
  s.min = first.min;
  s.max = first.max;
  s.peakToPeak = s.max - s.min;
  // The peak is the first sample as far from 0 as the farther of the two extremes.
  const double peakAbs = std::max(std::abs(s.min), std::abs(s.max));
  const auto peak =
      std::find_if(x.begin(), x.end(), [peakAbs](double v) { return std::abs(v) == peakAbs; });
  s.peakIndex = static_cast<int>(peak - x.begin());
  s.peakValue = *peak;

  const double n = static_cast<double>(x.size());
  s.mean = first.sum / n;
  // Second pass on the deviations: a large offset (1 g on Z) would swamp the noise in a
  // one-pass sum of squares. The RMS follows from both without another pass.
  s.stdDev = std::sqrt(SquaredDeviations(x.data(), x.size(), s.mean) / n);
  s.rms = std::sqrt(s.mean * s.mean + s.stdDev * s.stdDev);
  return s;
}

Spectrum WelchSpectrum(std::span<const double> x, double sampleRate, int segmentLength) {
  const int n = segmentLength;
  const int bins = n / 2 + 1;
  Spectrum s;
  s.sampleRate = sampleRate;
  s.segmentLength = n;
  s.binHz = sampleRate / n;
  s.frequency.resize(static_cast<size_t>(bins));
  for (int k = 0; k < bins; ++k) s.frequency[static_cast<size_t>(k)] = k * s.binHz;
  s.density.assign(static_cast<size_t>(bins), 0.0);
  s.amplitude.assign(static_cast<size_t>(bins), 0.0);

  // A record shorter than a segment is one segment of its own length, zero-padded to n.
  const int total = static_cast<int>(std::min<size_t>(x.size(), 1u << 30));
  const int m = std::min(total, n);
  if (m < 2) return s;
  const int step = n / 2;
  s.segments = total < n ? 1 : (total - n) / step + 1;

  const HannWindow& window = HannWindowOf(m);
  const double* w = window.w.data();
  const fftw_plan plan = PlanFor(n);
  Scratch& scratch = ScratchFor(n);
  double* in = scratch.in.get();
  fftw_complex* out = scratch.out.get();
  double* squares = scratch.squares.get();
  std::fill(in + m, in + n, 0.0);
  for (int seg = 0; seg < s.segments; ++seg) {
    const double* segment = x.data() + static_cast<ptrdiff_t>(seg) * step;
    if (m == n && m % kLanes == 0) {
      // The mean comes off after the transform: (x - mean) w transforms to X - mean W, and the
      // periodic Hann window's W is zero but at bins 0 and 1 (and -1, not stored). This saves
      // a pass over every segment.
      const double mean = Windowed(segment, w, in, m) / m;
      fftw_execute_dft_r2c(plan, in, out);
      out[0][0] -= mean * window.sum;
      out[1][0] -= mean * window.bin1Re;
      out[1][1] -= mean * window.bin1Im;
    } else {
      const double mean = std::accumulate(segment, segment + m, 0.0) / m;
      for (int i = 0; i < m; ++i) in[i] = (segment[i] - mean) * w[i];
      fftw_execute_dft_r2c(plan, in, out);
    }
    AddSquares(&out[0][0], squares, 2 * bins, seg == 0);
  }

  // Density: |X|^2 / (fs * sum w^2); amplitude: a sine of amplitude A gives |X| = A sum(w) / 2.
  // Both one-sided: every bin but DC and Nyquist stands for its negative twin too, so counts
  // twice; those two are halved again afterwards.
  Scale(squares, bins, 2.0 / (s.segments * sampleRate * window.squares),
        4.0 / (s.segments * window.sum * window.sum), s.density.data(), s.amplitude.data());
  for (int k : {0, n % 2 == 0 ? n / 2 : -1}) {
    if (k < 0) continue;
    s.amplitude[static_cast<size_t>(k)] /= 2;
    s.density[static_cast<size_t>(k)] /= 2;
  }
  return s;
}

SpectrumPeak HighestPeak(const Spectrum& s) {
  SpectrumPeak peak;
  for (size_t k = 1; k < s.amplitude.size(); ++k) {
    if (peak.bin < 0 || s.amplitude[k] > peak.amplitude) {
      peak.bin = static_cast<int>(k);
      peak.amplitude = s.amplitude[k];
    }
  }
  if (peak.bin >= 0) {
    peak.frequency = s.frequency[static_cast<size_t>(peak.bin)];
    peak.density = s.density[static_cast<size_t>(peak.bin)];
  }
  return peak;
}

namespace {

// Sum of the density over the bins inside [loHz, hiHz], and how many there were.
std::pair<double, int> BandSum(const Spectrum& s, double loHz, double hiHz) {
  double sum = 0;
  int count = 0;
  for (size_t k = 0; k < s.density.size(); ++k) {
    if (s.frequency[k] >= loHz && s.frequency[k] <= hiHz) {
      sum += s.density[k];
      ++count;
    }
  }
  return {sum, count};
}

}  // namespace

double BandRms(const Spectrum& s, double loHz, double hiHz) {
  return std::sqrt(BandSum(s, loHz, hiHz).first * s.binHz);
}

double BandNoiseDensity(const Spectrum& s, double loHz, double hiHz) {
  const auto [sum, count] = BandSum(s, loHz, hiHz);
  return count > 0 ? std::sqrt(sum / count) : 0.0;
}

std::string SpectrumCsvText(const std::vector<std::string>& names,
                            const std::vector<const Spectrum*>& spectra, bool density,
                            char separator, char decimalMark) {
  std::string out = "Frequency (Hz)";
  for (const std::string& name : names) out += separator + name;
  out += "\r\n";
  // The spectra share one frequency grid (same rate and segment length).
  if (spectra.empty()) return out;
  const std::vector<double>& frequency = spectra.front()->frequency;
  for (size_t k = 0; k < frequency.size(); ++k) {
    out += Number(frequency[k], decimalMark);
    for (const Spectrum* s : spectra) {
      const std::vector<double>& values = density ? s->density : s->amplitude;
      out += separator;
      if (k < values.size()) out += Number(values[k], decimalMark);
    }
    out += "\r\n";
  }
  return out;
}

int StepDecimals(double step) {
  step = std::abs(step);
  int decimals = 0;
  for (double scaled = step; decimals < 6; ++decimals, scaled *= 10) {
    // Relative to the value: a step given as a float (0.0514f) is only near its decimals.
    if (std::abs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled)) break;
  }
  return decimals;
}

std::string FixedText(double value, int decimals) {
  char buffer[64];
  const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                 std::clamp(decimals, 0, 17));
  std::string text(buffer, res.ptr);
  // A value that rounds to zero shows no sign.
  if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string SignificantText(double value, int digits) {
  digits = std::clamp(digits, 1, 17);
  // A large figure (a noise density of 53290 ug/sqrt(Hz)) reads better in full than as
  // 5.329e+04 beside 5717; only its first digits are kept.
  const double magnitude = std::abs(value);
  if (std::isfinite(value) && magnitude >= std::pow(10.0, digits) && magnitude < 1e15) {
    const double unit = std::pow(10.0, std::floor(std::log10(magnitude)) - digits + 1);
    return FixedText(std::round(value / unit) * unit, 0);
  }
  char buffer[64];
  const auto res =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  return std::string(buffer, res.ptr);
}

SignalStatsTexts StatsTexts(const SignalStats& s, double step) {
  const int d = StepDecimals(step);
  return {FixedText(s.mean, d + 2), FixedText(s.stdDev, d + 2), FixedText(s.rms, d + 2),
          FixedText(s.min, d),      FixedText(s.max, d),        FixedText(s.peakToPeak, d),
          FixedText(s.peakValue, d)};
}

}  // namespace kva
