// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/register_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(RegisterAccess, ReadsDecodeWidthSignScaleAndFlags) {
  // In order, without reset: every row of the map is the map's own test; these are the word
  // layouts, with the frames and the waits.
  struct Case {
    int16_t index;
    uint16_t raw;
    int32_t address, count, nd, ea;
    float scaled;
  };
  const Case cases[] = {
      {XACCL_OUT, 0xBFF6, 0x04, -10, 32768, 0, -0.514f},
      {CHECKSUM, 0xFFFF, 0x1E, -1, 32768, 0, -1.0f},  // no flag columns: the flags stay
      {SUPPLY_OUT, 0xC3FF, 0x02, 1023, 32768, 16384, 1023 * 0.00488f},
      {TEMP_OUT, 0x00CD, 0x0C, 205, 0, 0, 0.048828125f},
      {XYZ_PK_OUT, 0xFFFF, 0x14, 0x3FFF, 32768, 16384, 0x3FFF * 256.0f}};
  for (const Case& c : cases) {
    port.events.clear();
    State().delay.DelayStepsRun = 0;
    port.QueueAnswer(c.raw);
    ReadRegister(c.index);
    EXPECT_THAT(DecodeFrames(port.DataWrites()), ElementsAre(c.address * 256, 0)) << c.index;
    EXPECT_EQ(State().registers.RegRawValue, c.count) << c.index;
    EXPECT_FLOAT_EQ(State().registers.RegScaledValue, c.scaled) << c.index;
    EXPECT_EQ(std::pair(State().registers.RegNDBit, State().registers.RegEABit),
              std::pair(c.nd, c.ea))
        << c.index;
    EXPECT_EQ(State().registers.RegHighByte * 256 + State().registers.RegLowByte, c.raw) << c.index;
    // Command frame settle, data frame settle, the access's own settle: 10 steps each.
    EXPECT_EQ(State().delay.DelayStepsRun, 30) << c.index;
  }
}

TEST_F(RegisterAccess, WritesHighByteFirstExceptTheCapturePointer) {
  struct Case {
    int16_t index;
    int32_t value, first, second;
  };
  const Case cases[] = {
      {SMPL_PRD, 0x1234, 0xC912, 0xC834},
      {CAPT_PNTR, 0x1234, 0xC034, 0xC112},
      {XACCL_NULL, -2, 0xA1FF, 0xA0FE},
      {PROD_ID, 0x0102, 0xCD01, 0xCC02}  // not writable, sent all the same
  };
  for (const Case& c : cases) {
    port.events.clear();
    State().delay.DelayStepsRun = 0;
    WriteRegister(c.index, c.value);
    EXPECT_THAT(DecodeFrames(port.DataWrites()), ElementsAre(c.first, c.second)) << c.index;
    EXPECT_EQ(State().delay.DelayStepsRun, 30);  // a settle after each frame and the access
  }
}

TEST_F(RegisterAccess, UnreadableSlotsAndBadIndexesSendNothing) {
  port.QueueAnswer(0xBFF6);
  ReadRegister(XACCL_OUT);
  port.events.clear();
  State().delay.DelayStepsRun = 0;
  for (int16_t index : {RESERVED_19, RESERVED_22, int16_t{40}, int16_t{60}}) {
    State().registers.RegRawValue = 5;
    State().registers.RegScaledValue = 5.0f;
    ReadRegister(index);
    EXPECT_EQ(State().registers.RegRawValue + State().registers.RegScaledValue, 0) << index;
  }
  // The bytes and flags of the last real read stay.
  EXPECT_EQ(State().registers.RegHighByte * 256 + State().registers.RegLowByte, 0xBFF6);
  EXPECT_EQ(State().registers.RegNDBit, 32768);
  for (int16_t index : {-1, 61}) {
    EXPECT_THROW(ReadRegister(index), std::out_of_range);
    EXPECT_THROW(WriteRegister(index, 0x1234), std::out_of_range);
  }
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(State().delay.DelayStepsRun, 0);
}

TEST_F(RegisterAccess, FrameLayerMasksItsArgumentsInPlace) {
  int16_t a1 = 0x1C9, d1 = 0x1234, a2 = -1, d2 = 0x100;
  SpiWriteFrames(a1, d1, a2, d2);
  EXPECT_THAT((std::vector<int16_t>{a1, d1, a2, d2}), ElementsAre(0x49, 0x34, 0x7F, 0x00));
  EXPECT_THAT(DecodeFrames(port.DataWrites()), ElementsAre(0xC934, 0xFF00));

  port.events.clear();
  int16_t address = 0xC4;
  port.QueueAnswer(0x8001);
  EXPECT_EQ(SpiReadWord(address), 0x8001);
  EXPECT_EQ(address, 0x44);
  EXPECT_THAT(DecodeFrames(port.DataWrites()), ElementsAre(0x4400, 0x0000));
}

TEST_F(RegisterAccess, OtherInterfacesLeaveThePortQuiet) {
  port.QueueAnswer(0xFFFF);
  ReadRegister(TEMP_OUT);
  port.events.clear();
  // No interface: nothing is sent and reads decode zero.
  State().settings.InterfaceType = Interface::None;
  ReadRegister(TEMP_OUT);
  EXPECT_EQ(State().registers.RegScaledValue, -50.0f);
  EXPECT_EQ(State().registers.RegRawValue + State().registers.RegNDBit + State().registers.RegEABit,
            0);
  WriteRegister(SMPL_PRD, 0x1234);
  LptWriteFrame(0x8000);
  // The USB adapter gets the frames, on channel 1; not ready, a read gives zero, not the word
  // left over from an earlier exchange.
  State().settings.InterfaceType = Interface::Usb;
  State().usb.SpiChannel = 3;
  WriteRegister(SMPL_PRD, 0x1234);
  EXPECT_EQ(
      std::vector<int>(State().usb.SpiTxWords.begin() + 1, State().usb.SpiTxWords.begin() + 3),
      (std::vector<int>{0xC912, 0xC834}));
  EXPECT_EQ(State().usb.SpiChannel, 1);
  State().usb.SpiRxWords[2] = State().registers.SpiReadResult = 0xBFF6;
  ReadRegister(XACCL_OUT);
  EXPECT_EQ(
      std::vector<int>(State().usb.SpiTxWords.begin() + 1, State().usb.SpiTxWords.begin() + 3),
      (std::vector<int>{0x0400, 0x0000}));
  EXPECT_EQ(State().registers.SpiReadResult + State().registers.RegRawValue, 0);
  for (Interface type : {Interface::None, Interface::Usb}) {
    State().settings.InterfaceType = type;
    LptInit();
    int16_t address = 0x04;
    EXPECT_EQ(LptReadWord(address), 0);
  }
  EXPECT_TRUE(port.events.empty());
}

// The port sequences themselves, level by level.
TEST_F(RegisterAccess, LptWriteFrameOf0x8000) {
  LptWriteFrame(0x8000);
  std::vector<uint8_t> expected = {4, 5, 7, 3, 1, 5};
  for (int i = 0; i < 15; ++i) expected.insert(expected.end(), {7, 7, 5, 5});
  expected.push_back(0);
  EXPECT_EQ(port.DataWrites(), expected);
  EXPECT_EQ(port.events.size(), expected.size());  // nothing but the data register
  EXPECT_EQ(State().delay.DelayStepsRun, 10);
}

TEST_F(RegisterAccess, LptReadWordSendsCommandThenClocksTheAnswerIn) {
  port.QueueAnswer(0xA5C3);
  State().registers.LptReadAccumulator = 77;
  int16_t address = 0x1A;
  EXPECT_EQ(LptReadWord(address), 0xA5C3);
  EXPECT_EQ(State().registers.SpiReadResult, 0xA5C3);
  EXPECT_EQ(State().registers.LptReadAccumulator, 0xA5C3);

  // The answer is clocked in with one status read per bit, and the lines end idle.
  const auto reads = std::count_if(port.events.begin(), port.events.end(),
                                   [](const PortEvent& e) { return !e.out; });
  EXPECT_EQ(reads, 16);
  EXPECT_EQ(port.DataWrites().back(), 0);
  EXPECT_EQ(State().delay.DelayStepsRun, 20);
}

TEST_F(RegisterAccess, LptInitSetsTheStatusRegisterThenIdlesTheLines) {
  State().settings.PortAddress = 0x278;
  LptInit();
  EXPECT_THAT(port.events, ElementsAre(PortEvent{true, 0x279, 0x40}, PortEvent{true, 0x278, 0}));
  EXPECT_EQ(State().delay.DelayStepsRun, 10);
}

}  // namespace
}  // namespace kva
