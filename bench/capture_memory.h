// SPDX-License-Identifier: GPL-3.0-or-later
// A sensor whose capture memory is full: EVENTS 8, CAPT_CFG 0 (1024-location buffers), and a
// changing word at every location, so that a capture readout walks all 8192 locations.
#pragma once

#include <cstdint>

#include "sim/spi_slave.h"

namespace kvabench {

class FullCaptureMemory : public kva::sim::SpiSlave {
 public:
  uint16_t PendingAnswer() override { return pending_; }
  uint16_t Transfer(uint16_t mosi) override {
    const uint16_t out = pending_;
    const uint8_t address = static_cast<uint8_t>((mosi >> 8) & 0x7E);
    if (mosi & 0x8000) {
      pending_ = 0;
    } else if (address == 0x1C) {
      pending_ = 8;  // EVENTS
    } else if (address == 0x42) {
      pending_ = 0;  // CAPT_CFG
    } else {
      pending_ = static_cast<uint16_t>(0x1234 + ++reads_ * 7);
    }
    return out;
  }

 private:
  uint16_t pending_ = 0;
  uint16_t reads_ = 0;
};

}  // namespace kvabench
