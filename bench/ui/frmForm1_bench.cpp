// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's read loop should cost little more than the register reads it makes: one
// pass (ten output registers, EVENTS and STATUS) with loop delay 0, against the same twelve
// reads made directly on the same simulated adapter. Also the start-up time to the main
// window, without the delay calibration.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <vector>

#include "app/run_mode.h"
#include "app/settings.h"
#include "device/bring_up.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/frmForm1.h"
#include "ratio.h"
#include "ui/forms.h"
#include "ui_bench.h"

namespace {

using kvabench::TheUiBench;

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

double Median(std::vector<double>& v) {
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// A pass and the twelve reads alone, in turn, so that both meet the same load of a busy
// machine, and the medians, which leave out what a preemption stretched. Prints pass and reads
// in microseconds and their ratio.
void BM_ReadLoopPassInTurn(benchmark::State& state) {
  TheUiBench();
  kva::frmForm1& form = StartMainWindow();
  form.ckLoop->setChecked(false);
  form.txtLoopDelay->setText("0");
  using Clock = std::chrono::steady_clock;
  std::vector<double> pass, reads;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    form.cmdReadData_Click();
    const auto t1 = Clock::now();
    for (int16_t n = kva::SUPPLY_OUT; n <= kva::XYZ_PK_OUT; ++n) kva::ReadRegister(n);
    kva::ReadRegister(kva::EVENTS);
    kva::ReadRegister(kva::STATUS);
    const auto t2 = Clock::now();
    pass.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    reads.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
  }
  const double p = Median(pass), r = Median(reads);
  state.counters["pass_us"] = p;
  state.counters["reads_us"] = r;
  state.counters["ratio"] = p / r;
}
BENCHMARK(BM_ReadLoopPassInTurn)->Unit(benchmark::kMicrosecond)->MinTime(4.0);

KVA_BENCH_RATIO("main window read pass / 12 register reads", "BM_ReadLoopPassInTurn/min_time:4.000",
                "ratio", 1.0, 1.10);

// Includes the load handler's fixed 100 ms settling wait; the calibration is not included.
void BM_StartupToMainWindow(benchmark::State& state) {
  TheUiBench();
  for (auto _ : state) StartMainWindow();
  kva::ui::UnloadAllForms();
}
BENCHMARK(BM_StartupToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
