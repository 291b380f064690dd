// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/rtc_clock.h"

#include <gtest/gtest.h>

#include "support/fake_sensor.h"

namespace kva {
namespace {

// Words that are not clean BCD, as a clock never set or a glitch gives them.
TEST(RtcClock, FieldsThatAreNotBcd) {
  EXPECT_EQ(BcdDigitsValue(0x3A), 3);  // reading stops at the first digit above 9
  EXPECT_EQ(BcdDigitsValue(0x0C), 0);
  EXPECT_EQ(TimeDisplayText(0x123A), "12 :3A");
  EXPECT_EQ(DateDisplayText(0, 0), "0/0/00");
  // Bits 15..14 and 7..6 of the date and the year's high byte are ignored.
  EXPECT_EQ(DateDisplayText(0xC1E5, 0x1205), "1/25/05");
}

TEST(RtcClock, SyncWritesDateYearTimeFromOneReading) {
  kvatest::FakeBoard board;
  ClockHooks hooks;
  hooks.localNow = [] { return LocalDateTime{2009, 12, 31, 23, 59, 30}; };
  SetClockHooks(hooks);
  const ClockTexts texts = SyncClockToPc();
  EXPECT_EQ(board.sensor.WordWrites(), (std::vector<std::pair<uint8_t, uint16_t>>{
                                           {0x30, 0x1231}, {0x32, 0x0009}, {0x2E, 0x2359}}));
  EXPECT_EQ(texts.date + " " + texts.time, "12/31/09 23 :59");
}

}  // namespace
}  // namespace kva
