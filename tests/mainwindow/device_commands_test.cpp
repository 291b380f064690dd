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

TEST(DeviceCommands, NamesValuesAndWaits) {
  ASSERT_EQ(FindDeviceCommand("nope"), nullptr);
  const struct {
    const char* name;
    int32_t value;
    double wait;
  } expected[] = {{"auto-null", 1, 250},      {"factory-cal", 2, 500},  {"power-down", 4, 0},
                  {"power-up", 256, 0},       {"flash-update", 8, 600}, {"clear-alarms", 16, 0},
                  {"reset-peaks", 32, 0},     {"clear-capture", 64, 425},
                  {"self-test-on", 0, 10},    {"self-test-off", 0, 0}};
  for (const auto& e : expected) {
    const DeviceCommandInfo* info = FindDeviceCommand(e.name);
    ASSERT_NE(info, nullptr) << e.name;
    EXPECT_EQ(info->value, e.value) << e.name;
    EXPECT_EQ(info->waitMs, e.wait) << e.name;
    EXPECT_EQ(&CommandInfo(info->command), info);
  }
}

}  // namespace
}  // namespace kva
