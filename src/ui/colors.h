// SPDX-License-Identifier: GPL-3.0-or-later
// The program's colours, and back/fore colours of controls that tests can read back.
#pragma once

#include <QColor>

class QWidget;

namespace kva::ui {

inline const QColor kGreen{0, 255, 0};      // a register being read; status "OK"
inline const QColor kRed{255, 0, 0};        // status "Alarm"; X trace mark
inline const QColor kWhite{255, 255, 255};  // text box background
inline const QColor kBlack{0, 0, 0};
inline const QColor kTraceGreen{0, 192, 0};        // Y trace mark
inline const QColor kBlue{0, 0, 255};              // Z trace mark
inline const QColor kCursorGrey{215, 215, 215};    // live plot cursor line
inline const QColor kBoundaryGrey{180, 180, 180};  // capture plot event boundaries
inline const QColor kReadoutGrey{224, 224, 224};   // capture plot sample/value read-outs
inline const QColor kButtonFace{240, 240, 240};    // default face of buttons and labels

// The starting fill of the marks beside the plot check boxes of traces 2, 3, 4 (X, Y, Z), which
// the plots draw each trace with.
inline const QColor& TraceMarkColour(int trace) {
  static const QColor kMarks[3] = {kRed, kTraceGreen, kBlue};
  return kMarks[trace - 2];
}

// Background of a label, frame, button, text box or window. Sets the colour role the control
// paints its background with and makes it paint it.
void SetBackColor(QWidget& w, const QColor& c);
QColor BackColor(const QWidget& w);

void SetForeColor(QWidget& w, const QColor& c);
QColor ForeColor(const QWidget& w);

void SetFontBold(QWidget& w, bool bold);

}  // namespace kva::ui
