// SPDX-License-Identifier: GPL-3.0-or-later
// What the "Capture Analysis" window computes and shows: the samples of the last readout (all
// events end to end, or one event), their statistics and spectra, and the texts of its table,
// cursor and peak read-outs. The window itself only lays these out.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "analysis/signal_analysis.h"

namespace kva {

// The events the last readout holds: min(EVENTS, N).
int CaptureEventsRead();
// Axis 0 X, 1 Y, 2 Z; event 0 for every event end to end, else 1 .. CaptureEventsRead().
std::vector<double> CaptureAxisSamples(int axis, int event);
// Samples/s from SMPL_PRD as read with the buffer; 0 before a readout.
double CaptureSampleRate();

struct AnalysisRequest {
  int event = 0;  // 0 all events
  double sampleRate = 1024;
  int segmentLength = 1024;
  double bandLoHz = 10, bandHiHz = 400;
};

struct AxisAnalysis {
  SignalStats stats;
  Spectrum spectrum;
  SpectrumPeak peak;
  double bandRms = 0;      // g
  double bandDensity = 0;  // g/sqrt(Hz)
};
AxisAnalysis AnalyseSamples(std::span<const double> x, const AnalysisRequest& r);

// The table: one row per quantity, one column per axis.
inline constexpr const char* kAnalysisRowNames[] = {"Samples",
                                                    "Mean (g)",
                                                    "Std dev (g)",
                                                    "RMS (g)",
                                                    "Min (g)",
                                                    "Max (g)",
                                                    "Peak-to-peak (g)",
                                                    "Peak (g)",
                                                    "Peak at sample",
                                                    "Peak at (ms)",
                                                    "Spectrum peak (Hz)",
                                                    "Spectrum peak (g)",
                                                    "Band RMS (g)",
                                                    "Band density (ug/\u221AHz)"};
inline constexpr int kAnalysisRows = static_cast<int>(std::size(kAnalysisRowNames));
// Values in g as StatsTexts gives them for the capture memory's step; the peak's time (from the
// first sample of the event) only for one event.
std::array<std::string, kAnalysisRows> AnalysisColumnTexts(const AxisAnalysis& a, bool oneEvent);

// What the spectrum plot draws at a bin: the amplitude in g, or the density in ug/sqrt(Hz).
double SpectrumPlotValue(const Spectrum& s, size_t bin, bool density);
// The bin whose frequency is nearest hz.
size_t NearestBin(const Spectrum& s, double hz);
// "50.00 Hz  X 0.4998 g  Y 0.0012 g" for the axes given (name, spectrum).
std::string SpectrumCursorText(const std::vector<std::pair<std::string, const Spectrum*>>& axes,
                               double hz, bool density);
// "Highest peak: X 50.00 Hz, 0.4998 g" (the axis with the largest peak amplitude).
std::string HighestPeakText(const std::vector<std::pair<std::string, const AxisAnalysis*>>& axes,
                            bool density);

}  // namespace kva
