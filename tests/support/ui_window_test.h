// SPDX-License-Identifier: GPL-3.0-or-later
// Every window and what a window test works with, and the set-up each test starts from: modal
// windows and message boxes through the test hooks, a fresh program state.
#pragma once

#include <QAction>
#include <QMouseEvent>
#include <QTimer>
#include <QtTest>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/run_mode.h"
#include "capture/frmCapAnalysis.h"
#include "capture/frmCapDisplay.h"
#include "capture/frmCaptConfig.h"
#include "config/fmCalibration.h"
#include "config/frmAlarms.h"
#include "config/frmGPIO.h"
#include "config/frmManualReg.h"
#include "config/frmMscCtrl.h"
#include "config/frmSampPrd.h"
#include "datalog/frmDatalog.h"
#include "device/bring_up.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "hostsetup/frmPort.h"
#include "hostsetup/port_access.h"
#include "mainwindow/frmBusyMsg.h"
#include "mainwindow/frmForm1.h"
#include "mainwindow/frmMsg.h"
#include "mainwindow/frmSimBoard.h"
#include "sim/sim_board.h"
#include "support/program_state.h"
#include "support/temp_dir.h"
#include "ui/colors.h"
#include "ui/picture_box.h"
#include "ui/qt_hooks.h"
#include "ui/twips.h"
#include "usbspi/frmUSBdebug.h"
#include "usbspi/frmUSBselect.h"

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
