#include "mainwindow/window_startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "hostsetup/port_access.h"
#include "sim/sim_board.h"
#include "usbspi/usb_adapter.h"

namespace kva {
namespace {

class WindowStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    DelayCalibrated = true;
    DelayLoopCount = 1;
    ResetSettings();
    ResetUsbAdapter();
    ResetRegisterAccess();
    InitRegisterMap();
    SetMsgBoxHandler([this](const std::string& text, const std::string&) { messages.push_back(text); });
    SetPortPermissionRequest([this](uint16_t first, uint16_t) {
      accessRequests.push_back(first);
      return PortPermissionAnswer{};
    });
  }
  void TearDown() override {
    ResetHooks();
    ResetPortAccess();
    ResetUsbAdapter();
    ResetSettings();
  }

  sim::SimBoard board;
  std::vector<std::string> messages;
  std::vector<uint16_t> accessRequests;
};

TEST_F(WindowStartup, ParallelPortGetsAccessAndIdleLinesOnlyOnTheNtFamily) {
  InterfaceType = 1;
  PortAddress = 0x378;
  InterfaceBringUp up = BringUpInterface("Win98");
  EXPECT_FALSE(up.checkPort);
  EXPECT_FALSE(PortDriverReady);
  EXPECT_TRUE(accessRequests.empty());

  up = BringUpInterface("WinXP");
  EXPECT_TRUE(up.checkPort);
  EXPECT_TRUE(PortDriverReady);
  EXPECT_EQ(accessRequests, std::vector<uint16_t>{0x378});
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(InterfaceType, 1);
}

TEST_F(WindowStartup, UsbIsRefusedOnWin95AndSetUpElsewhere) {
  InterfaceType = 2;
  InterfaceBringUp up = BringUpInterface("Win95");
  EXPECT_EQ(messages, std::vector<std::string>{"USB not available for Windows95"});
  EXPECT_TRUE(up.hideUsb);
  EXPECT_FALSE(up.checkUsb);
  EXPECT_EQ(InterfaceType, 0);
  EXPECT_EQ(board.bus().RequestCount(), 0u);

  messages.clear();
  InterfaceType = 2;
  SpiWordDelay = 40;
  up = BringUpInterface("WinNT");
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(up.checkUsb);
  EXPECT_FALSE(up.showUsbSelect);
  EXPECT_EQ(board.bus().Firmware(0).wordDelay, 40);
}

TEST_F(WindowStartup, NoInterfaceGivesOneMessage) {
  InterfaceType = 7;
  const InterfaceBringUp up = BringUpInterface("WinXP");
  EXPECT_EQ(messages, std::vector<std::string>{"Please select an interface before taking data"});
  EXPECT_EQ(InterfaceType, 0);
  EXPECT_FALSE(up.checkPort || up.checkUsb || up.hideUsb || up.showUsbSelect);
}

TEST_F(WindowStartup, StartupReadsKeepGpioAndAlarmControl) {
  InterfaceType = 2;
  FindUsbAdapter();
  WriteRegister(GPIO_CTR, 0x0102);
  WriteRegister(ALM_CTRL, 0x0230);
  ReadStartupRegisters();
  EXPECT_EQ(GpioCtrlValue, 0x0102);
  EXPECT_EQ(AlmCtrlValue, 0x0230);
}

TEST(WindowTitle, NamesTheSimulatedBoard) {
  EXPECT_EQ(MainWindowTitle(1, false), "Brevant - KVA7710 Evaluation Software   Rev 1");
  EXPECT_EQ(MainWindowTitle(2, true),
            "Brevant - KVA7710 Evaluation Software   Rev 2 [simulated board]");
}

}  // namespace
}  // namespace kva
