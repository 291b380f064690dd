// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_board.h"

#include <stdexcept>

#include "app/hooks.h"
#include "device/board_stimulus.h"
#include "device/port_io.h"
#include "hostsetup/port_access.h"
#include "usbspi/ezusb_driver.h"

namespace kva::sim {

SimBoard::SimBoard(SimBoardOptions options) {
  std::function<double()> clock =
      options.clock ? std::move(options.clock) : std::function<double()>(&kva::MonotonicSeconds);
  sensor_ = std::make_unique<Kva7710>(std::move(clock), options.flashPath);
  sensor_->SetSeed(options.seed);
  if (!sensor_->SetScenario(options.scenario)) {
    throw std::invalid_argument("unknown simulator scenario: " + options.scenario);
  }
  port_ = std::make_unique<SimParallelPort>(*sensor_);
  bus_ = std::make_unique<SimEzUsbBus>(*sensor_);
  // A board that runs for hours must not keep every request it answered.
  bus_->SetLogging(false);

  previousPortIo_ = CurrentPortIo();
  previousDriver_ = CurrentEzUsbDriver();
  previousStimulus_ = CurrentBoardStimulus();
  SetPortIo(port_.get());
  SetEzUsbDriver(bus_.get());
  SetPortPermissionRequest(&GrantAllPorts);
  SetBoardStimulus(sensor_.get());
}

SimBoard::~SimBoard() {
  if (CurrentPortIo() == port_.get()) SetPortIo(previousPortIo_);
  if (CurrentEzUsbDriver() == bus_.get()) SetEzUsbDriver(previousDriver_);
  SetPortPermissionRequest(nullptr);
  if (CurrentBoardStimulus() == sensor_.get()) SetBoardStimulus(previousStimulus_);
}

}  // namespace kva::sim
