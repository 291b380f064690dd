// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's strip chart of X, Y and Z: where each sample goes, what is wiped ahead of
// it and which segments join it to the previous sample, in plot units (x 0..350, y from the
// full scale at the top to its negative at the bottom). The window only paints what this
// decides.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "mainwindow/output_pass.h"

namespace kva {

inline constexpr int kPlotWidthUnits = 350;
inline constexpr int kFirstTrace = 2;  // XACCL_OUT; traces 2, 3, 4 are X, Y, Z
inline constexpr int kLastTrace = 4;   // ZACCL_OUT

// Kept for the whole run; only the wrap resets the position.
struct LivePlotState {
  int x = 0;
  int previousX = 0;
  std::array<float, 5> previousValue{};  // indices 2..4 used
};

struct PlotSegment {
  int index = 0;  // 2, 3 or 4
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Everything one sample paints, in order: coordinate system, erase strip, cursor, segments.
struct PlotStep {
  double top = 0;     // user y at the top edge (full scale F)
  double bottom = 0;  // user y at the bottom edge (-F, or -1 when F is 0)
  std::string positiveLabel;
  std::string negativeLabel;
  double eraseX1 = 0, eraseX2 = 0;  // strip from (eraseX1, top) to (eraseX2, bottom)
  double cursorX = 0;               // vertical line from top to bottom
  std::array<PlotSegment, 3> segments{};
  int segmentCount = 0;
};

// Advances the plot by one sample. samples holds the scaled values at indices 2..4 (the read
// pass's array); traceOn[i] tells whether trace 2 + i is drawn. The previous values are kept
// for every trace, drawn or not, so a trace switched back on resumes from the last sample.
PlotStep AdvanceLivePlot(LivePlotState& state, std::string_view scaleCaption,
                         const std::array<float, kOutputSampleSlots>& samples,
                         const std::array<bool, 3>& traceOn);

// The full-scale cycle of the scale button: 30 -> 15 -> 7 -> 3 -> 1.5 -> 30. Any other
// caption stays as it is.
std::string NextPlotScale(std::string_view caption);

// Axis label texts for a scale caption: +F, "0", -F in general number text.
struct PlotScaleLabels {
  std::string positive;
  std::string middle;
  std::string negative;
};
PlotScaleLabels ScaleLabelsFor(std::string_view caption);

// The plot's vertical range for a scale caption; a caption without a value gives 0..-1 so
// the coordinate system stays valid.
struct PlotRange {
  double top = 0;
  double bottom = 0;
};
PlotRange PlotRangeFor(std::string_view caption);

// Mouse read-out: the sample position as a whole number and the value to one decimal.
struct PlotReadout {
  std::string sample;
  std::string value;
};
PlotReadout PlotReadoutAt(double x, double y);

}  // namespace kva
