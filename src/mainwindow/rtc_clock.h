// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's clock registers TIME___, DATE___ and YEAR___ (TIME_REG, DATE_REG, YEAR_REG):
// their BCD encodings, the texts the main window shows for them, and the read and
// "Sync to PC time" sequences.
#pragma once

#include <cstdint>
#include <string>

#include "app/hooks.h"

namespace kva {

// Two BCD digits of n (0..99): (n \ 10) * 16 + n mod 10.
int32_t ToBcd(int n);

// The decimal number a BCD field's hex digits spell, reading from the most significant digit
// and stopping at the first digit above 9 (0x3A reads as 3, 0x0C as 0).
int BcdDigitsValue(int32_t field);

struct ClockWords {
  int32_t date = 0;  // month BCD in bits 13..8, day BCD in bits 5..0
  int32_t year = 0;  // year - 2000, two BCD digits
  int32_t time = 0;  // hours BCD in bits 15..8, minutes BCD in bits 7..0 (no seconds)
};

// The register values "Sync to PC time" writes for a local date and time.
ClockWords ClockWordsFor(const LocalDateTime& now);

// "14 :30", "9 :5": the hex digits of each byte of TIME___ without leading zeros.
std::string TimeDisplayText(int32_t timeWord);
// "12/25/07": month and day from DATE___ without leading zeros, year byte in two digits.
std::string DateDisplayText(int32_t dateWord, int32_t yearWord);

// "Read Time": reads TIME___ and returns the txtTime text.
std::string ReadTimeText();
// "Read Date": reads DATE___ then YEAR___ and returns the txtDate text.
std::string ReadDateText();

struct ClockTexts {
  std::string date;
  std::string time;
};

// "Sync to PC time": writes DATE___, YEAR___, TIME___ from the PC clock (LocalNow), waits
// 100 ms, then reads back the date and the time.
ClockTexts SyncClockToPc();

}  // namespace kva
