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
  EXPECT_EQ(faults.FlippedReads(), 2u);
  EXPECT_EQ(faults.StatusReads(), 96u);
  // Writes and other ports pass untouched.
  EXPECT_EQ(device.DataWrites().size(), 6u * ((2 + 16 * 4 + 1) + (2 + 16 * 2 + 1) + 2));
  EXPECT_EQ(faults.In(0x378), 0xFF);
}

TEST_F(PortFaultsTest, RandomErrorsRepeatForTheSameSeed) {
  auto run = [&](uint64_t seed, double p) {
    kvatest::RecordingPortIo line;
    sim::PortFaults random(line, 0x378, seed);
    random.FlipStatusReads(p);
    uint64_t pattern = 0;
    for (int i = 0; i < 64; ++i) pattern = (pattern << 1) | (random.In(0x379) == 0xBF);
    EXPECT_EQ(random.FlippedReads(), static_cast<uint64_t>(__builtin_popcountll(pattern)));
    return pattern;
  };
  EXPECT_EQ(run(7, 0.5), run(7, 0.5));
  EXPECT_NE(run(7, 0.5), run(8, 0.5));
  const int ones = __builtin_popcountll(run(7, 0.5));
  EXPECT_TRUE(ones > 16 && ones < 48) << ones;
  EXPECT_EQ(run(7, 0.0), 0u);
  EXPECT_EQ(run(7, 1.0), ~0ull);
}

}  // namespace
}  // namespace kva
