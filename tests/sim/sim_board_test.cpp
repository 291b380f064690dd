// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "support/sim_rig.h"

namespace kva::sim {
namespace {

using SimBoardTest = kvatest::SimRig;

// A board installs its port and adapter as the program's, and a nested one gives them back.
TEST_F(SimBoardTest, UnknownScenarioIsRefusedAndTheSeamsAreRestored) {
  auto board = std::make_unique<SimBoard>(SimBoardOptions{});
  SimBoardOptions bad;
  bad.scenario = "bogus";
  EXPECT_THROW(SimBoard{bad}, std::invalid_argument);
  EXPECT_EQ(CurrentPortIo(), &board->port());
  {
    SimBoard inner{SimBoardOptions{}};
    EXPECT_EQ(CurrentPortIo(), &inner.port());
    EXPECT_EQ(CurrentEzUsbDriver(), &inner.bus());
  }
  EXPECT_EQ(CurrentPortIo(), &board->port());
  EXPECT_EQ(CurrentEzUsbDriver(), &board->bus());
  // Found over USB, the board answers as the sensor does.
  UseInterface(kva::Interface::Usb);
  FindUsbAdapter();
  EXPECT_EQ(Read(PROD_ID), 0x1E1E);
  EXPECT_TRUE(messages.empty());
  board.reset();
  EXPECT_EQ(CurrentPortIo(), nullptr);
  EXPECT_EQ(CurrentEzUsbDriver(), nullptr);
}

}  // namespace
}  // namespace kva::sim
