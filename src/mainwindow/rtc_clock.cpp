// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/rtc_clock.h"

#include "app/delay.h"
#include "app/number_text.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {

int32_t ToBcd(int n) { return (n / 10) * 16 + (n - (n / 10) * 10); }

int BcdDigitsValue(int32_t field) {
  const std::string digits = HexNoPad(field);
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

ClockWords ClockWordsFor(const LocalDateTime& now) {
  ClockWords w;
  // The decimal text of month * 100 + day read as hex digits: month BCD * 256 + day BCD.
  w.date = HexTextToValue(std::to_string(now.month * 100 + now.day));
  w.year = ToBcd(now.year - 2000);
  w.time = ToBcd(now.hour) * 256 + ToBcd(now.minute);
  return w;
}

std::string TimeDisplayText(int32_t timeWord) {
  return HexNoPad((timeWord >> 8) & 0xFF) + " :" + HexNoPad(timeWord & 0xFF);
}

std::string DateDisplayText(int32_t dateWord, int32_t yearWord) {
  const int32_t yearByte = yearWord & 0xFF;
  return HexNoPad((dateWord >> 8) & 0x3F) + "/" + HexNoPad(dateWord & 0x3F) + "/" +
         (yearByte < 16 ? "0" : "") + HexNoPad(yearByte);
}

std::string ReadTimeText() {
  ReadRegister(TIME_REG);
  return TimeDisplayText(State().registers.RegRawValue);
}

std::string ReadDateText() {
  ReadRegister(DATE_REG);
  const int32_t date = State().registers.RegRawValue;
  ReadRegister(YEAR_REG);
  return DateDisplayText(date, State().registers.RegRawValue);
}

ClockTexts SyncClockToPc() {
  // One reading of the PC clock for all fields, so a minute or day that turns over between
  // fields cannot mix two moments.
  const ClockWords w = ClockWordsFor(LocalNow());
  WriteRegister(DATE_REG, w.date);
  WriteRegister(YEAR_REG, w.year);
  WriteRegister(TIME_REG, w.time);
  WaitDelay(100.0);
  ClockTexts texts;
  texts.date = ReadDateText();
  texts.time = ReadTimeText();
  return texts;
}

}  // namespace kva
