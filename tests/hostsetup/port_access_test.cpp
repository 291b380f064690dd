// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsetup/port_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/hooks.h"
#include "app/number_text.h"
#include "app/settings.h"
#include "support/program_state.h"

namespace kva {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class PortAccess : public kvatest::ProgramStateTest {
 protected:
  void SetUp() override {
    ProgramStateTest::SetUp();
    State().settings.PortAddress = 0x378;
    SetMsgBoxHandler([this](const std::string& text, const std::string& title) {
      messages.emplace_back(title, text);
    });
  }
  // A host that answers with error and records what it was asked.
  void Host(int error) {
    SetPortPermissionRequest([this, error](uint16_t first, uint16_t count) {
      requests.emplace_back(first, count);
      return PortPermissionAnswer{error, {}};
    });
  }
  static inline const std::string pick =
      "Enter the port's own address in Interface, Parallel (usually 378, 278 or 3BC; a plug-in "
      "card's address is listed as parport in /proc/ioports).";
  std::vector<std::pair<uint16_t, uint16_t>> requests;
  std::vector<std::pair<std::string, std::string>> messages;
};

TEST_F(PortAccess, OneRequestPerAddressForTheThreeRegisters) {
  Host(0);
  SetupGiveIO();
  giveio();
  EXPECT_EQ(
      std::tuple(PortAccessGranted(0x377), PortAccessGranted(0x37A), PortAccessGranted(0x37B)),
      std::tuple(false, true, false));
  State().settings.PortAddress = static_cast<int16_t>(0xE800);  // a plug-in card: negative
  giveio();
  EXPECT_THAT(requests, ElementsAre(Pair(0x378, 3), Pair(0xE800, 3)));
  EXPECT_TRUE(messages.empty());
}

TEST_F(PortAccess, RefusalTextsNameAddressReasonAndFix) {
  const struct {
    uint16_t base;
    int error;
    const char* holder;
    bool root;
    std::string reason;
  } cases[] = {
      {0x378, EPERM, "", true,
       "The kernel refuses direct port access even to root (kernel lockdown, for example under "
       "Secure Boot).\n\nStart the computer with lockdown off, or use the USB adapter."},
      {0x3F8, EBUSY, "serial", false, "The ports are busy: they belong to serial.\n\n" + pick},
      {0x3F8, EBUSY, "", false, "The ports are busy: they belong to another driver.\n\n" + pick},
      {0x378, ENOSYS, "", false,
       "This computer has no direct port I/O.\n\nUse the USB adapter instead."},
      {0x378, EIO, "", false, "The system refused: Input/output error.\n\n" + pick}};
  for (const auto& c : cases) {
    EXPECT_EQ(PortAccessRefusalText(c.base, {c.error, c.holder}, c.root),
              "The parallel port at address " + HexNoPad(c.base) +
                  " (hex) cannot be used: no access to the I/O ports " + HexNoPad(c.base) + " to " +
                  HexNoPad(c.base + 2) + ".\n\n" + c.reason);
  }
  EXPECT_THAT(PortAccessRefusalText(0x378, {EACCES, {}}, false),
              testing::MatchesRegex(
                  "The parallel port at address 378 \\(hex\\) cannot be used: no access to the I/O "
                  "ports 378 to 37A.\n\nThe program is not running as root and lacks the "
                  "CAP_SYS_RAWIO capability.\n\nStart it as root, or give it the capability "
                  "once with:\n    sudo setcap cap_sys_rawio\\+ep /.+\nthen start it again."));
}

TEST_F(PortAccess, SystemBoardAddressesAreRefusedWithoutAsking) {
  Host(0);
  State().settings.PortAddress = 0x20;  // the interrupt controller
  giveio();
  EXPECT_TRUE(requests.empty());
  EXPECT_FALSE(PortAccessGranted(0x20));
  EXPECT_THAT(messages, ElementsAre(Pair("Error",
                                         "The parallel port at address 20 (hex) cannot be "
                                         "used: no access to the I/O ports 20 to 22.\n\n"
                                         "Addresses below 100 (hex) belong to the "
                                         "computer's own devices, not to a parallel "
                                         "port.\n\n" +
                                             pick)));
}

}  // namespace
}  // namespace kva
