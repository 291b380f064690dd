// Set-up every window test starts from: modal windows and message boxes go through the test
// hooks, and the delay needs no calibration run.
#pragma once

#include "app/delay.h"
#include "ui/qt_hooks.h"

namespace kvatest {

inline void PrepareWindowTests() {
  kva::ui::InstallQtHooks();
  kva::DelayCalibrated = true;
  kva::DelayLoopCount = 1;
}

}  // namespace kvatest
