// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_plot.h"

#include <cmath>

#include "app/number_text.h"
#include "capture/capture_readout.h"

namespace kva {

std::string NextCaptureScale(std::string_view caption) {
  static constexpr std::string_view kCycle[][2] = {
      {"30", "15"}, {"15", "7"}, {"7", "3"}, {"3", "1.5"}, {"1.5", "30"}};
  for (const auto& step : kCycle) {
    if (caption == step[0]) return std::string(step[1]);
  }
  return std::string(caption);
}

double CaptureFullScale(std::string_view caption) {
  const double fs = LeadingNumber(caption);
  return fs < 1 ? 1 : fs;
}

int CaptureTraceSamples(int bufferCount) {
  return kCaptureLocations - kCaptureHeaderWords * bufferCount;
}

int CaptureEventOfSample(double i, int eventLength) {
  const int samples = eventLength - kCaptureHeaderWords;
  if (samples <= 0) return 0;
  return static_cast<int>(std::floor(i / samples + 1));
}

CapturePlotPlan PlanCapturePlot(int scrollValue, std::string_view scaleCaption, int eventLength) {
  CapturePlotPlan plan;
  plan.fullScale = CaptureFullScale(scaleCaption);
  plan.xEnd = scrollValue;
  plan.xStart = scrollValue - (kCapturePlotSamples - 1);
  plan.minXLabel = std::to_string(plan.xStart - 1);
  plan.maxXLabel = std::to_string(plan.xEnd);
  int previous = 0;
  for (int i = plan.xStart; i <= plan.xEnd; ++i) {
    const int event = CaptureEventOfSample(i, eventLength);
    if (event > previous && previous != 0) plan.boundaries.push_back(i);
    previous = event;
  }
  return plan;
}

CaptureReadout CaptureReadoutAt(double x, double y) {
  return {std::to_string(static_cast<long long>(std::floor(x))), FormatNumber(y, "#.0")};
}

namespace {

// hh:mm from hours * 100 + minutes (or MM/DD from month * 100 + day); "0000" above the limit.
std::string Clock(double value, double limit, const char* separator) {
  if (value > limit) return "0000";
  const double whole = std::floor(static_cast<double>(RoundHalfEven(value)) / 100);
  return FormatNumber(whole, "00") + separator + FormatNumber(value - 100 * whole, "00");
}

}  // namespace

std::string CaptureHeaderText(int& n) {
  const int last = static_cast<int>(State().capture.CaptureHeaders.size()) - 1;
  if (n > last) n = last;
  if (n < 0) n = 0;
  const CaptureHeader h = static_cast<size_t>(n) < State().capture.CaptureHeaders.size()
                              ? State().capture.CaptureHeaders[static_cast<size_t>(n)]
                              : CaptureHeader{};
  return "Event = " + std::to_string(n) + "\r\n" +  //
         "XYZ = " + GeneralText(h.XYZ) + "\r\n" +   //
         "Time = " + Clock(h.Time, 2500, ":") + "\r\n" + "Date = " + Clock(h.Date, 1231, "/") +
         "\r\n" + "Deg C = " + FormatNumber(h.Temp, "0.0") + "\r\n" +
         "Voltage = " + FormatNumber(h.Voltage, "0.000") + "\r\n" +
         "Aux ADC = " + FormatNumber(h.Aux, "0.000") + "\r\n";
}

CaptureLayout LayOutCaptureWindow(const CaptureLayoutInput& in) {
  CaptureLayout l;
  l.width = in.width < kCaptureMinWindowTwips ? kCaptureMinWindowTwips : in.width;
  l.height = in.height < kCaptureMinWindowTwips ? kCaptureMinWindowTwips : in.height;
  l.picWidth = l.width - 1600;
  l.picHeight = l.height - 1400;
  l.bottom = l.picTop + l.picHeight;
  l.right = l.picLeft + l.picWidth;
  l.line1Y = l.bottom;
  l.line2Y = l.picTop + l.picHeight / 2;
  l.line3Y = l.picTop + 20;
  l.xTickTop = l.bottom + 20;
  l.xTickBottom = l.bottom + 220;
  l.lineMaxX = l.right - 40;
  l.fullScaleTop = l.line3Y - 205.0 / 2;
  l.midScaleTop = l.line2Y - 205.0 / 2;
  l.minScaleTop = l.line1Y - 255.0 / 2;
  l.xLabelTop = l.xTickBottom;
  l.maxXLabelLeft = l.lineMaxX - in.maxXLabelWidth;
  l.scrollTop = l.bottom + 150;
  l.scaleButtonTop = l.bottom - 600;
  l.scaleCaptionTop = l.scaleButtonTop - in.scaleCaptionHeight;
  l.fileFrameTop = l.bottom + 90;
  return l;
}

}  // namespace kva
