// A small SPI device for adapter tests: 128 byte registers, written by write frames and read
// as a 16-bit word (odd address high) in the frame after a read command. It keeps every frame
// it was given, so tests can check exactly what reached the line.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/spi_slave.h"

namespace kvatest {

class ByteRegisterSlave : public kva::sim::SpiSlave {
 public:
  std::array<uint8_t, 128> bytes{};
  std::vector<uint16_t> frames;

  uint16_t PendingAnswer() override { return pending_; }
  uint16_t Transfer(uint16_t mosi) override {
    frames.push_back(mosi);
    const uint16_t out = pending_;
    const int address = (mosi >> 8) & 0x7E;
    if (mosi & 0x8000) {
      bytes[(mosi >> 8) & 0x7F] = static_cast<uint8_t>(mosi);
      pending_ = 0;
    } else {
      pending_ = static_cast<uint16_t>(bytes[address + 1] << 8 | bytes[address]);
    }
    return out;
  }
  void SetWord(int address, uint16_t value) {
    bytes[address] = static_cast<uint8_t>(value);
    bytes[address + 1] = static_cast<uint8_t>(value >> 8);
  }

 private:
  uint16_t pending_ = 0;
};

}  // namespace kvatest
