// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_parallel_port.h"

namespace kva::sim {
namespace {

constexpr uint8_t kChipSelect = 0x01;
constexpr uint8_t kClock = 0x02;
constexpr uint8_t kDataOutInverted = 0x04;
constexpr uint8_t kDataInInverted = 0x40;

}  // namespace

SimParallelPort::SimParallelPort(SpiSlave& slave, uint16_t base) : slave_(slave), base_(base) {}

void SimParallelPort::Reset() {
  data_ = 0;
  control_ = 0;
  selected_ = false;
  misoBit_ = false;
  answer_ = 0;
  shiftIn_ = 0;
  fallingEdges_ = 0;
  risingEdges_ = 0;
  frames_ = 0;
  droppedFrames_ = 0;
}

void SimParallelPort::Out(uint16_t port, uint8_t value) {
  if (port != base_) {
    if (port == static_cast<uint16_t>(base_ + 2)) control_ = value;
    return;
  }
  const uint8_t changed = data_ ^ value;
  data_ = value;
  if (changed == 0) return;  // most writes of a frame repeat a level

  if ((changed & kChipSelect) && (value & kChipSelect)) {
    selected_ = true;
    answer_ = slave_.PendingAnswer();
    shiftIn_ = 0;
    fallingEdges_ = 0;
    risingEdges_ = 0;
    misoBit_ = false;
  }

  if (selected_ && (changed & kClock)) {
    if (value & kClock) {
      misoBit_ = risingEdges_ < 16 && ((answer_ >> (15 - risingEdges_)) & 1) != 0;
      ++risingEdges_;
    } else {
      shiftIn_ = (shiftIn_ << 1) | ((value & kDataOutInverted) ? 0u : 1u);
      ++fallingEdges_;
    }
  }

  if ((changed & kChipSelect) && !(value & kChipSelect) && selected_) {
    selected_ = false;
    misoBit_ = false;  // the device lets go of the line
    if (fallingEdges_ == 16) {
      ++frames_;
      slave_.Transfer(static_cast<uint16_t>(shiftIn_));
    } else {
      ++droppedFrames_;
    }
  }
}

uint8_t SimParallelPort::In(uint16_t port) {
  if (port == static_cast<uint16_t>(base_ + 1)) {
    return misoBit_ ? static_cast<uint8_t>(0xFF & ~kDataInInverted) : 0xFF;
  }
  if (port == base_) return data_;
  if (port == static_cast<uint16_t>(base_ + 2)) return control_;
  return 0xFF;
}

}  // namespace kva::sim
