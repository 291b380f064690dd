// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/trigger_levels.h"

#include <gtest/gtest.h>

#include <optional>

#include "device/register_map.h"
#include "support/program_state.h"

namespace kva {
namespace {

using TriggerLevels = kvatest::ProgramStateTest;

TEST_F(TriggerLevels, LevelsToMagnitudes) {
  const struct {
    int16_t code;
    double level;
    int32_t magnitude;
  } cases[] = {
      {2, 12, 233},       // the window's example: 12 / 0.0514 = 233.46
      {2, -200, 0x3557},  // limited to -140.288: q = -2729, 16384 - 2729
      {3, -0.02, 16384},  // q = 0 of a negative level: the mask makes it 0
      {5, 3, 4095},       // limited to 2.5, divided by 2.5 / 4095
      {1, 5, 1024},       // 4.9959 / 0.00488 = 1023.75
      {6, 25, 307},       // (25 + 50) * 4.096 = 307.2
      {6, -336.43, 0},    // below the read side's range: the smallest magnitude
      {8, 20.66, 413}     // Y_PEAK OUT's scale, 413.2
  };
  for (const auto& c : cases)
    EXPECT_EQ(EngToAlarmMag(c.code, c.level), c.magnitude) << c.code << " " << c.level;
  for (int16_t code : {0, -1, 9}) EXPECT_FALSE(EngToAlarmMag(code, 1.0).has_value());
}

TEST_F(TriggerLevels, MagnitudesToLevels) {
  EXPECT_FLOAT_EQ(*AlarmMagToEng(2, 0x3FFF), -0.0514f);
  EXPECT_FLOAT_EQ(*AlarmMagToEng(1, 0x3FFF), 16383 * 0.00488f);  // unsigned
  EXPECT_FLOAT_EQ(*AlarmMagToEng(5, 8000), 4095 * 3.3f / 1024);
  SetAuxScaleFromSupply(3.0f);  // the read side follows the supply
  EXPECT_FLOAT_EQ(*AlarmMagToEng(5, 100), 100 * 3.0f / 1024);
  EXPECT_FLOAT_EQ(*AlarmMagToEng(6, 307), 307 / 4.096f - 50);
  for (int16_t code : {0, -1, 9}) EXPECT_FALSE(AlarmMagToEng(code, 1).has_value());
}

TEST(TriggerSources, NamedByAnyListTextOrDigit) {
  const std::pair<const char*, std::optional<int16_t>> names[] = {
      {"x_acc", 2}, {"XYZ_PEAKOUT", 7}, {"Disabled", 0}, {"8", 8}, {"9", {}}, {"xacc", {}}};
  for (const auto& [name, source] : names) EXPECT_EQ(FindTriggerSource(name), source) << name;
}

}  // namespace
}  // namespace kva
