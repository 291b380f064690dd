// The main window's read loop should cost little more than the register reads it makes: one
// pass (ten output registers, EVENTS and STATUS) with loop delay 0, against the same twelve
// reads made directly on the same simulated adapter. Also the start-up time to the main
// window, without the delay calibration.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/delay.h"
#include "app/run_mode.h"
#include "app/settings.h"
#include "device/bring_up.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/frmForm1.h"
#include "ratio.h"
#include "sim/sim_board.h"
#include "ui/forms.h"
#include "ui/qt_hooks.h"

namespace {

// One application, one simulated board and a calibrated delay for every benchmark here.
struct Bench {
  Bench() {
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
    kva::DelayCalibrated = false;
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
Bench& TheBench() {
  static Bench* bench = new Bench;
  return *bench;
}

// Start-up as the entry procedure does it after the calibration: settings, register map,
// main window loaded (interface bring-up, first reads, first pass) and shown.
kva::frmForm1& StartMainWindow() {
  kva::ui::UnloadAllForms();
  kva::RunStartupSteps();
  kva::frmForm1& form = kva::ui::LoadForm<kva::frmForm1>();
  form.show();
  QCoreApplication::processEvents();
  return form;
}

void BM_ReadLoopPass(benchmark::State& state) {
  TheBench();
  kva::frmForm1& form = StartMainWindow();
  form.ckLoop->setChecked(false);  // one pass per click
  form.txtLoopDelay->setText("0");
  for (auto _ : state) form.cmdReadData_Click();
}
// Long runs: the machine is shared, and both sides should see the same mix of load.
BENCHMARK(BM_ReadLoopPass)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_TransportFloor(benchmark::State& state) {
  TheBench();
  StartMainWindow();
  for (auto _ : state) {
    for (int16_t n = kva::SUPPLY_OUT; n <= kva::XYZ_PK_OUT; ++n) kva::ReadRegister(n);
    kva::ReadRegister(kva::EVENTS);
    kva::ReadRegister(kva::STATUS);
    benchmark::DoNotOptimize(kva::RegRawValue);
  }
}
BENCHMARK(BM_TransportFloor)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

KVA_BENCH_RATIO("main window read pass / 12 register reads", "BM_ReadLoopPass/min_time:2.000",
                "BM_TransportFloor/min_time:2.000", 1.0, 1.10);

// Includes the load handler's fixed 100 ms settling wait; the calibration is not included.
void BM_StartupToMainWindow(benchmark::State& state) {
  TheBench();
  for (auto _ : state) StartMainWindow();
  kva::ui::UnloadAllForms();
}
BENCHMARK(BM_StartupToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
