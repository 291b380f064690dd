// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsetup/port_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "app/hooks.h"
#include "app/settings.h"
#include "support/program_state.h"

namespace kva {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
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
  std::vector<std::pair<uint16_t, uint16_t>> requests;
  std::vector<std::pair<std::string, std::string>> messages;
};

TEST_F(PortAccess, OneRequestPerAddressForTheThreeRegisters) {
  Host(0);
  SetupGiveIO();
  giveio();
  EXPECT_FALSE(PortAccessGranted(0x377));
  EXPECT_TRUE(PortAccessGranted(0x37A));
  EXPECT_FALSE(PortAccessGranted(0x37B));
  State().settings.PortAddress =
      static_cast<int16_t>(0xE800);  // a plug-in card, held as a negative number
  giveio();
  EXPECT_THAT(requests, ElementsAre(Pair(0x378, 3), Pair(0xE800, 3)));
  EXPECT_TRUE(messages.empty());
}

TEST_F(PortAccess, RefusalTextsNameAddressReasonAndFix) {
  const std::string notRoot = PortAccessRefusalText(0x378, {EPERM, {}}, false);
  EXPECT_THAT(notRoot, HasSubstr("The parallel port at address 378 (hex) cannot be used: no "
                                 "access to the I/O ports 378 to 37A.\n\n"));
  EXPECT_THAT(notRoot, HasSubstr("not running as root and lacks the CAP_SYS_RAWIO capability"));
  EXPECT_THAT(notRoot, HasSubstr("sudo setcap cap_sys_rawio+ep /"));
  EXPECT_THAT(PortAccessRefusalText(0x378, {EPERM, {}}, true), HasSubstr("kernel lockdown"));
  EXPECT_THAT(PortAccessRefusalText(0x3F8, {EBUSY, "serial"}, false),
              HasSubstr("The ports are busy: they belong to serial."));
  EXPECT_THAT(PortAccessRefusalText(0x3F8, {EBUSY, {}}, false),
              HasSubstr("they belong to another driver"));
  EXPECT_THAT(PortAccessRefusalText(0x378, {ENOSYS, {}}, false),
              HasSubstr("no direct port I/O.\n\nUse the USB adapter instead."));
}

TEST_F(PortAccess, SystemBoardAndOutOfRangeAddressesAreRefusedWithoutAsking) {
  Host(0);
  State().settings.PortAddress = 0x20;  // the interrupt controller
  giveio();
  State().settings.PortAddress = static_cast<int16_t>(0xFFFE);
  giveio();
  EXPECT_TRUE(requests.empty());
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_THAT(messages[0].second, HasSubstr("at address 20 (hex)"));
  EXPECT_THAT(messages[0].second,
              HasSubstr("below 100 (hex) belong to the computer's own devices"));
  EXPECT_THAT(messages[1].second, HasSubstr("leaves the I/O port range"));
  EXPECT_FALSE(PortAccessGranted(0x20));
}

}  // namespace
}  // namespace kva
