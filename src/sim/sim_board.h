// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated evaluation board: one simulated sensor reachable through both host interfaces
// at once, the parallel-port cable at 0x378 and a USB-SPI adapter board on Ezusb-0. Creating
// a SimBoard installs it under the port I/O seam, the EZ-USB driver seam, the port access
// request and the board stimulus (device/board_stimulus.h); destroying it restores what was
// installed before. The desktop program's and the command-line tool's simulator modes and the
// window tests all run on it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sim/kva7710.h"
#include "sim/sim_ezusb_bus.h"
#include "sim/sim_parallel_port.h"

namespace kva::sim {

struct SimBoardOptions {
  std::string scenario = "bench";  // "bench" or "demo"
  std::string flashPath;           // the sensor's flash image; empty: kept in memory only
  uint64_t seed = 1;
  std::function<double()> clock;  // seconds; empty: the program's monotonic clock
};

class SimBoard {
 public:
  explicit SimBoard(SimBoardOptions options = {});
  ~SimBoard();
  SimBoard(const SimBoard&) = delete;
  SimBoard& operator=(const SimBoard&) = delete;

  Kva7710& sensor() { return *sensor_; }
  SimParallelPort& port() { return *port_; }
  SimEzUsbBus& bus() { return *bus_; }

 private:
  std::unique_ptr<Kva7710> sensor_;
  std::unique_ptr<SimParallelPort> port_;
  std::unique_ptr<SimEzUsbBus> bus_;
  PortIo* previousPortIo_ = nullptr;
  EzUsbDriver* previousDriver_ = nullptr;
  BoardStimulus* previousStimulus_ = nullptr;
};

}  // namespace kva::sim
