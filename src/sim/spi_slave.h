// SPDX-License-Identifier: GPL-3.0-or-later
// What an SPI device looks like to the simulated buses: one 16-bit frame per chip-select
// period, full duplex, most significant bit first.
#pragma once

#include <cstdint>

namespace kva::sim {

class SpiSlave {
 public:
  virtual ~SpiSlave() = default;

  // The word this device shifts out during the next frame. A bit-level bus needs it from the
  // frame's first clock edge, before the frame's own bits have arrived. No side effects.
  virtual uint16_t PendingAnswer() = 0;

  // One whole frame: takes the word shifted in and returns the word shifted out during it
  // (the PendingAnswer() of just before).
  virtual uint16_t Transfer(uint16_t mosi) = 0;
};

}  // namespace kva::sim
