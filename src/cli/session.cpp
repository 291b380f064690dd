// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/delay.h"
#include "app/number_text.h"
#include "app/settings.h"
#include "cli/ctl_error.h"
#include "cli/delay_cache.h"
#include "device/bring_up.h"
#include "device/port_io.h"
#include "hostsetup/port_access.h"
#include "platform/hardware.h"
#include "usbspi/usb_adapter.h"

namespace kva::ctl {
namespace {

// The simulated board's clock: the time the program's own delays stand for, plus what
// "sim wait" adds. Pacing the model by the nominal delays instead of the PC's clock keeps a
// simulated run the same on a fast and a slow machine, and with a cached count of any size.
double simulatedSeconds = 0;
DelayWaitFn waitOutsideSession = &TimedWait;

void WaitAndAdvance(int64_t steps) {
  simulatedSeconds += static_cast<double>(steps) * 1e-5;
  waitOutsideSession(steps);
}

bool AllHexDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// "0,2": distinct slots 0..3, separated by commas.
std::vector<int> ParseSlotList(const std::string& text) {
  std::vector<int> slots;
  bool ok = text.size() % 2 == 1;
  for (size_t i = 0; ok && i < text.size(); i += 2) {
    const int slot = text[i] - '0';
    ok = slot >= 0 && slot <= 3 && std::find(slots.begin(), slots.end(), slot) == slots.end() &&
         (i + 1 == text.size() || text[i + 1] == ',');
    slots.push_back(slot);
  }
  if (!ok) {
    throw CommandError(kExitUsage,
                       "--sim-adapters takes distinct slots 0..3 separated by commas, not " + text);
  }
  return slots;
}

}  // namespace

Session::Session(GlobalOptions options) : options_(std::move(options)) {
  RunStartupSteps();
  if (options_.interface == "usb") {
    State().settings.InterfaceType = Interface::Usb;
  } else if (options_.interface == "parallel") {
    State().settings.InterfaceType = Interface::Parallel;
  } else if (!options_.interface.empty()) {
    throw CommandError(kExitUsage,
                       "--interface must be usb or parallel, not " + options_.interface);
  }
  // The simulated board answers on both interfaces; with none chosen it is reached through
  // its adapter, so `kva7710ctl --simulate read ...` works in any folder.
  if (options_.simulate && State().settings.InterfaceType != Interface::Parallel &&
      State().settings.InterfaceType != Interface::Usb)
    State().settings.InterfaceType = Interface::Usb;
  if (!options_.port.empty()) {
    const auto value = CheckedHexTextToInt16(options_.port);
    if (!value || !AllHexDigits(options_.port)) {
      throw CommandError(kExitUsage, "--port takes up to four hex digits, not " + options_.port);
    }
    State().settings.PortAddress = *value;
  } else if (State().settings.PortAddress == 0) {
    State().settings.PortAddress = 0x378;
  }
  if (!options_.vcd.empty() && State().settings.InterfaceType != Interface::Parallel) {
    throw CommandError(kExitUsage, "--vcd traces the parallel port only");
  }
  if (!options_.simulate && !options_.simFlash.empty()) {
    throw CommandError(kExitUsage, "--sim-flash needs --simulate");
  }
  if (options_.adapter >= 0 && State().settings.InterfaceType == Interface::Parallel) {
    throw CommandError(
        kExitUsage, "--adapter picks a USB adapter board, not the parallel port (--interface usb)");
  }
  if (!options_.simAdapters.empty()) {
    if (!options_.simulate) throw CommandError(kExitUsage, "--sim-adapters needs --simulate");
    simSlots_ = ParseSlotList(options_.simAdapters);
  }
}

Session::~Session() {
  if (trace_) {
    trace_->Close();
    SetPortIo(untraced_);
  }
  board_.reset();
  if (State().delay.DelayWait == &WaitAndAdvance) State().delay.DelayWait = waitOutsideSession;
}

void Session::EnsureDevice() {
  if (ready_) return;
  if (State().settings.InterfaceType != Interface::Parallel &&
      State().settings.InterfaceType != Interface::Usb) {
    State().settings.InterfaceType = Interface::None;
    throw CommandError(kExitUsage, "Please select an interface before taking data");
  }
  // The simulated board's clock follows the nominal delays, so there a count that is off only
  // changes how fast a run goes: it is not timed against the clock.
  PrepareDelay(options_.calibrate, !options_.simulate);

  if (options_.simulate) {
    if (!board_) CreateSimBoard();
    if (State().delay.DelayWait != &WaitAndAdvance) waitOutsideSession = State().delay.DelayWait;
    State().delay.DelayWait = &WaitAndAdvance;
  } else if (State().settings.InterfaceType == Interface::Parallel) {
    // Without direct port I/O in this build the access step below says why.
    InstallRealPortIo();
  } else if (!InstallLibUsbEzUsbDriver()) {
    throw CommandError(kExitDevice, "this build of kva7710ctl has no USB adapter support");
  }

  if (State().settings.InterfaceType == Interface::Parallel) {
    BringUpParallel();
  } else {
    BringUpUsb();
  }
  ready_ = true;
}

void Session::CreateSimBoard() {
  sim::SimBoardOptions simOptions;
  simOptions.flashPath = options_.simFlash;
  simOptions.seed = options_.seed;
  simulatedSeconds = 0;
  simOptions.clock = [] { return simulatedSeconds; };
  board_ = std::make_unique<sim::SimBoard>(std::move(simOptions));
  if (simSlots_.empty()) return;
  // Every board carries the one simulated sensor on channel 1; the second descriptor tells
  // the boards apart.
  sim::SimEzUsbBus& bus = board_->bus();
  bus.RemoveAll();
  for (int slot : simSlots_) {
    sim::SimEzUsbBoard board;
    board.descriptor2 = "SIMULATED " + std::to_string(slot);
    bus.Attach(slot, board);
  }
}

void Session::PrepareAdapterScan() {
  if (options_.simulate) {
    if (!board_) CreateSimBoard();
  } else if (!InstallLibUsbEzUsbDriver()) {
    throw CommandError(kExitDevice, "this build of kva7710ctl has no USB adapter support");
  }
}

int Session::AdapterInUse() const {
  if (State().settings.InterfaceType != Interface::Usb) return -1;
  if (ready_) {
    if (!State().usb.UsbReady) return -1;
    for (int n = 0; n < 4; ++n) {
      if (State().usb.CurrentUsbAdapter.DeviceName == "Ezusb-" + std::to_string(n)) return n;
    }
    return -1;
  }
  if (options_.adapter >= 0)
    return State().usb.UsbAdapterSlots[options_.adapter].Present ? options_.adapter : -1;
  for (int n = 0; n < 4; ++n) {
    if (State().usb.UsbAdapterSlots[n].Present) return n;
  }
  return -1;
}

void Session::BringUpParallel() {
  bool traceFailed = false;
  const bool granted = BringUpParallelPort([this, &traceFailed] {
    if (options_.vcd.empty() || CurrentPortIo() == nullptr ||
        !PortAccessGranted(static_cast<uint16_t>(State().settings.PortAddress))) {
      return;
    }
    untraced_ = CurrentPortIo();
    trace_ = std::make_unique<PortTrace>(*untraced_,
                                         static_cast<uint16_t>(State().settings.PortAddress));
    if (trace_->Open(options_.vcd)) {
      SetPortIo(trace_.get());
    } else {
      trace_.reset();
      traceFailed = true;
    }
  });
  if (!granted || CurrentPortIo() == nullptr) {
    throw CommandError(
        kExitDevice, "no access to the parallel port at " + HexNoPad(State().settings.PortAddress));
  }
  if (traceFailed) throw CommandError(kExitFile, "the bus trace could not be started");
}

void Session::BringUpUsb() {
  const int n = options_.adapter;
  if (n < 0) {
    if (!BringUpUsbAdapter()) throw CommandError(kExitDevice, "no USB adapter ready");
  } else {
    // The search, then the chosen board, as in the selection window.
    FindUsbAdapter();
    const UsbAdapterRecord& slot = State().usb.UsbAdapterSlots[n];
    const std::string where = "slot " + std::to_string(n) + " (Ezusb-" + std::to_string(n) + ")";
    if (slot.DeviceName.empty()) throw CommandError(kExitDevice, "no adapter board in " + where);
    if (!slot.Present) {
      throw CommandError(kExitDevice,
                         "the adapter board in " + where + " did not give its board information");
    }
    SelectUsbAdapterSlot(n);
  }
  CheckTransport();
}

void Session::CheckTransport() const {
  if (State().settings.InterfaceType == Interface::Usb && !State().usb.UsbReady)
    throw CommandError(kExitDevice, "USB adapter not ready");
}

sim::Kva7710& Session::SimSensor() {
  if (!options_.simulate) throw CommandError(kExitUsage, "sim commands need --simulate");
  EnsureDevice();
  return board_->sensor();
}

void Session::AdvanceSimClock(double seconds) {
  SimSensor();
  simulatedSeconds += seconds;
}

void Session::CheckSimFlash() {
  if (!board_) return;
  const std::string error = board_->sensor().TakeFlashWriteError();
  if (!error.empty()) throw CommandError(kExitFile, error);
}

void Session::Finish() {
  if (!trace_) return;
  const bool ok = trace_->Close();
  SetPortIo(untraced_);
  trace_.reset();
  if (!ok) throw CommandError(kExitFile, "the bus trace could not be written");
}

}  // namespace kva::ctl
