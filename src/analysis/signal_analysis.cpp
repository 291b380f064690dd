// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/signal_analysis.h"

#include <fftw3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>

#include "app/number_text.h"

namespace kva {
namespace {

// FFTW's own buffers, so that every buffer has the alignment the cached plans were made for.
struct FftwFree {
  void operator()(void* p) const { fftw_free(p); }
};
using RealBuffer = std::unique_ptr<double[], FftwFree>;
using ComplexBuffer = std::unique_ptr<fftw_complex[], FftwFree>;

// Planning is not thread-safe in FFTW and costs more than a transform, so each length is
// planned once, under a lock, and the plan is kept for the life of the program; executing a
// plan on other buffers (fftw_execute_dft_r2c) is thread-safe.
fftw_plan PlanFor(int n) {
  static std::mutex mutex;
  static std::map<int, fftw_plan> plans;
  std::lock_guard lock(mutex);
  auto it = plans.find(n);
  if (it != plans.end()) return it->second;
  RealBuffer in(fftw_alloc_real(static_cast<size_t>(n)));
  ComplexBuffer out(fftw_alloc_complex(static_cast<size_t>(n / 2 + 1)));
  fftw_plan plan = fftw_plan_dft_r2c_1d(n, in.get(), out.get(), FFTW_ESTIMATE);
  plans.emplace(n, plan);
  return plan;
}

// Periodic Hann window of length m (the form whose 50 % overlapped copies add up flat).
const std::vector<double>& HannWindow(int m) {
  static std::mutex mutex;
  static std::map<int, std::vector<double>> windows;
  std::lock_guard lock(mutex);
  std::vector<double>& w = windows[m];
  if (w.empty()) {
    w.resize(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i)
      w[static_cast<size_t>(i)] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / m);
  }
  return w;
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
  double sum = 0, sumSquares = 0;
  s.min = s.max = s.peakValue = x[0];
  s.peakIndex = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double v = x[i];
    sum += v;
    sumSquares += v * v;
    s.min = std::min(s.min, v);
    s.max = std::max(s.max, v);
    if (std::abs(v) > std::abs(s.peakValue)) {
      s.peakValue = v;
      s.peakIndex = static_cast<int>(i);
    }
  }
  const double n = static_cast<double>(x.size());
  s.mean = sum / n;
  // Second pass on the deviations: a large offset (1 g on Z) would swamp the noise in a
  // one-pass sum of squares.
  double deviations = 0;
  for (double v : x) deviations += (v - s.mean) * (v - s.mean);
  s.stdDev = std::sqrt(deviations / n);
  s.rms = std::sqrt(sumSquares / n);
  s.peakToPeak = s.max - s.min;
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

  const std::vector<double>& w = HannWindow(m);
  double windowSum = 0, windowSquares = 0;
  for (double v : w) {
    windowSum += v;
    windowSquares += v * v;
  }
  const fftw_plan plan = PlanFor(n);
  RealBuffer in(fftw_alloc_real(static_cast<size_t>(n)));
  ComplexBuffer out(fftw_alloc_complex(static_cast<size_t>(bins)));
  std::fill(in.get() + m, in.get() + n, 0.0);
  std::vector<double>& power = s.density;  // summed |X_k|^2, scaled below
  for (int seg = 0; seg < s.segments; ++seg) {
    const double* segment = x.data() + static_cast<ptrdiff_t>(seg) * step;
    double sum = 0;
    for (int i = 0; i < m; ++i) sum += segment[i];
    const double mean = sum / m;
    for (int i = 0; i < m; ++i) in[i] = (segment[i] - mean) * w[static_cast<size_t>(i)];
    fftw_execute_dft_r2c(plan, in.get(), out.get());
    for (int k = 0; k < bins; ++k)
      power[static_cast<size_t>(k)] += out[k][0] * out[k][0] + out[k][1] * out[k][1];
  }

  // Density: |X|^2 / (fs * sum w^2); amplitude: a sine of amplitude A gives |X| = A sum(w) / 2.
  // Both one-sided: every bin but DC and Nyquist stands for its negative twin too.
  const double densityScale = 1.0 / (s.segments * sampleRate * windowSquares);
  const double amplitudeScale = 1.0 / (s.segments * windowSum * windowSum);
  for (int k = 0; k < bins; ++k) {
    const bool paired = k != 0 && !(n % 2 == 0 && k == n / 2);
    const double p = power[static_cast<size_t>(k)];
    s.amplitude[static_cast<size_t>(k)] = std::sqrt(p * amplitudeScale) * (paired ? 2 : 1);
    power[static_cast<size_t>(k)] = p * densityScale * (paired ? 2 : 1);
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
  char buffer[64];
  const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                 std::clamp(digits, 1, 17));
  return std::string(buffer, res.ptr);
}

SignalStatsTexts StatsTexts(const SignalStats& s, double step) {
  const int d = StepDecimals(step);
  return {FixedText(s.mean, d + 2), FixedText(s.stdDev, d + 2), FixedText(s.rms, d + 2),
          FixedText(s.min, d),      FixedText(s.max, d),        FixedText(s.peakToPeak, d),
          FixedText(s.peakValue, d)};
}

}  // namespace kva
