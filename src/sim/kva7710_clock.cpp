// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's real-time clock: BCD fields that run with the injected clock.
#include <algorithm>
#include <cmath>

#include "device/register_map.h"
#include "sim/kva7710.h"

namespace kva::sim {
namespace {

int DaysIn(int month, int year) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && year % 4 == 0) return 29;
  return kDays[(month - 1) % 12];
}

// Two BCD digits to a number; -1 when a digit is above 9.
int FromBcd(int b) {
  const int hi = (b >> 4) & 0xF, lo = b & 0xF;
  if (hi > 9 || lo > 9) return -1;
  return hi * 10 + lo;
}

constexpr int kDaysPer4Years = 4 * 365 + 1;

}  // namespace

Kva7710::Rtc Kva7710::ClockAt(double t) const {
  Rtc r = rtcBase_;
  const double elapsed = t > rtcBaseTime_ ? t - rtcBaseTime_ : 0.0;
  const double total = r.hour * 3600.0 + r.minute * 60.0 + r.second + elapsed;
  double days = std::floor(total / 86400.0);
  double rest = std::max(total - days * 86400.0, 0.0);
  if (rest >= 86400.0) {  // rounding at the very end of a day
    days += 1;
    rest -= 86400.0;
  }
  r.hour = static_cast<int>(rest / 3600);
  r.minute = static_cast<int>((rest - r.hour * 3600.0) / 60);
  r.second = rest - r.hour * 3600.0 - r.minute * 60.0;
  if (days <= 0) return r;
  // A day beyond its month's length (a write may leave one) rolls over on the first midnight.
  if (r.day > DaysIn(r.month, r.year)) {
    r.day = 1;
    if (++r.month > 12) {
      r.month = 1;
      r.year = (r.year + 1) % 100;
    }
    days -= 1;
  }
  // Every fourth year is a leap year here: count days within four-year cycles.
  const int y4 = r.year % 4;
  int index = y4 == 0 ? 0 : 366 + 365 * (y4 - 1);
  for (int m = 1; m < r.month; ++m) index += DaysIn(m, y4);
  index += r.day - 1;
  const double dayCount = index + days;
  const double cycles = std::floor(dayCount / kDaysPer4Years);
  int left = static_cast<int>(dayCount - cycles * kDaysPer4Years);
  int year = 0;
  while (left >= (year == 0 ? 366 : 365)) left -= (year++ == 0 ? 366 : 365);
  int month = 1;
  while (left >= DaysIn(month, year)) left -= DaysIn(month++, year);
  r.year = static_cast<int>(std::fmod(r.year - y4 + 4 * cycles + year, 100.0));
  r.month = month;
  r.day = left + 1;
  return r;
}

double Kva7710::NextMinuteAfter(double t) const {
  // Minutes start where the base's seconds were 0.
  const double origin = rtcBaseTime_ - rtcBase_.second;
  return origin + (std::floor((t - origin) / 60.0) + 1) * 60.0;
}

void Kva7710::SetClockWord(int slot, uint16_t word) {
  const int hi = FromBcd(word >> 8), lo = FromBcd(word & 0xFF);
  Rtc r = ClockAt(lastNow_);
  if (slot == TIME_REG) {
    if (hi < 0 || hi > 23 || lo < 0 || lo > 59) return;
    r.hour = hi;
    r.minute = lo;
    r.second = 0;
  } else if (slot == DATE_REG) {
    if (hi < 1 || hi > 12 || lo < 1 || lo > 31) return;
    r.month = hi;
    r.day = lo;
  } else {
    if (lo < 0) return;
    r.year = lo;
  }
  rtcBase_ = r;
  rtcBaseTime_ = lastNow_;
}

}  // namespace kva::sim
