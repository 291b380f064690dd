// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/live_plot.h"

#include "app/number_text.h"

namespace kva {

PlotRange PlotRangeFor(std::string_view caption) {
  const double f = LeadingNumber(caption);
  // A caption without a value would make an empty range; 0..-1 keeps the mapping valid.
  if (f - (-f) == 0.0) return {f, -1.0};
  return {f, -f};
}

PlotScaleLabels ScaleLabelsFor(std::string_view caption) {
  const double f = LeadingNumber(caption);
  return {GeneralText(f), "0", GeneralText(-f)};
}

PlotStep AdvanceLivePlot(LivePlotState& state, std::string_view scaleCaption,
                         const std::array<float, kOutputSampleSlots>& samples,
                         const std::array<bool, 3>& traceOn) {
  PlotStep step;
  const PlotScaleLabels labels = ScaleLabelsFor(scaleCaption);
  step.positiveLabel = labels.positive;
  step.negativeLabel = labels.negative;
  const PlotRange range = PlotRangeFor(scaleCaption);
  step.top = range.top;
  step.bottom = range.bottom;

  state.x += 1;
  if (state.x > kPlotWidthUnits) {
    state.x = 0;
    state.previousX = 0;
  }
  step.eraseX1 = state.x;
  step.eraseX2 = state.x + 1;
  step.cursorX = state.x + 1;

  for (int index = kFirstTrace; index <= kLastTrace; ++index) {
    const size_t i = static_cast<size_t>(index);
    // previous x 0 means "no sample before this one" (start-up, or just wrapped).
    if (traceOn[i - kFirstTrace] && state.previousX != 0) {
      step.segments[static_cast<size_t>(step.segmentCount++)] = {
          index, static_cast<double>(state.previousX), state.previousValue[i],
          static_cast<double>(state.x), samples[i]};
    }
  }
  state.previousX = state.x;
  for (int index = kFirstTrace; index <= kLastTrace; ++index) {
    state.previousValue[static_cast<size_t>(index)] = samples[static_cast<size_t>(index)];
  }
  return step;
}

std::string NextPlotScale(std::string_view caption) {
  if (caption == "30") return "15";
  if (caption == "15") return "7";
  if (caption == "7") return "3";
  if (caption == "3") return "1.5";
  if (caption == "1.5") return "30";
  return std::string(caption);
}

PlotReadout PlotReadoutAt(double x, double y) {
  const double tenths = static_cast<double>(RoundHalfEven(y * 10.0)) / 10.0;
  return {std::to_string(RoundHalfEven(x)), GeneralText(tenths)};
}

}  // namespace kva
