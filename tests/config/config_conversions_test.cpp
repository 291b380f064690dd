// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration conversions at their edges: offsets against the single-precision scale and
// ALM_CTRL's read-modify-write. Sample rates are the window's and the tool's tests.
#include <gtest/gtest.h>

#include "config/alarm_config.h"
#include "config/calibration.h"
#include "support/program_state.h"

namespace kva {
namespace {

using ConfigConversions = kvatest::ProgramStateTest;

TEST_F(ConfigConversions, OffsetsInMg) {
  const struct {
    const char* typed;
    const char* entry;  // what is written from
    int32_t counts;
    const char* readBack;
  } cases[] = {
      {"25.69", "25.69", 0, "0.0"},
      {"25.7", "25.7", 1, "51.4"},  // just above half a count of 0.0514 as stored
      {"6527.8", "6527.8", 127, "6527.8"},
      {"6528", "6527.8", 127, "6527.8"},
      {"-7000", "-6579.2", -128, "-6579.2"},
      {"", "0", 0, "0.0"},
  };
  for (const auto& c : cases) {
    const std::string entry = OffsetEntryText(c.typed);
    EXPECT_EQ(entry, c.entry) << c.typed;
    const int32_t counts = OffsetCountsForMg(1, std::stod(entry));
    EXPECT_EQ(counts, c.counts) << c.typed;
    EXPECT_EQ(OffsetReadText(1, counts), c.readBack) << c.typed;
  }
  EXPECT_EQ(OffsetWrittenText(0, 2), "102.8");
}

TEST_F(ConfigConversions, AlarmControlKeepsTheBitsItDoesNotOwn) {
  // The alarm window's test writes over 0x0037 and 0x2310; here the other bits are all ones.
  EXPECT_EQ(WithAlarmSource(0xFFFF, 2, 5), 0x5FFF);
  EXPECT_EQ(WithDigitalIndicator(0x2317, false, false, false), 0x2310);
  EXPECT_EQ(AlarmSourceOf(0x9F00, 1), 8);  // invalid fields count as the last source
  EXPECT_EQ(AlarmSourceOf(0x9F00, 2), 8);

  EXPECT_EQ(AlarmMagValue(2, -200, false), 0x3557);
  EXPECT_EQ(AlarmMagValue(0, 5, true), 0x8000);  // no source: the polarity alone
  EXPECT_EQ(AlarmLevelText(2, 0xBFFF), "-0.051");
  EXPECT_EQ(AlarmLevelText(2, 0x0064, ""), "5.14");
  EXPECT_EQ(AlarmLevelText(0, 0x0064), "");
}

}  // namespace
}  // namespace kva
