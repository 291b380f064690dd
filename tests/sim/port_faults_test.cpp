// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/port_faults.h"

#include <gtest/gtest.h>

#include "device/lpt_transport.h"
#include "support/dev_setup.h"
#include "support/recording_port_io.h"

namespace kva {
namespace {

class PortFaultsTest : public ::testing::Test {
 protected:
  int32_t ReadWord(uint16_t answer) {
    device.QueueAnswer(answer);
    int16_t address = 0x4C;
    return LptReadWord(address);
  }
  kvatest::RecordingPortIo device;
  sim::PortFaults faults{device};
  kvatest::LptSetup setup{&faults};
};

TEST_F(PortFaultsTest, StuckLineOrOneStatusReadInError) {
  // Stuck at 1 (reads all zeros), at 0, freed; then bit 15 and bit 0 flipped once each.
  const std::pair<int, int32_t> stuck[] = {{1, 0x0000}, {0, 0xFFFF}, {-1, 0x1E1E}};
  for (const auto& [level, word] : stuck) {
    faults.StickDataIn(level);
    EXPECT_EQ(ReadWord(0x1E1E), word) << level;
  }
  faults.FlipStatusRead(1);
  EXPECT_EQ(ReadWord(0x1E1E), 0x9E1E);
  faults.FlipStatusRead(16);
  EXPECT_EQ(ReadWord(0x1E1E), 0x1E1F);
  EXPECT_EQ(ReadWord(0x1E1E), 0x1E1E);
  EXPECT_TRUE(faults.FlippedReads() == 2 && faults.StatusReads() == 96);
  // Writes and other ports pass untouched.
  EXPECT_EQ(device.Writes().size(), 6u * ((2 + 16 * 4 + 1) + (2 + 16 * 2 + 1) + 2));
  EXPECT_EQ(faults.In(0x378), 0xFF);
}

}  // namespace
}  // namespace kva
