#include "mainwindow/rtc_clock.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

TEST(RtcClock, Bcd) {
  EXPECT_EQ(ToBcd(0), 0x00);
  EXPECT_EQ(ToBcd(9), 0x09);
  EXPECT_EQ(ToBcd(59), 0x59);
  EXPECT_EQ(BcdDigitsValue(0x14), 14);
  EXPECT_EQ(BcdDigitsValue(0x3A), 3);  // reading stops at the first digit above 9
  EXPECT_EQ(BcdDigitsValue(0x0C), 0);
  EXPECT_EQ(BcdDigitsValue(0x00), 0);
}

TEST(RtcClock, WordsForLocalTime) {
  ClockWords w = ClockWordsFor({2009, 12, 31, 23, 59, 42});
  EXPECT_EQ(w.date, 0x1231);
  EXPECT_EQ(w.year, 0x09);
  EXPECT_EQ(w.time, 0x2359);  // seconds are not transferred

  w = ClockWordsFor({2010, 1, 1, 0, 0, 0});
  EXPECT_EQ(w.date, 0x0101);
  EXPECT_EQ(w.year, 0x10);
  EXPECT_EQ(w.time, 0x0000);

  w = ClockWordsFor({2012, 1, 5, 9, 5, 0});
  EXPECT_EQ(w.date, 0x0105);
  EXPECT_EQ(w.year, 0x12);
  EXPECT_EQ(w.time, 0x0905);
}

TEST(RtcClock, DisplayTexts) {
  EXPECT_EQ(TimeDisplayText(0x0905), "9 :5");
  EXPECT_EQ(TimeDisplayText(0x1430), "14 :30");
  EXPECT_EQ(TimeDisplayText(0x0000), "0 :0");
  EXPECT_EQ(TimeDisplayText(0x123A), "12 :3A");  // not BCD: shown as its hex digits
  EXPECT_EQ(DateDisplayText(0x1225, 0x07), "12/25/07");
  EXPECT_EQ(DateDisplayText(0x1231, 0x09), "12/31/09");
  EXPECT_EQ(DateDisplayText(0x0101, 0x10), "1/1/10");
  EXPECT_EQ(DateDisplayText(0, 0), "0/0/00");
  EXPECT_EQ(DateDisplayText(0xC1E5, 0x1205), "1/25/05");  // bits 15..14, 7..6 and the year's high byte are ignored
}

}  // namespace
}  // namespace kva

#include "capture/fake_sensor.h"

namespace kva {
namespace {

TEST(RtcClock, SyncWritesDateYearTimeThenReadsBack) {
  kvatest::FakeBoard board;
  ClockHooks hooks;
  hooks.localNow = [] { return LocalDateTime{2009, 12, 31, 23, 59, 30}; };
  SetClockHooks(hooks);
  const ClockTexts texts = SyncClockToPc();
  const auto writes = board.sensor.WordWrites();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0], (std::pair<uint8_t, uint16_t>{0x30, 0x1231}));
  EXPECT_EQ(writes[1], (std::pair<uint8_t, uint16_t>{0x32, 0x0009}));
  EXPECT_EQ(writes[2], (std::pair<uint8_t, uint16_t>{0x2E, 0x2359}));
  EXPECT_EQ(texts.date, "12/31/09");
  EXPECT_EQ(texts.time, "23 :59");

  board.Set(TIME_REG, 0x0905);
  board.Set(DATE_REG, 0x0415);
  board.Set(YEAR_REG, 0x0010);
  EXPECT_EQ(ReadTimeText(), "9 :5");
  EXPECT_EQ(ReadDateText(), "4/15/10");
}

}  // namespace
}  // namespace kva
