// SPDX-License-Identifier: GPL-3.0-or-later
// The one place the clock's texts are checked; the window and the tool only show them.
#include "mainwindow/rtc_clock.h"

#include <gtest/gtest.h>

#include "support/fake_sensor.h"

namespace kva {
namespace {

using Writes = std::vector<std::pair<uint8_t, uint16_t>>;

TEST(RtcClock, BcdFieldsAndTheirTexts) {
  for (const auto& [n, bcd] : {std::pair{0, 0x00}, {9, 0x09}, {10, 0x10}, {59, 0x59}, {99, 0x99}})
    EXPECT_EQ(ToBcd(n), bcd) << n;
  // Words that are not clean BCD, as a clock never set or a glitch gives them: reading stops
  // at the first digit above 9.
  for (const auto& [field, value] : {std::pair{0x3A, 3}, {0x0C, 0}, {0x59, 59}, {0x1231, 1231}})
    EXPECT_EQ(BcdDigitsValue(field), value) << field;
  // clang-format off
  const std::pair<int32_t, const char*> times[] = {
      {0x1430, "14 :30"}, {0x0905, "9 :5"}, {0x0000, "0 :0"}, {0x123A, "12 :3A"}, {0x12359, "23 :59"}};
  for (const auto& [word, text] : times) EXPECT_EQ(TimeDisplayText(word), text) << word;
  // Bits 15..14 and 7..6 of the date and the year's high byte are ignored.
  const struct {
    int32_t date, year;
    const char* text;
  } dates[] = {{0x1225, 0x0007, "12/25/07"}, {0, 0, "0/0/00"}, {0xC1E5, 0x1205, "1/25/05"},
               {0x0101, 0x0010, "1/1/10"}};
  // clang-format on
  for (const auto& d : dates) EXPECT_EQ(DateDisplayText(d.date, d.year), d.text) << d.text;
}

// Date, year and time from one reading of the PC clock, 100 ms, then the read-back.
TEST(RtcClock, SyncWritesDateYearTimeWaitsAndReadsBack) {
  const struct {
    LocalDateTime now;
    Writes words;
    const char* shown;
  } cases[] = {
      {{2009, 12, 31, 23, 59, 30},
       {{0x30, 0x1231}, {0x32, 0x0009}, {0x2E, 0x2359}},
       "12/31/09 23 :59"},
      {{2010, 1, 1, 0, 0, 30}, {{0x30, 0x0101}, {0x32, 0x0010}, {0x2E, 0x0000}}, "1/1/10 0 :0"}};
  for (const auto& c : cases) {
    kvatest::FakeBoard board;
    ClockHooks hooks;
    hooks.localNow = [&c] { return c.now; };
    SetClockHooks(hooks);
    const int64_t before = State().delay.DelayStepsRun;
    const ClockTexts texts = SyncClockToPc();
    EXPECT_EQ(board.sensor.WordWrites(), c.words);
    EXPECT_EQ(texts.date + " " + texts.time, c.shown);
    EXPECT_EQ(State().delay.DelayStepsRun - before, 10000 + 6 * 30);  // six accesses of 30
    EXPECT_EQ(ReadDateText() + " " + ReadTimeText(), c.shown);
  }
}

}  // namespace
}  // namespace kva
