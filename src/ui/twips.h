// SPDX-License-Identifier: GPL-3.0-or-later
// Positions and sizes in twips (1440 per inch) at the screen's logical DPI, as the windows'
// layouts are given. At 96 DPI one pixel is 15 twips.
#pragma once

#include <QPoint>
#include <QRect>
#include <optional>

class QWidget;

namespace kva::ui {

// Logical DPI used for the conversion: the primary screen's, or the override.
double TwipsDpi();
// Tests: a fixed DPI so conversions do not depend on the machine. Empty: the screen's again.
void SetTwipsDpiOverride(std::optional<double> dpi);

// Rounded to the nearest pixel / twip.
int TwipsToPixels(double twips);
double PixelsToTwips(int pixels);

// Window frame geometry of a top-level window (its outer frame), or a child's geometry within
// its parent, in twips.
struct TwipsRect {
  double left = 0, top = 0, width = 0, height = 0;
};
TwipsRect GeometryTwips(const QWidget& w);
// Any part left empty keeps its current value.
void MoveTwips(QWidget& w, std::optional<double> left, std::optional<double> top,
               std::optional<double> width = {}, std::optional<double> height = {});

}  // namespace kva::ui
