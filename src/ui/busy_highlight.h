// SPDX-License-Identifier: GPL-3.0-or-later
// Paints controls green while the window works with the sensor, so the user sees which value
// is being read or written. The event loop gets one pass first, so that the colour shows
// before the blocking exchange; the controls get their previous colours (and weight) back
// when the highlight ends.
//
//   {
//     ui::GreenWhileBusy busy({lblXoffset, lblYoffset, lblZoffset});
//     WaitDelay(200);
//     ... reads ...
//   }
#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <utility>
#include <vector>

namespace kva::ui {

class GreenWhileBusy {
 public:
  explicit GreenWhileBusy(std::initializer_list<QWidget*> controls, bool bold = false);
  ~GreenWhileBusy();
  GreenWhileBusy(const GreenWhileBusy&) = delete;
  GreenWhileBusy& operator=(const GreenWhileBusy&) = delete;

 private:
  // A window may be closed during the yield; its controls are then left alone.
  std::vector<std::pair<QPointer<QWidget>, QColor>> saved_;
  bool bold_;
};

}  // namespace kva::ui
