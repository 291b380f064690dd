// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/port_faults.h"

namespace kva::sim {
namespace {
constexpr uint8_t kDataIn = 0x40;
}

PortFaults::PortFaults(PortIo& inner, uint16_t base, uint64_t seed)
    : inner_(inner), status_(static_cast<uint16_t>(base + 1)), chance_(seed) {}

void PortFaults::Out(uint16_t port, uint8_t value) { inner_.Out(port, value); }

uint8_t PortFaults::In(uint16_t port) {
  uint8_t value = inner_.In(port);
  if (port != status_) return value;
  ++statusReads_;
  if (stuck_ >= 0) {
    return stuck_ ? static_cast<uint8_t>(value | kDataIn) : static_cast<uint8_t>(value & ~kDataIn);
  }
  const bool flipNth = flipAt_ != 0 && statusReads_ == flipAt_;
  if (flipNth || (probability_ > 0.0 && chance_.Draw(probability_))) {
    value ^= kDataIn;
    ++flipped_;
  }
  return value;
}

void PortFaults::StickDataIn(int level) { stuck_ = level < 0 ? -1 : (level ? 1 : 0); }

void PortFaults::FlipStatusRead(uint64_t n) { flipAt_ = n == 0 ? 0 : statusReads_ + n; }

void PortFaults::FlipStatusReads(double probability) { probability_ = probability; }

}  // namespace kva::sim
