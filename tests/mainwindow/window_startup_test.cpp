// SPDX-License-Identifier: GPL-3.0-or-later
// Linux is "WinXP" to the program, so the window tests never reach the other families.
#include "mainwindow/window_startup.h"

#include <gtest/gtest.h>

#include "app/hooks.h"
#include "app/settings.h"
#include "hostsetup/port_access.h"
#include "mainwindow/os_name.h"
#include "sim/sim_board.h"
#include "support/program_state.h"

namespace kva {
namespace {

TEST(OsName, FamilyOneSplitsOnBuildTheOthersOnVersion) {
  EXPECT_EQ(OsNameFor({1, 6.0, 2000}) + OsNameFor({1, 4.0, 2001}) + OsNameFor({2, 5.0, 99999}) +
                OsNameFor({0, 5.01, 0}),
            "Win95Win98WinNTWinXP");
}

// Port access is asked for on the NT family only; USB is refused on Win95.
TEST(WindowStartup, InterfaceBringUpByOsFamily) {
  kvatest::FreshProgramState();
  sim::SimBoard board;
  std::vector<std::string> messages;
  std::vector<uint16_t> asked;
  SetMsgBoxHandler([&](const std::string& text, const std::string&) { messages.push_back(text); });
  SetPortPermissionRequest([&](uint16_t first, uint16_t) {
    asked.push_back(first);
    return PortPermissionAnswer{};
  });
  State().settings.InterfaceType = Interface::Parallel;
  State().settings.PortAddress = 0x378;
  EXPECT_FALSE(BringUpInterface("Win98").checkPort || State().settings.PortDriverReady);
  EXPECT_TRUE(asked.empty());
  EXPECT_TRUE(BringUpInterface("WinXP").checkPort && State().settings.PortDriverReady);
  EXPECT_EQ(asked, std::vector<uint16_t>{0x378});
  EXPECT_TRUE(messages.empty());

  State().settings.InterfaceType = Interface::Usb;
  const InterfaceBringUp up = BringUpInterface("Win95");
  EXPECT_EQ(messages, std::vector<std::string>{"USB not available for Windows95"});
  EXPECT_EQ(std::tuple(up.hideUsb, up.checkUsb, State().settings.InterfaceType,
                       board.bus().RequestCount()),
            std::tuple(true, false, Interface::None, size_t{0}));
  kva::ResetProgramState();
}

}  // namespace
}  // namespace kva
