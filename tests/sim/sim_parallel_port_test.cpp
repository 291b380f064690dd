#include "sim/sim_parallel_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "app/delay.h"
#include "app/settings.h"
#include "device/lpt_transport.h"
#include "device/port_io.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "support/recording_port_io.h"

namespace kva::sim {
namespace {

using ::testing::ElementsAre;

// Answers queued words, one per frame, and keeps every frame it was handed.
class ScriptedSlave : public SpiSlave {
 public:
  uint16_t PendingAnswer() override {
    ++pendingCalls;
    return answers.empty() ? 0 : answers.front();
  }
  uint16_t Transfer(uint16_t mosi) override {
    received.push_back(mosi);
    const uint16_t answer = PendingAnswer();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::deque<uint16_t> answers;
  std::vector<uint16_t> received;
  int pendingCalls = 0;
};

class SimPort : public ::testing::Test {
 protected:
  void SetUp() override {
    InitRegisterMap();
    ResetRegisterAccess();
    ResetDelay();
    DelayCalibrated = true;
    DelayLoopCount = 1;
    InterfaceType = 1;
    PortAddress = 0x378;
    SetPortIo(&port);
  }
  void TearDown() override {
    SetPortIo(nullptr);
    ResetSettings();
    ResetDelay();
    ResetRegisterAccess();
  }
  ScriptedSlave slave;
  SimParallelPort port{slave};
};

TEST_F(SimPort, ReadFrameReachesTheDeviceAndTheAnswerComesBackBitForBit) {
  slave.answers = {0x1234, 0xBFF6};  // answer of the command frame, then of the data frame
  ReadRegister(XACCL_OUT);
  EXPECT_THAT(slave.received, ElementsAre(0x0400, 0x0000));
  EXPECT_EQ(SpiReadResult, 0xBFF6);
  EXPECT_EQ(RegRawValue, -10);
  EXPECT_EQ(port.Frames(), 2u);
  EXPECT_EQ(port.DroppedFrames(), 0u);  // the trailing clock pulse has chip select off
  EXPECT_FALSE(port.Selected());
}

TEST_F(SimPort, WriteFramesReachTheDeviceInOrder) {
  WriteRegister(SMPL_PRD, 0x1234);
  WriteRegister(CAPT_PNTR, 0xFFFF);
  EXPECT_THAT(slave.received, ElementsAre(0xC912, 0xC834, 0xC0FF, 0xC1FF));
}

TEST_F(SimPort, AnswerIsTakenWhenChipSelectRisesAndDrivenFromRisingEdges) {
  slave.answers = {0x8001};
  port.Out(0x378, 4);
  EXPECT_EQ(slave.pendingCalls, 0);
  port.Out(0x378, 5);
  EXPECT_EQ(slave.pendingCalls, 1);
  EXPECT_EQ(port.In(0x379), 0xFF);  // nothing driven before the first rising edge
  port.Out(0x378, 7);
  EXPECT_EQ(port.In(0x379), 0xBF);  // bit 15 = 1, inverted
  port.Out(0x378, 5);
  EXPECT_EQ(port.In(0x379), 0xBF);  // held through the falling edge
  for (int bit = 14; bit >= 0; --bit) {
    port.Out(0x378, 7);
    EXPECT_EQ(port.In(0x379), bit == 0 ? 0xBF : 0xFF) << bit;
    port.Out(0x378, 5);
  }
  port.Out(0x378, 0);
  EXPECT_EQ(port.In(0x379), 0xFF);  // released when chip select falls
  EXPECT_THAT(slave.received, ElementsAre(0x0000));
}

TEST_F(SimPort, SelectPeriodsOfAnotherLengthNeverReachTheDevice) {
  auto frame = [&](int clocks, bool one) {
    port.Out(0x378, 5);
    for (int i = 0; i < clocks; ++i) {
      port.Out(0x378, 7);
      port.Out(0x378, one ? 3 : 7);
      port.Out(0x378, one ? 1 : 5);
      port.Out(0x378, 5);
    }
    port.Out(0x378, 0);
  };
  frame(15, true);
  frame(17, true);
  frame(0, true);
  EXPECT_TRUE(slave.received.empty());
  EXPECT_EQ(port.DroppedFrames(), 3u);
  frame(16, true);
  EXPECT_THAT(slave.received, ElementsAre(0xFFFF));
  // Clock pulses with chip select off are not bits.
  port.Out(0x378, 2), port.Out(0x378, 0), port.Out(0x378, 6), port.Out(0x378, 4);
  frame(16, false);
  EXPECT_THAT(slave.received, ElementsAre(0xFFFF, 0x0000));
  EXPECT_EQ(port.Frames(), 2u);
}

TEST_F(SimPort, LinesChangingTogetherCountInsideTheFrame) {
  // Chip select and clock rise in one write, clock and chip select fall in another.
  slave.answers = {0x8000};
  port.Out(0x378, 3);
  EXPECT_EQ(port.In(0x379), 0xBF);
  port.Out(0x378, 1);
  for (int i = 0; i < 14; ++i) port.Out(0x378, 3), port.Out(0x378, 1);
  port.Out(0x378, 3);
  port.Out(0x378, 0);
  EXPECT_THAT(slave.received, ElementsAre(0xFFFF));
}

TEST_F(SimPort, RegistersAndEmptyAddresses) {
  port.Out(0x378, 0x05);
  port.Out(0x37A, 0x2C);
  port.Out(0x379, 0x00);  // status is input only
  port.Out(0x37B, 0x12);
  EXPECT_EQ(port.In(0x378), 0x05);
  EXPECT_EQ(port.In(0x37A), 0x2C);
  EXPECT_EQ(port.In(0x379), 0xFF);
  EXPECT_EQ(port.In(0x37B), 0xFF);
  EXPECT_EQ(port.In(0x278), 0xFF);
  port.Out(0x378, 0);
  EXPECT_EQ(port.DroppedFrames(), 1u);
  port.Reset();
  EXPECT_EQ(port.In(0x378), 0);
  EXPECT_EQ(port.DroppedFrames(), 0u);
}

TEST_F(SimPort, ProgramAtAnotherAddressSeesAnEmptyPort) {
  slave.answers = {0xFFFF, 0xFFFF};
  PortAddress = 0x278;
  ReadRegister(STATUS);
  EXPECT_EQ(SpiReadResult, 0);
  EXPECT_TRUE(slave.received.empty());
  EXPECT_EQ(slave.pendingCalls, 0);
}

}  // namespace
}  // namespace kva::sim
