// SPDX-License-Identifier: GPL-3.0-or-later
// One device session of kva7710ctl: the interface chosen from the options and CommPort.cfg,
// the simulated board or the real backends, an optional bus trace, and the bring-up of the
// interface, done once on the first command that needs the device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/port_trace.h"
#include "sim/sim_board.h"

namespace kva::ctl {

struct GlobalOptions {
  bool simulate = false;
  std::string interface;  // "usb", "parallel" or empty (CommPort.cfg)
  std::string port;       // hex; empty: CommPort.cfg's, else 378
  std::string simFlash;
  uint64_t seed = 1;
  std::string vcd;
  bool calibrate = false;
  int adapter = -1;                 // adapter board slot 0..3; -1: the first usable one
  std::string simAdapters;          // slots of the simulated adapter boards, "0,1"; empty: slot 0
  bool json = false;                // commands print one JSON document instead of text
  std::vector<std::string> usbIds;  // adapter board IDs added, "VID:PID"
};

class Session {
 public:
  // Reads CommPort.cfg and checks the options; a bad option throws CommandError.
  explicit Session(GlobalOptions options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Delay, board or backends, trace, and the interface bring-up, the first time only.
  void EnsureDevice();
  // After register traffic: a USB adapter that has gone not ready is a device failure.
  void CheckTransport() const;

  bool simulated() const { return options_.simulate; }
  bool json() const { return options_.json; }

  // The EZ-USB driver (or the simulated board) in place for a scan of the adapter slots,
  // without bringing up any interface.
  void PrepareAdapterScan();
  // The slot of the adapter board this session talks to (or, before the bring-up, would talk
  // to) after a scan; -1 for none, or when the interface is not the USB adapter.
  int AdapterInUse() const;
  // The simulated sensor (EnsureDevice first); throws CommandError without --simulate.
  sim::Kva7710& SimSensor();
  // Lets simulated time pass at once. The simulated board's clock runs with the program's
  // delays, not with the PC's clock.
  void AdvanceSimClock(double seconds);

  // A flash update of the simulated sensor whose image file could not be written throws
  // CommandError (a file error).
  void CheckSimFlash();

  // Ends the trace; a trace that could not be written throws CommandError.
  void Finish();

 private:
  void CreateSimBoard();
  void BringUpParallel();
  void BringUpUsb();

  GlobalOptions options_;
  bool ready_ = false;
  std::unique_ptr<sim::SimBoard> board_;
  std::unique_ptr<PortTrace> trace_;
  PortIo* untraced_ = nullptr;
  std::vector<int> simSlots_;
};

}  // namespace kva::ctl
