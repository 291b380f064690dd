// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/device_commands.h"

#include <gtest/gtest.h>

#include "support/fake_sensor.h"

namespace kva {
namespace {

TEST(DeviceCommands, WordOnTheBusThenTheWait) {
  kvatest::FakeBoard board;
  const struct {
    DeviceCommand command;
    uint16_t miscBefore;
    std::pair<uint8_t, uint16_t> write;
    int64_t waitSteps;  // beyond the register accesses themselves
  } cases[] = {{DeviceCommand::ClearCapture, 0, {0x4A, 0x0040}, 42500},
               {DeviceCommand::FlashUpdate, 0, {0x4A, 0x0008}, 60000},
               {DeviceCommand::PowerDown, 0, {0x4A, 0x0004}, 0},
               {DeviceCommand::SelfTestOn, 0x0004, {0x46, 0x0104}, 1000},
               {DeviceCommand::SelfTestOff, 0xFFFF, {0x46, 0xC207}, 0}};
  for (const auto& c : cases) {
    board.Set(MISC_CTRL, c.miscBefore);
    board.sensor.writes.clear();
    int64_t before = State().delay.DelayStepsRun;
    RunDeviceCommand(c.command);
    const int64_t spent = State().delay.DelayStepsRun - before;
    EXPECT_EQ(board.sensor.WordWrites(), (std::vector<std::pair<uint8_t, uint16_t>>{c.write}));

    before = State().delay.DelayStepsRun;
    if (c.write.first == 0x46) ReadRegister(MISC_CTRL);
    WriteRegister(COMMAND, 0);
    EXPECT_EQ(spent - (State().delay.DelayStepsRun - before), c.waitSteps)
        << CommandInfo(c.command).name;
  }
}

}  // namespace
}  // namespace kva
