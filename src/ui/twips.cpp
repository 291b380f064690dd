// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "ui/window_state.h"

namespace kva::ui {
double TwipsDpi() {
  if (Windows().dpiOverride) return *Windows().dpiOverride;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const double dpi = screen->logicalDotsPerInch();
    if (dpi > 0) return dpi;
  }
  return 96.0;
}

void SetTwipsDpiOverride(std::optional<double> dpi) { Windows().dpiOverride = dpi; }

int TwipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips * TwipsDpi() / 1440.0));
}

double PixelsToTwips(int pixels) { return pixels * 1440.0 / TwipsDpi(); }

TwipsRect GeometryTwips(const QWidget& w) {
  // A top-level window is placed by its frame; a child by its own rectangle.
  const QRect r = w.isWindow() ? QRect(w.pos(), w.frameGeometry().size()) : w.geometry();
  return {PixelsToTwips(r.x()), PixelsToTwips(r.y()), PixelsToTwips(r.width()),
          PixelsToTwips(r.height())};
}

void MoveTwips(QWidget& w, std::optional<double> left, std::optional<double> top,
               std::optional<double> width, std::optional<double> height) {
  const QPoint pos = w.isWindow() ? w.pos() : w.geometry().topLeft();
  const int x = left ? TwipsToPixels(*left) : pos.x();
  const int y = top ? TwipsToPixels(*top) : pos.y();
  w.move(x, y);
  if (width || height) {
    // Sizes are of the outer frame for a window; the frame's decorations come off the client.
    const QSize extra = w.isWindow() ? w.frameGeometry().size() - w.size() : QSize(0, 0);
    const int cw = width ? std::max(0, TwipsToPixels(*width) - extra.width()) : w.width();
    const int ch = height ? std::max(0, TwipsToPixels(*height) - extra.height()) : w.height();
    w.resize(cw, ch);
  }
}

}  // namespace kva::ui
