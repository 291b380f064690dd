// SPDX-License-Identifier: GPL-3.0-or-later
// Soak run: output passes as the main window's read loop makes them, over the simulated
// adapter board and the simulated parallel port, with faults seeded into both seams. Prints
// the resident memory at the start, half-way and at the end, and how many failures were
// reported. Not a timed benchmark: waits are counted, not spent.
//
//   kva7710_soak [passes per interface, default 100000] [seed, default 1]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "device/port_io.h"
#include "device/register_map.h"
#include "mainwindow/output_pass.h"
#include "sim/ezusb_faults.h"
#include "sim/kva7710.h"
#include "sim/port_faults.h"
#include "sim/sim_ezusb_bus.h"
#include "sim/sim_parallel_port.h"
#include "state/program_state.h"
#include "usbspi/usb_adapter.h"

namespace {

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

struct Counts {
  long messages = 0;
  long researches = 0;
};

void Passes(long count, const char* name, Counts& counts, bool usb) {
  std::printf("%-8s start  resident %ld KiB\n", name, ResidentKiB());
  for (long pass = 1; pass <= count; ++pass) {
    if (usb && !kva::State().usb.UsbReady) {
      ++counts.researches;  // what the user does after an adapter error: search again
      kva::FindUsbAdapter();
    }
    kva::ReadOutputPass();
    if (pass == count / 2) {
      std::printf("%-8s half   resident %ld KiB\n", name, ResidentKiB());
    }
  }
  std::printf("%-8s end    resident %ld KiB\n", name, ResidentKiB());
}

}  // namespace

int main(int argc, char** argv) {
  const long passes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
  const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  kva::ResetProgramState();
  kva::State().delay.DelayCalibrated = true;  // one iteration per step: counted, not spent
  kva::State().delay.DelayLoopCount = 1;
  kva::State().delay.DelayWait = &kva::CountedWait;
  Counts counts;
  kva::SetMsgBoxHandler([&counts](const std::string&, const std::string&) { ++counts.messages; });

  double now = 0.0;
  kva::sim::Kva7710 sensor([&now] { return now += 1e-5; });

  // The adapter board: one request in 20000 fails.
  kva::sim::SimEzUsbBus bus(sensor);
  bus.SetLogging(false);
  kva::sim::FaultyEzUsbDriver usbFaults(bus, seed);
  usbFaults.FailWithProbability(5e-5);
  kva::SetEzUsbDriver(&usbFaults);
  kva::State().settings.InterfaceType = kva::Interface::Usb;
  kva::FindUsbAdapter();
  Passes(passes, "usb", counts, true);
  const long usbMessages = counts.messages;
  std::printf("usb      %llu injected faults, %ld messages, %ld searches again\n",
              static_cast<unsigned long long>(usbFaults.InjectedFailures()), usbMessages,
              counts.researches);

  // The parallel port: one status read in 20000 comes back with its data bit inverted.
  kva::sim::SimParallelPort port(sensor, 0x378);
  kva::sim::PortFaults portFaults(port, 0x378, seed);
  portFaults.FlipStatusReads(5e-5);
  kva::SetPortIo(&portFaults);
  kva::State().settings.InterfaceType = kva::Interface::Parallel;
  kva::State().settings.PortAddress = 0x378;
  Passes(passes, "parallel", counts, false);
  std::printf("parallel %llu flipped status reads of %llu, %ld messages\n",
              static_cast<unsigned long long>(portFaults.FlippedReads()),
              static_cast<unsigned long long>(portFaults.StatusReads()),
              counts.messages - usbMessages);
  std::printf("reported failures %ld\n", counts.messages);
  kva::SetEzUsbDriver(nullptr);
  kva::SetPortIo(nullptr);
  return 0;
}
