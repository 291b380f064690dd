#include "mainwindow/device_commands.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

TEST(DeviceCommands, SelfTestMasks) {
  EXPECT_EQ(SelfTestOffValue(0xFFFF), 0xC207);
  EXPECT_EQ(SelfTestOffValue(0x0104), 0x0004);
  EXPECT_EQ(SelfTestOnValue(0x0004), 0x0104);
  EXPECT_EQ(SelfTestOnValue(0x0104), 0x0104);
}

}  // namespace
}  // namespace kva

#include "app/delay.h"
#include "capture/fake_sensor.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {
namespace {

// Delay steps a command spends beyond the register accesses it makes.
int64_t WaitStepsOf(DeviceCommand command, kvatest::FakeBoard& board) {
  const int64_t before = DelayStepsRun;
  const bool rmw = CommandInfo(command).value == 0;
  RunDeviceCommand(command);
  const int64_t spent = DelayStepsRun - before;
  const int64_t start = DelayStepsRun;
  if (rmw) ReadRegister(MISC_CTRL);
  WriteRegister(COMMAND, 0);
  const int64_t accesses = DelayStepsRun - start;
  board.sensor.writes.clear();
  return spent - accesses;
}

TEST(DeviceCommands, WritesAndWaitsOnTheBus) {
  kvatest::FakeBoard board;
  RunDeviceCommand(DeviceCommand::ClearCapture);
  ASSERT_EQ(board.sensor.WordWrites().size(), 1u);
  EXPECT_EQ(board.sensor.WordWrites()[0], (std::pair<uint8_t, uint16_t>{0x4A, 0x0040}));
  board.sensor.writes.clear();

  board.Set(MISC_CTRL, 0xFFFF);
  RunDeviceCommand(DeviceCommand::SelfTestOff);
  EXPECT_EQ(board.sensor.WordWrites()[0], (std::pair<uint8_t, uint16_t>{0x46, 0xC207}));
  board.sensor.writes.clear();
  board.Set(MISC_CTRL, 0x0004);
  RunDeviceCommand(DeviceCommand::SelfTestOn);
  EXPECT_EQ(board.sensor.WordWrites()[0], (std::pair<uint8_t, uint16_t>{0x46, 0x0104}));
  board.sensor.writes.clear();

  EXPECT_EQ(WaitStepsOf(DeviceCommand::ClearCapture, board), 42500);
  EXPECT_EQ(WaitStepsOf(DeviceCommand::SelfTestOn, board), 1000);
  EXPECT_EQ(WaitStepsOf(DeviceCommand::SelfTestOff, board), 0);
  EXPECT_EQ(WaitStepsOf(DeviceCommand::FlashUpdate, board), 60000);
  EXPECT_EQ(WaitStepsOf(DeviceCommand::PowerDown, board), 0);
}

}  // namespace
}  // namespace kva
