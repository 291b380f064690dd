// SPDX-License-Identifier: GPL-3.0-or-later
// A window test on the simulated board: a fresh temporary current folder, the board on a clock
// that moves only when the test moves it, the message boxes ("msg:" text) and modal windows
// ("modal:" class name) met, in order. Dropping it closes every window and resets the state.
#pragma once

#include <QColor>

#include "support/ui_window_test.h"

namespace kvatest {

inline constexpr const char* kUsbSettings = "Interface = 2\r\n";

class WindowRig {
  struct Prepared {
    Prepared() { PrepareWindowTests(); }
  } prepared_;

  static kva::sim::SimBoardOptions SteppedClock(const double& now) {
    kva::sim::SimBoardOptions options;
    options.clock = [&now] { return now; };
    return options;
  }

 public:
  WindowRig() {
    kva::ui::SetMessageHook(
        [this](const std::string& text, const std::string&) { events.push_back("msg:" + text); });
    kva::ui::SetModalHook([this](QWidget& form) {
      events.push_back(std::string("modal:") + form.metaObject()->className());
      if (answerModal) answerModal(form);
    });
  }
  ~WindowRig() { EndWindowTest(); }
  WindowRig(const WindowRig&) = delete;
  WindowRig& operator=(const WindowRig&) = delete;

  void Advance(double seconds) { now += seconds; }

  // The entry procedure's steps after the delay calibration with this settings file (none
  // when empty), then the main window shown.
  kva::frmForm1& StartMainWindow(const std::string& settings = kUsbSettings) {
    if (!settings.empty()) WriteFileBytes("CommPort.cfg", settings);
    kva::RunStartupSteps();
    kva::frmForm1& form = kva::ui::LoadForm<kva::frmForm1>();
    form.show();
    return form;
  }

  TempDir dir;
  double now = 100.0;
  kva::sim::SimBoard board{SteppedClock(now)};
  std::vector<std::string> events;
  std::function<void(QWidget&)> answerModal;  // runs while a modal window is open
};

// How many pixels of column px have colour c.
inline int InColumn(const kva::ui::PictureBox& pic, int px, const QColor& c) {
  int n = 0;
  for (int py = 0; py < pic.AreaSize().height(); ++py) n += pic.PixelAt(px, py) == c;
  return n;
}

}  // namespace kvatest
