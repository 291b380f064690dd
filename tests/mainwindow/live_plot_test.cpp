// SPDX-License-Identifier: GPL-3.0-or-later
// The window tests draw real samples; these cover what the window never reaches on its own.
#include "mainwindow/live_plot.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kva {
namespace {

// Start-up's first pass plots before the scale button has a number on it.
TEST(LivePlot, CaptionWithoutValueKeepsAValidRange) {
  LivePlotState state;
  std::array<float, kOutputSampleSlots> s{};
  s[4] = 1.0f;
  const PlotStep step = AdvanceLivePlot(state, "cmdPlotScale", s, {true, true, true});
  EXPECT_EQ(std::tuple(step.top, step.bottom, step.positiveLabel + step.negativeLabel, state.x),
            std::tuple(0, -1, "00", 1));
  EXPECT_EQ(NextPlotScale("cmdPlotScale") + NextPlotScale("7.0"), "cmdPlotScale7.0");
}

TEST(LivePlot, ReadoutNeverShowsMinusZero) {
  EXPECT_EQ(PlotReadoutAt(0.2, -0.04).value, "0");
  EXPECT_EQ(PlotReadoutAt(349.6, 6.96).sample, "350");
}

}  // namespace
}  // namespace kva
