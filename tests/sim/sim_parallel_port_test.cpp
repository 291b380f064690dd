// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_parallel_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "support/sim_rig.h"

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

class SimPort : public kvatest::SimRig {
 protected:
  void SetUp() override {
    SimRig::SetUp();
    UseInterface(kva::Interface::Parallel);
    SetPortIo(&port);
  }
  ScriptedSlave slave;
  SimParallelPort port{slave};
};

TEST_F(SimPort, AnswerIsTakenWhenChipSelectRisesAndDrivenFromRisingEdges) {
  slave.answers = {0x8001};
  port.Out(0x278, 5);  // another port's address reaches nothing
  port.Out(0x378, 4);
  EXPECT_EQ(slave.pendingCalls, 0);
  port.Out(0x378, 5);
  EXPECT_EQ(slave.pendingCalls, 1);
  std::string seen(1, port.In(0x379) == 0xFF ? '-' : 'x');  // nothing driven before a rise
  for (int bit = 15; bit >= 0; --bit) {
    port.Out(0x378, 7);
    seen += port.In(0x379) == 0xBF ? '1' : '0';  // inverted
    port.Out(0x378, 5);
    seen += port.In(0x379) == 0xBF ? '1' : '0';  // held
  }
  port.Out(0x378, 0);
  seen += port.In(0x379) == 0xFF ? '-' : 'x';  // released when chip select falls
  EXPECT_EQ(seen, "-11000000000000000000000000000011-");
  EXPECT_THAT(slave.received, ElementsAre(0x0000));
}

}  // namespace
}  // namespace kva::sim
