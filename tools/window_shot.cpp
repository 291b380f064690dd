// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of one of the configuration windows reading the simulated board (scenario
// bench), for the documentation. Needs no display:
//
//   QT_QPA_PLATFORM=offscreen build/tools/window-shot registers docs/register-browser.png
//
// WINDOW is one of registers, alarms, misc, calibration, rate, gpio, capture, capture-config,
// analysis.
// "capture" sets the capture window's own trigger example (X_Acc above 12 g) with a quarter of the
// buffer as pre-trigger, shocks X, reads the memory and points the mouse at the shock.
// "analysis" captures a 50 Hz vibration on X in white noise and shows its spectrum.
#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "capture/capture_config.h"
#include "capture/capture_readout.h"
#include "capture/frmCapAnalysis.h"
#include "capture/frmCapDisplay.h"
#include "capture/frmCaptConfig.h"
#include "config/fmCalibration.h"
#include "config/frmAlarms.h"
#include "config/frmGPIO.h"
#include "config/frmManualReg.h"
#include "config/frmMscCtrl.h"
#include "config/frmSampPrd.h"
#include "device/board_stimulus.h"
#include "device/bring_up.h"
#include "device/register_map.h"
#include "sim/sim_board.h"
#include "ui/qt_hooks.h"

namespace {

double simSeconds = 100.0;

// Trigger 1 on X above `level` g, 1024-sample events.
kva::TriggerChange TriggerOnX(double level, int preTrigger) {
  kva::TriggerChange change;
  change.lengthCode = 0;
  change.preTrigger = preTrigger;
  change.source[0] = 2;
  change.enabled[0] = true;
  change.level[0] = level;
  change.greater[0] = true;
  return change;
}

// The example trigger, one shock on X seen through it, and the capture window over it.
QWidget& CaptureWindow() {
  using namespace kva;
  WriteTriggerChange(TriggerOnX(12, 4));
  simSeconds += 1.0;
  CurrentBoardStimulus()->Shock(0, 24.0, 12.0);
  simSeconds += 2.0;
  ReadCaptureMemory();
  auto& w = ui::LoadForm<frmCapDisplay>();
  for (int i = 0; i < 3; ++i) w.cmdScale_Click();  // 7 -> 3 -> 1.5 -> 30
  w.Picture1_MouseMove(0, 0, 268.4, 21.3);
  return w;
}

// A 50 Hz, 1.5 g vibration on X in noise on every axis, captured, and the spectrum of event 2.
QWidget& AnalysisWindow() {
  using namespace kva;
  BoardStimulus& board = *CurrentBoardStimulus();
  board.SetVibration(0, 50.0, 1.5, true);
  for (int axis = 0; axis < 3; ++axis) board.SetNoiseDensity(axis, 3000.0 + 1000.0 * axis);
  WriteTriggerChange(TriggerOnX(1, 0));
  simSeconds += 3.5;
  TriggerChange off;
  off.enabled[0] = false;  // no more events: the last one fills up
  WriteTriggerChange(off);
  simSeconds += 1.0;
  ReadCaptureMemory();
  auto& w = ui::ShowForm<frmCapAnalysis>();
  w.cmbEvent->setCurrentIndex(2);
  w.ShowCursor(50);
  return w;
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace kva;
  const std::map<std::string, std::function<QWidget&()>> windows{
      {"registers",
       [] {
         auto& w = ui::ShowForm<frmManualReg>();
         w.cmboRegister->setCurrentIndex(ZACCL_OUT);
         w.cmboRegister_Click();
         return std::ref(static_cast<QWidget&>(w));
       }},
      {"alarms", []() -> QWidget& { return ui::ShowForm<frmAlarms>(); }},
      {"misc", []() -> QWidget& { return ui::ShowForm<frmMscCtrl>(); }},
      {"calibration", []() -> QWidget& { return ui::ShowForm<fmCalibration>(); }},
      {"rate", []() -> QWidget& { return ui::ShowForm<frmSampPrd>(); }},
      {"gpio", []() -> QWidget& { return ui::ShowForm<frmGPIO>(); }},
      {"capture", CaptureWindow},
      {"capture-config", []() -> QWidget& { return ui::ShowForm<frmCaptConfig>(); }},
      {"analysis", AnalysisWindow},
  };
  if (argc != 3 || windows.count(argv[1]) == 0) {
    std::fprintf(
        stderr,
        "usage: window-shot registers|alarms|misc|calibration|rate|gpio|capture|capture-config|"
        "analysis OUT.png\n");
    return 2;
  }
  QApplication app(argc, argv);
  if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);
  ui::InstallQtHooks();

  // A fixed clock, so that the same build draws the same picture.
  SetClockHooks({nullptr, nullptr, [] { return LocalDateTime{2024, 6, 3, 9, 30, 0}; }});
  // Simulated time stands still but for the steps the capture picture takes.
  sim::SimBoardOptions options;
  options.clock = [] { return simSeconds; };
  sim::SimBoard board(options);
  // The picture needs no exact waits, so the delay is not calibrated and waits are counted.
  State().delay.DelayCalibrated = true;
  State().delay.DelayWait = &CountedWait;
  InitRegisterMap();
  State().settings.InterfaceType = Interface::Usb;
  if (!BringUpUsbAdapter()) return 3;

  QWidget& window = windows.at(argv[1])();
  QApplication::processEvents();
  if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
    std::fprintf(stderr, "window-shot: could not write %s\n", argv[2]);
    return 4;
  }
  ui::UnloadAllForms();
  return 0;
}
