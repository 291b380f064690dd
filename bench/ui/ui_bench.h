// SPDX-License-Identifier: GPL-3.0-or-later
// What every window benchmark runs on: one application (offscreen unless a platform is
// named), message boxes and modal windows answered at once, a scratch working folder whose
// CommPort.cfg selects the USB adapter, a calibrated delay and one simulated board.
#pragma once

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/delay.h"
#include "sim/sim_board.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"

namespace kvabench {

struct UiBench {
  UiBench() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QApplication>(argc, argv);
    kva::ui::InstallQtHooks();
    kva::ui::SetMessageHook([](const std::string&, const std::string&) {});
    kva::ui::SetModalHook([](QWidget&) {});
    kva::ui::SetEndProgramHandler([] {});
    folder = std::filesystem::temp_directory_path() / "kva7710-ui-bench";
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    std::ofstream("CommPort.cfg", std::ios::binary) << "Interface = 2\r\n";
    kva::State().delay.DelayCalibrated = false;
    kva::CalibrateDelay();
    board = std::make_unique<kva::sim::SimBoard>();
  }

  int argc = 1;
  char name[16] = "kva7710_bench";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  std::unique_ptr<kva::sim::SimBoard> board;
  std::filesystem::path folder;
};

// Never destroyed: the windows registry may be gone by the time static objects are.
inline UiBench& TheUiBench() {
  static UiBench* bench = new UiBench;
  return *bench;
}

}  // namespace kvabench
