// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_ezusb_bus.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support/fake_sensor.h"

namespace kva::sim {
namespace {

using Bytes = std::vector<uint8_t>;

class SimBus : public ::testing::Test {
 protected:
  // A bulk request on the pipe; the bytes returned, or nullopt when it fails.
  std::optional<Bytes> Bulk(EzUsbHandle h, uint32_t code, uint8_t pipe, Bytes data) {
    uint8_t input[4] = {pipe, 0, 0, 0};
    uint32_t returned = 0;
    const bool ok = bus.Request(h, code, input, 4, data.data(), data.size(), returned);
    return ok ? std::optional(Bytes(data.begin(), data.begin() + returned)) : std::nullopt;
  }
  bool Send(EzUsbHandle h, Bytes packet) {
    return Bulk(h, kEzUsbBulkWrite, 0, std::move(packet)).has_value();
  }
  std::optional<Bytes> Receive(EzUsbHandle h, uint32_t length) {
    return Bulk(h, kEzUsbBulkRead, 1, Bytes(length));
  }

  kvatest::FakeSensor sensor;
  SimEzUsbBus bus{sensor};
};

TEST_F(SimBus, FirmwareRefusesMalformedPacketsAndKeepsItsSettings) {
  const EzUsbHandle h = bus.Open("Ezusb-0");
  EXPECT_TRUE(Send(h, {0x0B, 40}) && Send(h, {0x0C, 0x18}) && Send(h, {0x01}));
  EXPECT_EQ(Receive(h, 2), (Bytes{40, 0x18}));
  EXPECT_EQ(Receive(h, 2), std::nullopt) << "an answer is read once";

  for (const Bytes& bad : {Bytes{}, Bytes{0x07}, Bytes{0x00, 0x00}, Bytes{0x0B}, Bytes{0x0D, 1, 0},
                           Bytes{0x0D, 1, 17}, Bytes{0x0D, 1, 2, 0, 0, 0}}) {
    EXPECT_FALSE(Send(h, bad)) << bad.size();
  }
  EXPECT_TRUE(sensor.frames.empty());
  EXPECT_EQ(bus.Firmware(0).wordDelay, 40);

  // An answer too long for the read is lost with it; pipes are used in their direction only.
  EXPECT_TRUE(Send(h, {0x00}));
  EXPECT_FALSE(Receive(h, 1) || Receive(h, 2) || Bulk(h, kEzUsbBulkWrite, 1, {0x00}) ||
               Bulk(h, kEzUsbBulkRead, 0, Bytes(2)));
}

}  // namespace
}  // namespace kva::sim
