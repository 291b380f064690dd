// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_plot.h"

#include <gtest/gtest.h>

#include "capture/capture_readout.h"
#include "support/program_state.h"

namespace kva {
namespace {

using CapturePlot = kvatest::ProgramStateTest;

TEST_F(CapturePlot, ScaleCycleAndWindowEdges) {
  std::string scale = "7";
  std::string seen;
  for (int i = 0; i < 5; ++i) seen += (scale = NextCaptureScale(scale)) + " ";
  EXPECT_EQ(seen, "3 1.5 30 15 7 ");
  EXPECT_EQ(CaptureFullScale("0.5"), 1.0);

  // L = 1024: 1018 samples per event; the mouse at 1017.9 is still over event 1.
  EXPECT_EQ(CaptureEventOfSample(1017.9, 1024), 1);
  EXPECT_EQ(CaptureEventOfSample(1018, 1024), 2);
  EXPECT_EQ(CaptureEventOfSample(500, 0), 0);  // nothing read yet

  const CapturePlotPlan start = PlanCapturePlot(1024, "7", 1024);
  EXPECT_EQ(start.minXLabel + "|" + start.maxXLabel, "0|1024");
  EXPECT_EQ(start.boundaries, std::vector<int>{1018});
  // A window starting on a multiple of L - 6 has no line on its first sample.
  EXPECT_EQ(PlanCapturePlot(2036 + 1023, "1.5", 1024).boundaries, std::vector<int>{3054});
  EXPECT_EQ(PlanCapturePlot(1024, "3", 8).boundaries.size(), 512u);  // every even sample
}

TEST_F(CapturePlot, HeaderLines) {
  State().capture.CaptureHeaders.assign(3, CaptureHeader{});
  State().capture.CaptureHeaders[1] = {2.5, 905, 415, 24.46, 3.3, 0.5};
  State().capture.CaptureHeaders[2] = {0.2, 2600, 1301, -50.264, 0, 0};
  int n = 1;
  EXPECT_EQ(CaptureHeaderText(n),
            "Event = 1\r\nXYZ = 2.5\r\nTime = 09:05\r\nDate = 04/15\r\nDeg C = 24.5\r\n"
            "Voltage = 3.300\r\nAux ADC = 0.500\r\n");
  n = 7;  // above the last index: lowered, in the caller's variable too
  EXPECT_EQ(CaptureHeaderText(n),
            "Event = 2\r\nXYZ = 0.2\r\nTime = 0000\r\nDate = 0000\r\nDeg C = -50.3\r\n"
            "Voltage = 0.000\r\nAux ADC = 0.000\r\n");
  EXPECT_EQ(n, 2);
}

TEST_F(CapturePlot, ReadoutAndLayout) {
  const CaptureReadout r = CaptureReadoutAt(2, -1.26);
  EXPECT_EQ(r.sample + " " + r.value, "2 -1.3");
  EXPECT_EQ(CaptureTraceSamples(8), 8144);
  const auto fields = [](const CaptureLayout& l) {
    return std::vector<double>{l.width,          l.height,          l.picTop,        l.picLeft,
                               l.picWidth,       l.picHeight,       l.bottom,        l.right,
                               l.line1Y,         l.line2Y,          l.line3Y,        l.xTickTop,
                               l.xTickBottom,    l.lineMaxX,        l.fullScaleTop,  l.midScaleTop,
                               l.minScaleTop,    l.xLabelTop,       l.maxXLabelLeft, l.scrollTop,
                               l.scaleButtonTop, l.scaleCaptionTop, l.fileFrameTop};
  };
  EXPECT_EQ(fields(LayOutCaptureWindow({14200, 6000, 255, 600})),
            (std::vector<double>{14200,  6000, 100,   1200, 12600, 4600,  4700, 13800,
                                 4700,   2400, 120,   4720, 4920,  13760, 17.5, 2297.5,
                                 4572.5, 4920, 13160, 4850, 4100,  3845,  4790}));
}

}  // namespace
}  // namespace kva
