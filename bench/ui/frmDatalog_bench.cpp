// SPDX-License-Identifier: GPL-3.0-or-later
// The datalog's pace through its window should be that of the register reads it makes: a run
// of samples with all ten signals and sample delay 0, with the window's yield and progress
// line per sample and the file written at the end, against ten register reads per sample made
// directly on the same simulated adapter.
//
// Both sides are measured in one loop, turn about (a datalog run, then as many ten-register
// reads), so that they share the load of a busy machine and the same delay calibration:
// measured one after the other, the two sides of this ratio drifted by tens of percent with
// the load of the other work on the machine. The counter x_reads is their ratio.
#include <benchmark/benchmark.h>

#include "app/hooks.h"
#include "app/settings.h"
#include "datalog/frmDatalog.h"
#include "device/bring_up.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "ratio.h"
#include "ui_bench.h"

namespace {

using kvabench::TheUiBench;

constexpr int kSamplesPerRun = 1000;  // the window's default file length

// Settings (the USB adapter), register map and the adapter's bring-up, once.
void BringUpAdapter() {
  TheUiBench();
  if (kva::State().usb.UsbReady && kva::State().settings.InterfaceType == kva::Interface::Usb)
    return;
  kva::RunStartupSteps();
  kva::BringUpUsbAdapter();
}

void TenRegisterReads() {
  for (int16_t n = kva::SUPPLY_OUT; n <= kva::XYZ_PK_OUT; ++n) kva::ReadRegister(n);
  benchmark::DoNotOptimize(kva::State().registers.RegRawValue);
}

void BM_DatalogRun(benchmark::State& state) {
  BringUpAdapter();
  auto& w = kva::ui::ShowForm<kva::frmDatalog>();
  for (int k = 1; k <= 10; ++k) w.CheckReg[k]->setChecked(true);
  w.txtSamplesPerFile->setText(QString::number(kSamplesPerRun));
  w.txtFilesPerSession->setText("1");
  w.txtSampleDelay->setText("0");
  kvabench::InTurn(
      state, "x_reads", [&w] { w.cmdStartDatalog_Click(); },
      [] {
        for (int s = 0; s < kSamplesPerRun; ++s) TenRegisterReads();
      },
      kva::MonotonicSeconds);
  kva::ui::UnloadAllForms();
}
BENCHMARK(BM_DatalogRun)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(10.0);

KVA_BENCH_RATIO("datalog sample through the window / 10 register reads",
                "BM_DatalogRun/min_time:10.000/manual_time", "x_reads", 1.0, 1.05);

}  // namespace
