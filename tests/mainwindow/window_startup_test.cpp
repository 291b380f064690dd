// SPDX-License-Identifier: GPL-3.0-or-later
// Linux is "WinXP" to the program, so the window tests never reach the other families.
#include "mainwindow/window_startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "device/register_access.h"
#include "hostsetup/port_access.h"
#include "mainwindow/os_name.h"
#include "sim/sim_board.h"
#include "support/program_state.h"
#include "usbspi/usb_adapter.h"

namespace kva {
namespace {

TEST(OsName, FamilyOneSplitsOnBuildTheOthersOnVersion) {
  EXPECT_EQ(OsNameFor({1, 6.0, 2000}), "Win95");
  EXPECT_EQ(OsNameFor({1, 4.0, 2001}), "Win98");
  EXPECT_EQ(OsNameFor({2, 5.0, 99999}), "WinNT");
  EXPECT_EQ(OsNameFor({0, 5.01, 0}), "WinXP");
}

class WindowStartup : public kvatest::ProgramStateTest {
 protected:
  void SetUp() override {
    ProgramStateTest::SetUp();
    SetMsgBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
    SetPortPermissionRequest([this](uint16_t first, uint16_t) {
      accessRequests.push_back(first);
      return PortPermissionAnswer{};
    });
  }
  sim::SimBoard board;
  std::vector<std::string> messages;
  std::vector<uint16_t> accessRequests;
};

TEST_F(WindowStartup, ParallelPortAccessOnlyOnTheNtFamily) {
  State().settings.InterfaceType = Interface::Parallel;
  State().settings.PortAddress = 0x378;
  EXPECT_FALSE(BringUpInterface("Win98").checkPort);
  EXPECT_FALSE(State().settings.PortDriverReady);
  EXPECT_TRUE(accessRequests.empty());

  EXPECT_TRUE(BringUpInterface("WinXP").checkPort);
  EXPECT_TRUE(State().settings.PortDriverReady);
  EXPECT_EQ(accessRequests, std::vector<uint16_t>{0x378});
  EXPECT_TRUE(messages.empty());
}

TEST_F(WindowStartup, UsbIsRefusedOnWin95) {
  State().settings.InterfaceType = Interface::Usb;
  const InterfaceBringUp up = BringUpInterface("Win95");
  EXPECT_EQ(messages, std::vector<std::string>{"USB not available for Windows95"});
  EXPECT_TRUE(up.hideUsb);
  EXPECT_FALSE(up.checkUsb);
  EXPECT_EQ(State().settings.InterfaceType, Interface::None);
  EXPECT_EQ(board.bus().RequestCount(), 0u);
}

}  // namespace
}  // namespace kva
