// SPDX-License-Identifier: GPL-3.0-or-later
// Register access end to end: one simulated sensor reached bit by bit through the simulated
// parallel port and packet by packet through the simulated USB adapter.
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "support/sim_rig.h"

namespace kva::sim {
namespace {

class SimBoardTest : public kvatest::SimRig {
 protected:
  void SetUp() override {
    SimRig::SetUp();
    board = std::make_unique<SimBoard>(Options());
    UseInterface(kva::Interface::Usb);
    FindUsbAdapter();
    ASSERT_TRUE(State().usb.UsbReady) << ::testing::PrintToString(messages);
  }
  void TearDown() override {
    EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);
    SimRig::TearDown();
  }
  SimBoardOptions Options() {
    SimBoardOptions o;
    o.clock = [this] { return now; };
    return o;
  }
  double now = 100.0;
  std::unique_ptr<SimBoard> board;
};

TEST_F(SimBoardTest, WritesOverUsbReadBackOnBothInterfaces) {
  struct Case {
    int16_t index;
    int32_t written, read;
  };
  const Case cases[] = {
      // Which bits a register keeps is the device model's test.
      {SMPL_PRD, 0x1234, 0x1234},
      {CAPT_PNTR, 0x0ABC, 0x0ABC},  // low byte first
      {XACCL_NULL, -300, -300},
  };
  for (const Case& c : cases) {
    State().settings.InterfaceType = Interface::Usb;
    WriteRegister(c.index, c.written);
    EXPECT_EQ(Read(c.index), c.read) << State().registers.RegisterMap[c.index].Label;
    State().settings.InterfaceType = Interface::Parallel;
    EXPECT_EQ(Read(c.index), c.read) << State().registers.RegisterMap[c.index].Label;
  }
  EXPECT_EQ(Read(SW_REV), 0x0100);
  EXPECT_EQ(board->port().DroppedFrames(), 0u);
}

TEST_F(SimBoardTest, UnknownScenarioIsRefusedAndTheSeamsAreRestored) {
  SimBoardOptions bad = Options();
  bad.scenario = "bogus";
  EXPECT_THROW(SimBoard{bad}, std::invalid_argument);
  EXPECT_EQ(CurrentPortIo(), &board->port());
  {
    SimBoard inner(Options());
    EXPECT_EQ(CurrentPortIo(), &inner.port());
    EXPECT_EQ(CurrentEzUsbDriver(), &inner.bus());
  }
  EXPECT_EQ(CurrentPortIo(), &board->port());
  EXPECT_EQ(CurrentEzUsbDriver(), &board->bus());
  board.reset();
  EXPECT_EQ(CurrentPortIo(), nullptr);
  EXPECT_EQ(CurrentEzUsbDriver(), nullptr);
}

}  // namespace
}  // namespace kva::sim
