#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/settings.h"
#include "device/port_io.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "hostsetup/port_access.h"
#include "usbspi/ezusb_driver.h"
#include "usbspi/usb_adapter.h"

namespace kva::sim {
namespace {

class SimBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHooks();
    ResetSettings();
    ResetUsbAdapter();
    ResetRegisterAccess();
    InitRegisterMap();
    DelayCalibrated = true;
    DelayLoopCount = 1;
    SetMsgBoxHandler([this](const std::string& text, const std::string&) { messages += text; });
  }
  void TearDown() override {
    ResetHooks();
    ResetSettings();
    ResetUsbAdapter();
    ResetDelay();
  }
  double now = 100.0;
  std::string messages;
  SimBoardOptions Options() {
    SimBoardOptions o;
    o.clock = [this] { return now; };
    return o;
  }
};

TEST_F(SimBoardTest, OneSensorAnswersOnBothInterfaces) {
  SimBoard board(Options());
  InterfaceType = 2;
  FindUsbAdapter();
  ASSERT_TRUE(UsbReady) << messages;
  WriteRegister(SMPL_PRD, 0x0007);

  InterfaceType = 1;
  PortAddress = 0x378;
  ASSERT_TRUE(RequestPortAccess(0x378));
  ReadRegister(SMPL_PRD);
  EXPECT_EQ(RegRawValue, 7);
  ReadRegister(PROD_ID);
  EXPECT_EQ(RegRawValue, 0x1E1E);

  // The bench stimulus decodes through either road: Z reads +1 g.
  now += 1.0;
  ReadRegister(ZACCL_OUT);
  EXPECT_NEAR(RegScaledValue, 1.0, 0.0514);
  InterfaceType = 2;
  ReadRegister(ZACCL_OUT);
  EXPECT_NEAR(RegScaledValue, 1.0, 0.0514);
  EXPECT_EQ(messages, "");
}

TEST_F(SimBoardTest, UnknownScenarioIsRefusedAndTheSeamsAreRestored) {
  SimBoardOptions bad = Options();
  bad.scenario = "bogus";
  EXPECT_THROW(SimBoard{bad}, std::invalid_argument);
  EXPECT_EQ(CurrentPortIo(), nullptr);
  {
    SimBoard board(Options());
    EXPECT_EQ(CurrentPortIo(), &board.port());
    EXPECT_EQ(CurrentEzUsbDriver(), &board.bus());
  }
  EXPECT_EQ(CurrentPortIo(), nullptr);
  EXPECT_EQ(CurrentEzUsbDriver(), nullptr);
}

}  // namespace
}  // namespace kva::sim
