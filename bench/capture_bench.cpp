// SPDX-License-Identifier: GPL-3.0-or-later
// A full capture readout (8192 locations, each two reads and one pointer write) through the
// core, against the settle delays it cannot avoid: over the simulated adapter each access
// settles once (24576 x WaitDelay(0.1)); over the simulated parallel port each access settles
// three times (73728 x WaitDelay(0.1)). Both are timed in thread CPU time, as the adapter's
// register read is, so the load of a shared machine does not enter the ratio.
#include <benchmark/benchmark.h>
#include <time.h>

#include "app/delay.h"
#include "app/settings.h"
#include "capture/capture_readout.h"
#include "capture_memory.h"
#include "device/port_io.h"
#include "device/register_map.h"
#include "ratio.h"
#include "sim/sim_ezusb_bus.h"
#include "sim/sim_parallel_port.h"
#include "usbspi/usb_adapter.h"

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void Calibrate() {
  static const bool done = [] {
    kva::CalibrateDelay();
    return true;
  }();
  (void)done;
}

// Each readout is followed by the settles it stands against, so that both see the same share
// of a busy machine; the counter "x_settles" is their ratio.
void TimedReadouts(benchmark::State& state, int settles) {
  double readout = 0, settle = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    kva::ReadCaptureMemory();
    const double middle = CpuSeconds();
    for (int i = 0; i < settles; ++i) kva::WaitDelay(0.1);
    state.SetIterationTime(middle - start);
    readout += middle - start;
    settle += CpuSeconds() - middle;
  }
  state.counters["x_settles"] = readout / settle;
  if (kva::State().capture.CaptureEventsStored != 8 ||
      kva::State().capture.CaptureTraceX.size() != 8145)
    state.SkipWithError("the readout did not walk the whole memory");
}

void BM_CaptureReadoutUsb(benchmark::State& state) {
  Calibrate();
  kvabench::FullCaptureMemory memory;
  kva::sim::SimEzUsbBus bus(memory);
  bus.SetLogging(false);
  kva::SetEzUsbDriver(&bus);
  kva::InitRegisterMap();
  kva::State().settings.InterfaceType = kva::Interface::Usb;
  kva::FindUsbAdapter();
  TimedReadouts(state, 24576);
  kva::SetEzUsbDriver(nullptr);
  kva::State().usb = {};
  kva::State().settings.InterfaceType = kva::Interface::None;
}
BENCHMARK(BM_CaptureReadoutUsb)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_CaptureReadoutLpt(benchmark::State& state) {
  Calibrate();
  kvabench::FullCaptureMemory memory;
  kva::sim::SimParallelPort port(memory);
  kva::InitRegisterMap();
  kva::State().settings.InterfaceType = kva::Interface::Parallel;
  kva::State().settings.PortAddress = 0x378;
  kva::SetPortIo(&port);
  TimedReadouts(state, 73728);
  kva::SetPortIo(nullptr);
  kva::State().settings.InterfaceType = kva::Interface::None;
}
BENCHMARK(BM_CaptureReadoutLpt)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

KVA_BENCH_RATIO("capture readout over simulated adapter / (24576 x WaitDelay(0.1))",
                "BM_CaptureReadoutUsb/iterations:3/manual_time", "x_settles", 1.0, 1.05);
KVA_BENCH_RATIO("capture readout over simulated port / (73728 x WaitDelay(0.1))",
                "BM_CaptureReadoutLpt/iterations:2/manual_time", "x_settles", 1.0, 1.05);

}  // namespace
