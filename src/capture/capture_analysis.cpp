// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_analysis.h"

#include <algorithm>
#include <cmath>

#include "capture/capture_readout.h"
#include "config/sample_period.h"

namespace kva {
namespace {

const std::vector<double>& Trace(int axis) {
  static const std::vector<double>* const traces[3] = {&State().capture.CaptureTraceX,
                                                       &State().capture.CaptureTraceY,
                                                       &State().capture.CaptureTraceZ};
  return *traces[axis];
}

const CaptureGrid& Grid(int axis) {
  static const CaptureGrid* const grids[3] = {&State().capture.CaptureX, &State().capture.CaptureY,
                                              &State().capture.CaptureZ};
  return *grids[axis];
}

}  // namespace

int CaptureEventsRead() {
  return std::min<int>(State().capture.CaptureEventsStored, State().capture.CaptureBufferCount);
}

std::vector<double> CaptureAxisSamples(int axis, int event) {
  const int perEvent = State().capture.CaptureEventLength - kCaptureHeaderWords;
  const int events = CaptureEventsRead();
  if (perEvent <= 0 || event < 0 || event > events) return {};
  if (event == 0) {
    const std::vector<double>& trace = Trace(axis);
    const size_t end = std::min(trace.size(), static_cast<size_t>(events) * perEvent + 1);
    return end > 1 ? std::vector<double>(trace.begin() + 1, trace.begin() + end)
                   : std::vector<double>{};
  }
  std::vector<double> x(static_cast<size_t>(perEvent));
  for (int j = 1; j <= perEvent; ++j) x[static_cast<size_t>(j - 1)] = Grid(axis)(event, j);
  return x;
}

double CaptureSampleRate() {
  return State().capture.CaptureSmplPrd < 0 ? 0.0 : RateForSmplPrd(State().capture.CaptureSmplPrd);
}

AxisAnalysis AnalyseSamples(std::span<const double> x, const AnalysisRequest& r) {
  AxisAnalysis a;
  a.stats = ComputeSignalStats(x);
  a.spectrum = WelchSpectrum(x, r.sampleRate, r.segmentLength);
  a.peak = HighestPeak(a.spectrum);
  a.bandRms = BandRms(a.spectrum, r.bandLoHz, r.bandHiHz);
  a.bandDensity = BandNoiseDensity(a.spectrum, r.bandLoHz, r.bandHiHz);
  return a;
}

std::array<std::string, kAnalysisRows> AnalysisColumnTexts(const AxisAnalysis& a, bool oneEvent) {
  const SignalStats& s = a.stats;
  const bool any = s.count > 0;
  const SignalStatsTexts g = StatsTexts(s, kCaptureStepG);
  const double rate = a.spectrum.sampleRate;
  return {std::to_string(s.count),
          any ? g.mean : "",
          any ? g.stdDev : "",
          any ? g.rms : "",
          any ? g.min : "",
          any ? g.max : "",
          any ? g.peakToPeak : "",
          any ? g.peakValue : "",
          any ? std::to_string(s.peakIndex + 1) : "",
          any && oneEvent && rate > 0 ? FixedText(1000.0 * s.peakIndex / rate, 2) : "",
          a.peak.bin > 0 ? SignificantText(a.peak.frequency, 6) : "",
          a.peak.bin > 0 ? SignificantText(a.peak.amplitude) : "",
          any ? SignificantText(a.bandRms) : "",
          any ? SignificantText(a.bandDensity * 1e6) : ""};
}

double SpectrumPlotValue(const Spectrum& s, size_t bin, bool density) {
  return density ? std::sqrt(s.density[bin]) * 1e6 : s.amplitude[bin];
}

size_t NearestBin(const Spectrum& s, double hz) {
  if (s.frequency.empty() || !(s.binHz > 0)) return 0;
  const double k = std::round(hz / s.binHz);
  return static_cast<size_t>(std::clamp(k, 0.0, static_cast<double>(s.frequency.size() - 1)));
}

namespace {

std::string ValueWithUnit(double v, bool density) {
  return SignificantText(v) + (density ? " ug/\u221AHz" : " g");
}

}  // namespace

std::string SpectrumCursorText(const std::vector<std::pair<std::string, const Spectrum*>>& axes,
                               double hz, bool density) {
  if (axes.empty() || axes.front().second->frequency.empty()) return {};
  const size_t bin = NearestBin(*axes.front().second, hz);
  std::string text = FixedText(axes.front().second->frequency[bin], 2) + " Hz";
  for (const auto& [name, s] : axes) {
    text += "  " + name + " " + ValueWithUnit(SpectrumPlotValue(*s, bin, density), density);
  }
  return text;
}

std::string HighestPeakText(const std::vector<std::pair<std::string, const AxisAnalysis*>>& axes,
                            bool density) {
  const std::pair<std::string, const AxisAnalysis*>* best = nullptr;
  for (const auto& axis : axes) {
    if (axis.second->peak.bin > 0 &&
        (!best || axis.second->peak.amplitude > best->second->peak.amplitude)) {
      best = &axis;
    }
  }
  if (!best) return "Highest peak: none";
  const AxisAnalysis& a = *best->second;
  const size_t bin = static_cast<size_t>(a.peak.bin);
  return "Highest peak: " + best->first + " " + FixedText(a.peak.frequency, 2) + " Hz, " +
         ValueWithUnit(SpectrumPlotValue(a.spectrum, bin, density), density);
}

}  // namespace kva
