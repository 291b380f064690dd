#include "platform/linux_port_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "hostsetup/port_access.h"

namespace kva {
namespace {

// A PC's listing with a parallel port on the board and one on a plug-in card.
constexpr const char* kIoports =
    "0000-0cf7 : PCI Bus 0000:00\n"
    "  0000-001f : dma1\n"
    "  0020-0021 : pic1\n"
    "  0070-0077 : rtc0\n"
    "  0378-037a : parport0\n"
    "  037b-037f : parport0\n"
    "  03c0-03df : vga+\n"
    "  03f8-03ff : serial\n"
    "  0400-0403 : ACPI PM1a_EVT_BLK\n"
    "  0a00-0a0f : pnp 00:04\n"
    "0cf8-0cff : PCI conf1\n"
    "0d00-ffff : PCI Bus 0000:00\n"
    "  e000-efff : PCI Bus 0000:05\n"
    "    e800-e807 : 0000:05:00.0\n"
    "      e800-e802 : parport1\n"
    "    e810-e817 : 0000:05:00.1\n"
    "      e810-e817 : serial\n";

TEST(PortHolder, OnlyDriversOtherThanTheParallelPortsHoldPorts) {
  EXPECT_EQ(FindPortHolder(kIoports, 0x378, 3), std::nullopt);
  EXPECT_EQ(FindPortHolder(kIoports, 0xE800, 3), std::nullopt);
  EXPECT_EQ(FindPortHolder(kIoports, 0x278, 3), std::nullopt);   // nobody there
  EXPECT_EQ(FindPortHolder(kIoports, 0x0A00, 3), std::nullopt);  // a reservation only
  EXPECT_EQ(FindPortHolder(kIoports, 0x3F8, 3), "serial");
  EXPECT_EQ(FindPortHolder(kIoports, 0x3F6, 3), "serial");  // overlaps by its last port
  EXPECT_EQ(FindPortHolder(kIoports, 0xCFA, 3), "PCI conf1");
  EXPECT_EQ(FindPortHolder(kIoports, 0x401, 3), "ACPI PM1a_EVT_BLK");
  EXPECT_EQ(FindPortHolder(kIoports, 0xE80F, 3), "serial");
  // Without the privilege to see addresses the kernel lists zeros: nothing can be told.
  EXPECT_EQ(FindPortHolder("0000-0000 : PCI Bus 0000:00\n  0000-0000 : serial\n", 0x378, 3),
            std::nullopt);
}

class RealPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPortAccess();
    ResetHooks();
    InitRegisterMap();
    ResetRegisterAccess();
    ResetDelay();
    DelayCalibrated = true;
    DelayLoopCount = 1;
    InterfaceType = 1;
    PortAddress = 0x378;
    SetMsgBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
    // The host refuses: the backend must then never touch the port (which would fault).
    SetPortPermissionRequest([this](uint16_t, uint16_t) {
      ++requests;
      return PortPermissionAnswer{EPERM, {}};
    });
  }
  void TearDown() override {
    SetPortIo(nullptr);
    ResetPortAccess();
    ResetHooks();
    ResetSettings();
    ResetDelay();
    ResetRegisterAccess();
  }
  std::vector<std::string> messages;
  int requests = 0;
};

TEST_F(RealPort, RefusedPortReadsAsAnEmptyAddressWithOneMessage) {
  LinuxPortIo port;
  SetPortIo(&port);
  ReadRegister(PROD_ID);
  WriteRegister(SMPL_PRD, 0x1234);
  EXPECT_EQ(port.In(0x379), 0xFF);
  EXPECT_EQ(SpiReadResult, 0);
  EXPECT_EQ(RegRawValue, 0);
  EXPECT_EQ(requests, 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("378"), std::string::npos);

  port.Out(0x80, 0x55);  // outside the port's range: a question of its own, refused unasked
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(messages.size(), 2u);
}

}  // namespace
}  // namespace kva
