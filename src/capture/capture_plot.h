// SPDX-License-Identifier: GPL-3.0-or-later
// What the capture window shows, without the window: the full-scale cycle, the 1024-sample
// window the scroll bar selects with its event boundaries, the event under the mouse, the
// header lines, and where the controls go for a given window size (in twips).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kva {

inline constexpr int kCapturePlotSamples = 1024;  // samples per plot window
inline constexpr double kCaptureMinWindowTwips = 3600;

// The full scale after a click: 30 -> 15 -> 7 -> 3 -> 1.5 -> 30. Another caption stays.
std::string NextCaptureScale(std::string_view caption);
// The full scale a caption stands for: its leading number, at least 1.
double CaptureFullScale(std::string_view caption);

// Samples in the traces, the scroll bar's maximum: 8192 - 6N.
int CaptureTraceSamples(int bufferCount);

// The event that sample (or mouse x) i falls in: Int(i / (L - 6)) + 1; 0 while no event
// length is known.
int CaptureEventOfSample(double i, int eventLength);

struct CapturePlotPlan {
  int xStart = 1, xEnd = kCapturePlotSamples;  // the window's first and last sample
  double fullScale = 7;
  std::string minXLabel, maxXLabel;  // xStart - 1 and xEnd
  std::vector<int> boundaries;       // samples where a new event begins (not the first one)
};
// The plot window ending at the scroll value, with the full scale of the button's caption.
CapturePlotPlan PlanCapturePlot(int scrollValue, std::string_view scaleCaption, int eventLength);

// Trace entry i, 0 outside the trace.
inline double CaptureTraceAt(const std::vector<double>& trace, int i) {
  return i >= 0 && static_cast<size_t>(i) < trace.size() ? trace[static_cast<size_t>(i)] : 0.0;
}

// The sample and value read-outs for a mouse position in plot units.
struct CaptureReadout {
  std::string sample, value;
};
CaptureReadout CaptureReadoutAt(double x, double y);

// The header lines of event n (each ended by CR LF); n above the last header index is lowered
// to it (in the caller's variable too).
std::string CaptureHeaderText(int& n);

// Where the capture window's controls go, in twips. Inputs are the window's inside size and the
// sizes of the two labels that are placed by their own size.
struct CaptureLayoutInput {
  double width = 0, height = 0;
  double scaleCaptionHeight = 0;  // LbLScale
  double maxXLabelWidth = 0;      // LbLMaxX
};
struct CaptureLayout {
  double width = 0, height = 0;  // at least 3600 x 3600
  double picTop = 100, picLeft = 1200, picWidth = 0, picHeight = 0, bottom = 0, right = 0;
  double line1Y = 0, line2Y = 0, line3Y = 0;  // bottom, middle, top ticks
  double xTickTop = 0, xTickBottom = 0, lineMaxX = 0;
  double fullScaleTop = 0, midScaleTop = 0, minScaleTop = 0;
  double xLabelTop = 0, maxXLabelLeft = 0;
  double scrollTop = 0, scaleButtonTop = 0, scaleCaptionTop = 0, fileFrameTop = 0;
};
CaptureLayout LayOutCaptureWindow(const CaptureLayoutInput& in);

}  // namespace kva
