// SPDX-License-Identifier: GPL-3.0-or-later
// Set-up every window test starts from: modal windows and message boxes go through the test
// hooks, the delay needs no calibration run and the program's state is fresh.
#pragma once

#include "app/delay.h"
#include "app/hooks.h"
#include "app/run_mode.h"
#include "app/settings.h"
#include "device/register_access.h"
#include "hostsetup/port_access.h"
#include "support/program_state.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"
#include "usbspi/usb_adapter.h"

namespace kvatest {

inline void PrepareWindowTests() {
  FreshProgramState();
  kva::ui::InstallQtHooks();
}

// Closes every window, then the windows' and the program's state start afresh (the hooks a
// test installed go with them).
inline void EndWindowTest() {
  kva::ui::UnloadAllForms();
  kva::ui::Windows() = {};
  kva::ResetProgramState();
}

}  // namespace kvatest
