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

TEST_F(PortFaultsTest, StuckDataInLineReadsAllZerosOrAllOnes) {
  faults.StickDataIn(1);
  EXPECT_EQ(ReadWord(0x1E1E), 0x0000);
  faults.StickDataIn(0);
  EXPECT_EQ(ReadWord(0x1E1E), 0xFFFF);
  faults.StickDataIn(-1);
  EXPECT_EQ(ReadWord(0x1E1E), 0x1E1E);
  EXPECT_EQ(faults.FlippedReads(), 0u);
}

TEST_F(PortFaultsTest, OneStatusReadInError) {
  faults.FlipStatusRead(1);
  EXPECT_EQ(ReadWord(0x1E1E), 0x9E1E);  // the first bit read is bit 15
  faults.FlipStatusRead(16);
  EXPECT_EQ(ReadWord(0x1E1E), 0x1E1F);
  EXPECT_EQ(ReadWord(0x1E1E), 0x1E1E);
  EXPECT_EQ(faults.FlippedReads(), 2u);
  EXPECT_EQ(faults.StatusReads(), 48u);
  // Writes and other ports pass untouched.
  EXPECT_EQ(device.DataWrites().size(), 3u * ((2 + 16 * 4 + 1) + (2 + 16 * 2 + 1) + 2));
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
  EXPECT_GT(ones, 16);
  EXPECT_LT(ones, 48);
  EXPECT_EQ(run(7, 0.0), 0u);
  EXPECT_EQ(run(7, 1.0), ~0ull);
}

}  // namespace
}  // namespace kva
