// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/register_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "device/lpt_transport.h"
#include "support/dev_setup.h"
#include "support/recording_port_io.h"
#include "usbspi/usb_adapter.h"

namespace kva {
namespace {

using kvatest::DecodeFrames;
using kvatest::PortEvent;
using ::testing::ElementsAre;

class RegisterAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    State().usb.UsbReady = false;
    State().usb.SpiTxWords = {};
    State().usb.SpiRxWords = {};
  }
  kvatest::RecordingPortIo port;
  kvatest::LptSetup setup{&port};
};

TEST_F(RegisterAccess, UnreadableSlotsAndBadIndexesSendNothing) {
  port.QueueAnswer(0xBFF6);
  ReadRegister(XACCL_OUT);
  port.events.clear();
  State().delay.DelayStepsRun = 0;
  for (int16_t index : {RESERVED_19, int16_t{40}, int16_t{60}}) {
    State().registers.RegRawValue = 5;
    State().registers.RegScaledValue = 5.0f;
    ReadRegister(index);
    EXPECT_EQ(State().registers.RegRawValue + State().registers.RegScaledValue, 0) << index;
  }
  // The bytes and flags of the last real read stay.
  EXPECT_EQ(State().registers.RegHighByte * 256 + State().registers.RegLowByte, 0xBFF6);
  EXPECT_EQ(State().registers.RegNDBit, 32768);
  for (int16_t index : {-1, 61}) EXPECT_THROW(WriteRegister(index, 0), std::out_of_range);
  EXPECT_THROW(ReadRegister(61), std::out_of_range);
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(State().delay.DelayStepsRun, 0);
}

TEST_F(RegisterAccess, FrameLayerMasksItsArgumentsInPlace) {
  int16_t a1 = 0x1C9, d1 = 0x1234, a2 = -1, d2 = 0x100;
  SpiWriteFrames(a1, d1, a2, d2);
  EXPECT_THAT((std::vector<int16_t>{a1, d1, a2, d2}), ElementsAre(0x49, 0x34, 0x7F, 0x00));
  EXPECT_THAT(DecodeFrames(port.Writes()), ElementsAre(0xC934, 0xFF00));

  port.events.clear();
  int16_t address = 0xC4;
  port.QueueAnswer(0x8001);
  EXPECT_EQ(SpiReadWord(address), 0x8001);
  EXPECT_EQ(address, 0x44);
  EXPECT_THAT(DecodeFrames(port.Writes()), ElementsAre(0x4400, 0x0000));
}

// No interface: nothing is sent and reads decode zero. The USB adapter gets the frames on
// channel 1; not ready, a read gives zero rather than a word left from an earlier exchange.
TEST_F(RegisterAccess, OtherInterfacesLeaveThePortQuiet) {
  State().settings.InterfaceType = Interface::None;
  ReadRegister(TEMP_OUT);
  EXPECT_EQ(State().registers.RegScaledValue, -50.0f);
  WriteRegister(SMPL_PRD, 0x1234);
  State().settings.InterfaceType = Interface::Usb;
  State().usb.SpiChannel = 3;
  State().usb.SpiRxWords[2] = State().registers.SpiReadResult = 0xBFF6;
  ReadRegister(XACCL_OUT);
  EXPECT_EQ(std::vector<int>(&State().usb.SpiTxWords[1], &State().usb.SpiTxWords[3]),
            (std::vector<int>{0x0400, 0x0000}));
  EXPECT_EQ(State().usb.SpiChannel, 1);
  EXPECT_EQ(State().registers.SpiReadResult + State().registers.RegRawValue, 0);
  int16_t address = 0x04;
  EXPECT_EQ(LptReadWord(address), 0);
  EXPECT_TRUE(port.events.empty());
}

TEST_F(RegisterAccess, LptInitSetsTheStatusRegisterThenIdlesTheLines) {
  State().settings.PortAddress = 0x278;
  LptInit();
  EXPECT_THAT(port.events, ElementsAre(PortEvent{true, 0x279, 0x40}, PortEvent{true, 0x278, 0}));
  EXPECT_EQ(State().delay.DelayStepsRun, 10);
}

}  // namespace
}  // namespace kva
