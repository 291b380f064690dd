// SPDX-License-Identifier: GPL-3.0-or-later
// Register access over the simulated parallel port. Every access spends three 100-microsecond
// settles (read: command frame, data frame, the access's own; write: one after each of its two
// frames, and the access's own), so an access should cost three WaitDelay(0.1) and little more:
// the bit-banging and the simulated port must stay small beside the settles. Each access is
// timed in alternation with the three settles it stands against (counter x3settles), so that
// both meet the same load of a busy machine.
#include <benchmark/benchmark.h>

#include <chrono>

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
  kva::State().delay = {};
  kva::CalibrateDelay();
}

// The simulated board on the parallel port, on the system clock.
struct Board {
  Board() {
    kva::InitRegisterMap();
    kva::State().settings.InterfaceType = kva::Interface::Parallel;
    kva::State().settings.PortAddress = 0x378;
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

// Times op in alternation with three WaitDelay(0.1), so that both see the same share of a busy
// machine: the benchmark's time is op's alone, the counter "x3settles" the ratio of the two.
template <typename Op>
void AgainstSettles(benchmark::State& state, Op op, const char* rateName) {
  using Clock = std::chrono::steady_clock;
  double opSeconds = 0, settleSeconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    op();
    const auto t1 = Clock::now();
    kva::WaitDelay(0.1), kva::WaitDelay(0.1), kva::WaitDelay(0.1);
    const auto t2 = Clock::now();
    const double seconds = std::chrono::duration<double>(t1 - t0).count();
    state.SetIterationTime(seconds);
    opSeconds += seconds;
    settleSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters[rateName] =
      benchmark::Counter(static_cast<double>(state.iterations()) / opSeconds);
  state.counters["x3settles"] = benchmark::Counter(opSeconds / settleSeconds);
}

void BM_LptRegisterRead(benchmark::State& state) {
  Board board;
  AgainstSettles(
      state,
      [] {
        kva::ReadRegister(kva::ZACCL_OUT);
        benchmark::DoNotOptimize(kva::State().registers.RegRawValue);
      },
      "reads/s");
}
BENCHMARK(BM_LptRegisterRead)->Setup(Calibrate)->UseManualTime();

void BM_LptRegisterWrite(benchmark::State& state) {
  Board board;
  AgainstSettles(
      state, [] { kva::WriteRegister(kva::SMPL_PRD, 0x001F); }, "writes/s");
}
BENCHMARK(BM_LptRegisterWrite)->Setup(Calibrate)->UseManualTime();

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
  kva::State().settings.InterfaceType = kva::Interface::Parallel;
  kva::State().settings.PortAddress = 0x378;
  kva::SetPortIo(&port);
  const int32_t count = kva::State().delay.DelayLoopCount;
  AgainstSettles(
      state,
      [count] {
        kva::State().delay.DelayLoopCount = 0;
        kva::State().delay.DelayWait = &kva::CountedWait;
        kva::ReadRegister(kva::PROD_ID);
        benchmark::DoNotOptimize(kva::State().registers.RegRawValue);
        kva::State().delay.DelayWait = &kva::TimedWait;
        kva::State().delay.DelayLoopCount = count;
      },
      "reads/s");
  kva::SetPortIo(nullptr);
}
BENCHMARK(BM_SimPortReadWithoutSettles)->Setup(Calibrate)->UseManualTime();

KVA_BENCH_RATIO("LPT register read / (3 x WaitDelay(0.1))", "BM_LptRegisterRead/manual_time",
                "x3settles", 1.0, 1.05);
KVA_BENCH_RATIO("LPT register write / (3 x WaitDelay(0.1): 2 frame settles + 1 access)",
                "BM_LptRegisterWrite/manual_time", "x3settles", 1.0, 1.05);
KVA_BENCH_RATIO("simulated port of a read, settles aside / (3 x WaitDelay(0.1))",
                "BM_SimPortReadWithoutSettles/manual_time", "x3settles", 1.0, 0.01);

}  // namespace
