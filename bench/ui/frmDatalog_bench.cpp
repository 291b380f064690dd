// The datalog's pace through its window should be that of the register reads it makes: a run
// of samples with all ten signals and sample delay 0, with the window's yield and progress
// line per sample and the file written at the end, against ten register reads made directly
// on the same simulated adapter.
#include <benchmark/benchmark.h>

#include "app/settings.h"
#include "datalog/frmDatalog.h"
#include "device/bring_up.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "ratio.h"
#include "ui_bench.h"

namespace {

using kvabench::TheUiBench;

constexpr int kSamplesPerRun = 1000;

// Settings (the USB adapter), register map and the adapter's bring-up, once.
void BringUpAdapter() {
  TheUiBench();
  if (kva::UsbReady && kva::InterfaceType == 2) return;
  kva::RunStartupSteps();
  kva::BringUpUsbAdapter();
}

void BM_DatalogRun(benchmark::State& state) {
  BringUpAdapter();
  auto& w = kva::ui::ShowForm<kva::frmDatalog>();
  for (int k = 1; k <= 10; ++k) w.CheckReg[k]->setChecked(true);
  w.txtSamplesPerFile->setText(QString::number(kSamplesPerRun));
  w.txtFilesPerSession->setText("1");
  w.txtSampleDelay->setText("0");
  for (auto _ : state) w.cmdStartDatalog_Click();
  kva::ui::UnloadAllForms();
}
// Long runs: the machine is shared, and both sides should see the same mix of load.
BENCHMARK(BM_DatalogRun)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TenRegisterReads(benchmark::State& state) {
  BringUpAdapter();
  for (auto _ : state) {
    for (int16_t n = kva::SUPPLY_OUT; n <= kva::XYZ_PK_OUT; ++n) kva::ReadRegister(n);
    benchmark::DoNotOptimize(kva::RegRawValue);
  }
}
BENCHMARK(BM_TenRegisterReads)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

KVA_BENCH_RATIO("datalog sample through the window / 10 register reads",
                "BM_DatalogRun/min_time:2.000", "BM_TenRegisterReads/min_time:2.000",
                kSamplesPerRun, 1.05);

}  // namespace
