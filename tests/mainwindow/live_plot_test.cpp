#include "mainwindow/live_plot.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

constexpr std::array<bool, 3> kAllOn{true, true, true};

std::array<float, kOutputSampleSlots> Sample(float x, float y, float z) {
  std::array<float, kOutputSampleSlots> s{};
  s[2] = x;
  s[3] = y;
  s[4] = z;
  return s;
}

TEST(LivePlot, FirstSampleDrawsNoSegmentAndSecondJoinsThem) {
  LivePlotState state;
  PlotStep first = AdvanceLivePlot(state, "7", Sample(0.5f, -1.0f, 1.0f), kAllOn);
  EXPECT_EQ(first.eraseX1, 1);
  EXPECT_EQ(first.eraseX2, 2);
  EXPECT_EQ(first.cursorX, 2);
  EXPECT_EQ(first.segmentCount, 0);
  EXPECT_EQ(first.top, 7);
  EXPECT_EQ(first.bottom, -7);
  EXPECT_EQ(first.positiveLabel, "7");
  EXPECT_EQ(first.negativeLabel, "-7");

  PlotStep second = AdvanceLivePlot(state, "7", Sample(0.25f, -2.0f, 1.5f), kAllOn);
  ASSERT_EQ(second.segmentCount, 3);
  EXPECT_EQ(second.segments[0].index, 2);
  EXPECT_EQ(second.segments[0].x1, 1);
  EXPECT_EQ(second.segments[0].y1, 0.5);
  EXPECT_EQ(second.segments[0].x2, 2);
  EXPECT_EQ(second.segments[0].y2, 0.25);
  EXPECT_EQ(second.segments[1].index, 3);
  EXPECT_EQ(second.segments[1].y1, -1.0);
  EXPECT_EQ(second.segments[1].y2, -2.0);
  EXPECT_EQ(second.segments[2].index, 4);
  EXPECT_EQ(second.segments[2].y2, 1.5);
}

TEST(LivePlot, WrapsAtTheThreeHundredFiftyFirstSample) {
  LivePlotState state;
  const auto s = Sample(1, 1, 1);
  PlotStep step;
  for (int i = 1; i <= 350; ++i) step = AdvanceLivePlot(state, "7", s, kAllOn);
  EXPECT_EQ(state.x, 350);
  EXPECT_EQ(step.segmentCount, 3);

  step = AdvanceLivePlot(state, "7", s, kAllOn);  // 351st
  EXPECT_EQ(state.x, 0);
  EXPECT_EQ(step.eraseX1, 0);
  EXPECT_EQ(step.eraseX2, 1);
  EXPECT_EQ(step.segmentCount, 0);

  step = AdvanceLivePlot(state, "7", s, kAllOn);  // 352nd, x = 1
  EXPECT_EQ(state.x, 1);
  EXPECT_EQ(step.segmentCount, 0);

  step = AdvanceLivePlot(state, "7", s, kAllOn);  // 353rd joins 1 to 2
  ASSERT_EQ(step.segmentCount, 3);
  EXPECT_EQ(step.segments[0].x1, 1);
  EXPECT_EQ(step.segments[0].x2, 2);
}

TEST(LivePlot, HiddenTraceKeepsItsLastValueForWhenItComesBack) {
  LivePlotState state;
  AdvanceLivePlot(state, "7", Sample(0, 1, 0), kAllOn);
  PlotStep off = AdvanceLivePlot(state, "7", Sample(0, 2, 0), {true, false, true});
  ASSERT_EQ(off.segmentCount, 2);
  EXPECT_EQ(off.segments[0].index, 2);
  EXPECT_EQ(off.segments[1].index, 4);
  PlotStep on = AdvanceLivePlot(state, "7", Sample(0, 3, 0), kAllOn);
  ASSERT_EQ(on.segmentCount, 3);
  EXPECT_EQ(on.segments[1].y1, 2.0);
  EXPECT_EQ(on.segments[1].y2, 3.0);
}

TEST(LivePlot, CaptionWithoutValueKeepsARangeOfOne) {
  LivePlotState state;
  PlotStep step = AdvanceLivePlot(state, "cmdPlotScale", Sample(0, 0, 1), kAllOn);
  EXPECT_EQ(step.top, 0);
  EXPECT_EQ(step.bottom, -1);
  EXPECT_EQ(step.positiveLabel, "0");
  EXPECT_EQ(step.negativeLabel, "0");
  EXPECT_EQ(PlotRangeFor("1.5").top, 1.5);
  EXPECT_EQ(PlotRangeFor("1.5").bottom, -1.5);
}

TEST(LivePlot, ScaleCycleAndLabels) {
  std::string caption = "7";
  std::vector<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    caption = NextPlotScale(caption);
    seen.push_back(caption);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"3", "1.5", "30", "15", "7"}));
  EXPECT_EQ(NextPlotScale("7.0"), "7.0");
  EXPECT_EQ(NextPlotScale("cmdPlotScale"), "cmdPlotScale");
  const PlotScaleLabels labels = ScaleLabelsFor("1.5");
  EXPECT_EQ(labels.positive, "1.5");
  EXPECT_EQ(labels.middle, "0");
  EXPECT_EQ(labels.negative, "-1.5");
}

TEST(LivePlot, MouseReadoutRoundsSampleAndTenths) {
  PlotReadout r = PlotReadoutAt(123.4, -0.26);
  EXPECT_EQ(r.sample, "123");
  EXPECT_EQ(r.value, "-0.3");
  r = PlotReadoutAt(0.2, -0.04);
  EXPECT_EQ(r.sample, "0");
  EXPECT_EQ(r.value, "0");
  r = PlotReadoutAt(349.6, 6.96);
  EXPECT_EQ(r.sample, "350");
  EXPECT_EQ(r.value, "7");
}

}  // namespace
}  // namespace kva
