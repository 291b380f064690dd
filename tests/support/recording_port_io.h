// SPDX-License-Identifier: GPL-3.0-or-later
// A PortIo that records every port access in order. On its own it plays a device that answers
// queued words (status reads give their bits, bit 15 first, inverted on bit 6; with nothing
// queued the line rests at 1, so a read gives 0x0000); in front of another PortIo it forwards
// everything and records what passes.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "device/port_io.h"

namespace kvatest {

struct PortEvent {
  bool out;  // true: a write; false: a read
  uint16_t port;
  uint8_t value;
  bool operator==(const PortEvent&) const = default;
};

class RecordingPortIo : public kva::PortIo {
 public:
  explicit RecordingPortIo(uint16_t base = 0x378) : base_(base) {}
  RecordingPortIo(kva::PortIo& inner, uint16_t base = 0x378) : base_(base), inner_(&inner) {}

  void Out(uint16_t port, uint8_t value) override {
    events.push_back({true, port, value});
    if (inner_) inner_->Out(port, value);
  }
  uint8_t In(uint16_t port) override {
    uint8_t value = inner_ ? inner_->In(port) : 0xFF;
    if (!inner_ && port == static_cast<uint16_t>(base_ + 1) && !statusBits_.empty()) {
      value = statusBits_.front() ? 0xBF : 0xFF;
      statusBits_.pop_front();
    }
    events.push_back({false, port, value});
    return value;
  }
  // The next 16 status reads answer word, most significant bit first.
  void QueueAnswer(uint16_t word) {
    for (int i = 15; i >= 0; --i) statusBits_.push_back(((word >> i) & 1) != 0);
  }
  // Values written to one port (the data register if none is named), in order.
  std::vector<uint8_t> Writes(int port = -1) const {
    std::vector<uint8_t> out;
    for (const PortEvent& e : events)
      if (e.out && e.port == (port < 0 ? base_ : port)) out.push_back(e.value);
    return out;
  }

  std::vector<PortEvent> events;

 private:
  uint16_t base_;
  kva::PortIo* inner_ = nullptr;
  std::deque<bool> statusBits_;
};

// The 16-bit frames a device on the cable receives from the given data-register levels: per
// chip-select period (D0 high) the data-out bits (D2 inverted) at the falling clock (D1)
// edges; a period of another length shows as -1.
inline std::vector<int32_t> DecodeFrames(const std::vector<uint8_t>& levels) {
  std::vector<int32_t> words;
  int count = 0;
  uint8_t previous = 0;
  for (uint8_t v : levels) {
    if (!(previous & 1) && (v & 1)) words.push_back(0), count = 0;
    if ((v & 1) && (previous & 2) && !(v & 2)) {
      words.back() = (words.back() << 1) | ((v & 4) ? 0 : 1);
      if (++count > 16) words.back() = -1;
    }
    if ((previous & 1) && !(v & 1) && count != 16) words.back() = -1;
    previous = v;
  }
  return words;
}

}  // namespace kvatest
