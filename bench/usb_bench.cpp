// SPDX-License-Identifier: GPL-3.0-or-later
// A register read over the simulated adapter board costs its 100-microsecond settle delay plus
// the adapter code (open, pipe information, packet, answer, close) and the simulated firmware.
// The extra should stay within a few percent of the delay alone, so the read loops run at the
// pace the delay sets.
//
// The two are timed in turn, in thread CPU time: the delay is a counted spin, so its CPU time is
// what the calibration fixed, while its wall time follows whatever else the machine is running,
// which on a shared machine swamps a difference of a few percent.
#include <benchmark/benchmark.h>

#include "app/delay.h"
#include "app/settings.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "ratio.h"
#include "sim/ezusb_faults.h"
#include "sim/sim_ezusb_bus.h"
#include "sim/spi_slave.h"
#include "usbspi/usb_adapter.h"

namespace {

void CalibrateOnce() {
  static const bool calibrated = [] {
    kva::CalibrateDelay();
    return true;
  }();
  (void)calibrated;
}

// Answers every read command with a fixed word, as a sensor with a steady output would.
class SteadySensor : public kva::sim::SpiSlave {
 public:
  uint16_t PendingAnswer() override { return pending_; }
  uint16_t Transfer(uint16_t mosi) override {
    const uint16_t out = pending_;
    pending_ = (mosi & 0x8000) ? 0 : 0x8123;
    return out;
  }

 private:
  uint16_t pending_ = 0;
};

void BM_UsbRegisterRead(benchmark::State& state) {
  CalibrateOnce();
  SteadySensor sensor;
  kva::sim::SimEzUsbBus bus(sensor);
  bus.SetLogging(false);
  kva::sim::FaultyEzUsbDriver counter(bus);  // no faults armed: it only counts
  kva::SetEzUsbDriver(&counter);
  kva::InitRegisterMap();
  kva::State().settings.InterfaceType = kva::Interface::Usb;
  kva::FindUsbAdapter();
  counter.ClearFaults();
  // Each read is followed by the settle it stands against (counter x_settle).
  kvabench::InTurn(
      state, "x_settle",
      [] {
        kva::ReadRegister(kva::XACCL_OUT);
        benchmark::DoNotOptimize(kva::State().registers.RegRawValue);
      },
      [] { kva::WaitDelay(0.1); }, kvabench::ThreadCpuSeconds);
  const auto reads = static_cast<int64_t>(state.iterations());
  if (!kva::State().usb.UsbReady || kva::State().registers.RegRawValue != 0x0123)
    state.SkipWithError("the read went wrong");
  state.SetItemsProcessed(reads);
  state.counters["requests_per_read"] =
      static_cast<double>(counter.RequestCount()) / static_cast<double>(reads);
  state.counters["opens_per_read"] =
      static_cast<double>(counter.OpenCount()) / static_cast<double>(reads);
  kva::SetEzUsbDriver(nullptr);
  kva::State().usb = {};
  kva::State().settings.InterfaceType = kva::Interface::None;
}
BENCHMARK(BM_UsbRegisterRead)->UseManualTime();

// The adapter's share alone: one two-word exchange, without the settle delay.
void BM_UsbExchangeOnly(benchmark::State& state) {
  SteadySensor sensor;
  kva::sim::SimEzUsbBus bus(sensor);
  bus.SetLogging(false);
  kva::SetEzUsbDriver(&bus);
  kva::FindUsbAdapter();
  kva::State().usb.SpiTxWords[1] = 0x0400;
  kva::State().usb.SpiTxWords[2] = 0;
  for (auto _ : state) {
    uint8_t n = 2;
    kva::UsbSpiTransfer(n);
    benchmark::DoNotOptimize(kva::State().usb.SpiRxWords[2]);
  }
  if (!kva::State().usb.UsbReady || kva::State().usb.SpiRxWords[2] != 0x8123)
    state.SkipWithError("the exchange failed");
  state.SetItemsProcessed(state.iterations());
  kva::SetEzUsbDriver(nullptr);
  kva::State().usb = {};
}
BENCHMARK(BM_UsbExchangeOnly);

KVA_BENCH_RATIO("register read over simulated adapter / WaitDelay(0.1)",
                "BM_UsbRegisterRead/manual_time", "x_settle", 1.0, 1.03);

}  // namespace
