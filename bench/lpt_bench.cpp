// Register access over the simulated parallel port. Every access spends three 100-microsecond
// settles (read: command frame, data frame, the access's own; write: one after each of its two
// frames, and the access's own), so an access should cost three WaitDelay(0.1) and little more:
// the bit-banging and the simulated port must stay small beside the settles.
#include <benchmark/benchmark.h>

#include <functional>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "device/port_io.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "ratio.h"
#include "sim/kva7710.h"
#include "sim/sim_parallel_port.h"

namespace {

// The delay is calibrated once for the whole program (about four seconds).
void Calibrate(const benchmark::State&) {
  static bool done = false;
  if (done) return;
  done = true;
  kva::ResetDelay();
  kva::CalibrateDelay();
}

// The simulated board on the parallel port, on the system clock.
struct Board {
  Board() {
    kva::InitRegisterMap();
    kva::InterfaceType = 1;
    kva::PortAddress = 0x378;
    kva::SetPortIo(&port);
  }
  ~Board() { kva::SetPortIo(nullptr); }
  kva::sim::Kva7710 sensor{[] { return kva::MonotonicSeconds(); }};
  kva::sim::SimParallelPort port{sensor};
};

void BM_WaitDelay100us(benchmark::State& state) {
  for (auto _ : state) kva::WaitDelay(0.1);
}
BENCHMARK(BM_WaitDelay100us)->Setup(Calibrate);

void BM_LptRegisterRead(benchmark::State& state) {
  Board board;
  for (auto _ : state) {
    kva::ReadRegister(kva::ZACCL_OUT);
    benchmark::DoNotOptimize(kva::RegRawValue);
  }
  state.counters["reads/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LptRegisterRead)->Setup(Calibrate);

void BM_LptRegisterWrite(benchmark::State& state) {
  Board board;
  int32_t value = 0x001F;
  for (auto _ : state) kva::WriteRegister(kva::SMPL_PRD, value);
  state.counters["writes/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LptRegisterWrite)->Setup(Calibrate);

// A device that answers at once, so that what is left is the port alone.
struct Echo : kva::sim::SpiSlave {
  uint16_t PendingAnswer() override { return 0x1E1E; }
  uint16_t Transfer(uint16_t) override { return 0x1E1E; }
};

// A read with the settles taken out, against that device: the bit-banging and the simulated
// port on their own.
void BM_SimPortReadWithoutSettles(benchmark::State& state) {
  Echo device;
  kva::sim::SimParallelPort port(device);
  kva::InitRegisterMap();
  kva::InterfaceType = 1;
  kva::PortAddress = 0x378;
  kva::SetPortIo(&port);
  const int32_t count = kva::DelayLoopCount;
  kva::DelayLoopCount = 0;
  for (auto _ : state) {
    kva::ReadRegister(kva::PROD_ID);
    benchmark::DoNotOptimize(kva::RegRawValue);
  }
  kva::DelayLoopCount = count;
  kva::SetPortIo(nullptr);
}
BENCHMARK(BM_SimPortReadWithoutSettles)->Setup(Calibrate);

KVA_BENCH_RATIO("LPT register read / (3 x WaitDelay(0.1))", "BM_LptRegisterRead",
                "BM_WaitDelay100us", 3.0, 1.05);
KVA_BENCH_RATIO("LPT register write / (3 x WaitDelay(0.1): 2 frame settles + 1 access)",
                "BM_LptRegisterWrite", "BM_WaitDelay100us", 3.0, 1.05);
KVA_BENCH_RATIO("simulated port of a read, settles aside / (3 x WaitDelay(0.1))",
                "BM_SimPortReadWithoutSettles", "BM_WaitDelay100us", 3.0, 0.01);

}  // namespace
