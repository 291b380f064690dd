// Register access over a simulated adapter board carrying the simulated sensor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "sim/kva7710.h"
#include "sim/sim_ezusb_bus.h"
#include "usbspi/usb_adapter.h"

namespace kva {
namespace {

class UsbKva7710 : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetUsbAdapter();
    ResetHooks();
    ResetSettings();
    ResetRegisterAccess();
    InitRegisterMap();
    DelayCalibrated = true;
    DelayLoopCount = 1;
    SetMsgBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
    SetEzUsbDriver(&bus);
    InterfaceType = 2;
    FindUsbAdapter();
    ASSERT_TRUE(UsbReady);
  }
  void TearDown() override {
    EXPECT_TRUE(messages.empty());
    SetEzUsbDriver(nullptr);
    ResetUsbAdapter();
    ResetHooks();
    ResetSettings();
    ResetDelay();
  }

  double now = 50.0;
  sim::Kva7710 sensor{[this] { return now; }};
  sim::SimEzUsbBus bus{sensor};
  std::vector<std::string> messages;
};

TEST_F(UsbKva7710, RegistersRoundTripThroughTheAdapter) {
  ReadRegister(PROD_ID);
  EXPECT_EQ(RegRawValue, 0x1E1E);
  WriteRegister(SMPL_PRD, 0x1234);
  ReadRegister(SMPL_PRD);
  EXPECT_EQ(RegRawValue, 0x1234);
  WriteRegister(ALM_MAG1, 0xFFFF);  // bit 14 is not writable
  ReadRegister(ALM_MAG1);
  EXPECT_EQ(RegRawValue, 0xBFFF);
  WriteRegister(CAPT_PNTR, 0x0ABC);  // low byte first
  ReadRegister(CAPT_PNTR);
  EXPECT_EQ(RegRawValue, 0x0ABC);
  EXPECT_EQ(bus.Packets(0).size(), 1u + 7u) << "revision, then one packet per access";
}

TEST_F(UsbKva7710, ManyFramesInOneExchangeEachGetTheirChipSelect) {
  // Two read commands and a data slot in one packet: each frame answers the one before it.
  SpiTxWords[1] = 0x4C00;  // PROD_ID
  SpiTxWords[2] = 0x4E00;  // SW_REV
  SpiTxWords[3] = 0x0000;
  uint8_t n = 3;
  UsbSpiTransfer(n);
  EXPECT_EQ(SpiRxWords[2], 0x1E1E);
  EXPECT_EQ(SpiRxWords[3], 0x0100);

  SpiInputPolarity = false;
  UsbSpiTransfer(n);
  EXPECT_EQ(SpiRxWords[2], 0x3C3D) << "0x1E1E one bit late";
}

}  // namespace
}  // namespace kva
