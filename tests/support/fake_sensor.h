// SPDX-License-Identifier: GPL-3.0-or-later
// A register-level stand-in for the sensor, for core tests that need exact words: each frame's
// answer is the word the previous read command asked for; write frames set one byte;
// CAPT_BUF_1 / CAPT_BUF_2 answer from a capture memory at the location CAPT_PNTR designates.
// It keeps every frame it was given, so tests can check exactly what reached the line.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "app/number_text.h"
#include "sim/sim_parallel_port.h"
#include "sim/spi_slave.h"
#include "support/dev_setup.h"

namespace kvatest {

class FakeSensor : public kva::sim::SpiSlave {
 public:
  struct Location {
    uint16_t buf1 = 0, buf2 = 0;
  };

  uint16_t PendingAnswer() override { return pending_; }

  uint16_t Transfer(uint16_t mosi) override {
    frames.push_back(mosi);
    const uint16_t answer = pending_;
    const uint8_t addr = static_cast<uint8_t>((mosi >> 8) & 0x7F);
    if (mosi & 0x8000) {
      writes.emplace_back(addr, static_cast<uint8_t>(mosi & 0xFF));
      const int shift = (addr & 1) * 8;
      uint16_t& w = words[addr & 0x7E];
      w = static_cast<uint16_t>((w & ~(0xFF << shift)) | (mosi & 0xFF) << shift);
    }
    pending_ = (mosi & 0x8000) ? 0 : Answer(addr & 0x7E);
    return answer;
  }

  // The 16-bit words written, one per completed register write (high-then-low or low-then-high).
  std::vector<std::pair<uint8_t, uint16_t>> WordWrites() const {
    std::vector<std::pair<uint8_t, uint16_t>> out;
    for (size_t i = 0; i + 1 < writes.size(); i += 2) {
      const auto [a, b] = (writes[i].first & 1) ? std::pair(writes[i], writes[i + 1])
                                                : std::pair(writes[i + 1], writes[i]);
      out.emplace_back(static_cast<uint8_t>(b.first & 0x7E),
                       static_cast<uint16_t>(a.second << 8 | b.second));
    }
    return out;
  }

  // The word at an even address.
  void SetWord(uint8_t address, uint16_t value) { words[address] = value; }

  std::map<uint8_t, uint16_t> words;                // by even address
  std::vector<uint16_t> frames;                     // every frame received
  std::vector<std::pair<uint8_t, uint8_t>> writes;  // byte write frames
  std::array<Location, 8192> capture{};
  int buf2Reads = 0;

 private:
  uint16_t Answer(uint8_t addr) {
    const Location& at = capture[words[0x40] & 0x1FFF];
    buf2Reads += addr == 0x18;
    return addr == 0x16 ? at.buf1 : addr == 0x18 ? at.buf2 : words[addr];
  }

  uint16_t pending_ = 0;
};

// The fake sensor on the simulated port at 0x378, selected as the parallel-port interface,
// with a one-iteration delay so that waits are counted, not spent.
template <class Sensor = FakeSensor>
class BoardOf {
 public:
  void Set(int16_t index, uint16_t word) {
    sensor.words[static_cast<uint8_t>(kva::State().registers.RegisterMap[index].BaseAddr)] = word;
  }

  Sensor sensor;
  kva::sim::SimParallelPort port{sensor, 0x378};
  LptSetup setup{&port};
};
using FakeBoard = BoardOf<>;

}  // namespace kvatest
