// SPDX-License-Identifier: GPL-3.0-or-later
// A PC parallel port with the evaluation cable and an SPI device on it, as the transport code
// sees it through vbOut / vbInp.
//
// Data register (base): D0 chip select (1 = selected), D1 clock, D2 data out inverted (a level
// of 0 sends a 1). Status register (base + 1): bit 6 is the device's data out, inverted (0
// means a 1 bit); the other status inputs float high. Control register (base + 2): a latch
// that drives nothing on this cable. Any other address is empty: writes go nowhere, reads
// give 0xFF.
//
// The device behaves like the sensor on the cable: it takes the frame's answer word from
// PendingAnswer() when chip select rises, drives answer bits most significant first from each
// rising clock edge (so the host samples them while the clock is high), takes the data-out
// level on each falling clock edge, and hands the 16 bits to Transfer() when chip select
// falls. A chip-select period with any other number of falling clock edges is not a frame to
// the device: it is dropped (counted in DroppedFrames()) and the slave never sees it. Clock
// edges while chip select is 0 are ignored. When one write changes several lines, chip select
// rising is taken first and chip select falling last, so a clock edge in the same write
// belongs to the frame.
#pragma once

#include <cstdint>

#include "device/port_io.h"
#include "sim/spi_slave.h"

namespace kva::sim {

class SimParallelPort : public kva::PortIo {
 public:
  explicit SimParallelPort(SpiSlave& slave, uint16_t base = 0x378);

  void Out(uint16_t port, uint8_t value) override;
  uint8_t In(uint16_t port) override;

  uint16_t Base() const { return base_; }
  uint64_t Frames() const { return frames_; }                // frames handed to the slave
  uint64_t DroppedFrames() const { return droppedFrames_; }  // select periods of another length
  bool Selected() const { return selected_; }

  // Back to power-on: all lines 0, no frame in progress, counters cleared.
  void Reset();

 private:
  SpiSlave& slave_;
  uint16_t base_;
  uint8_t data_ = 0;
  uint8_t control_ = 0;
  bool selected_ = false;
  bool misoBit_ = false;  // the bit the device drives at the moment (true = 1)
  uint16_t answer_ = 0;   // this frame's answer word
  uint32_t shiftIn_ = 0;  // bits taken on falling edges, most significant first
  uint32_t fallingEdges_ = 0;
  uint32_t risingEdges_ = 0;
  uint64_t frames_ = 0;
  uint64_t droppedFrames_ = 0;
};

}  // namespace kva::sim
