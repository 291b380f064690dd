// SPDX-License-Identifier: GPL-3.0-or-later
// The axis offsets of the calibration window and kva7710ctl: the three null registers hold
// signed counts of the acceleration outputs' weight (51.4 mg), which the user enters and reads
// in mg.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/register_map.h"

namespace kva {

struct OffsetAxis {
  const char* name;        // "X", "Y", "Z"
  int16_t nullRegister;    // where the offset lives
  int16_t outputRegister;  // whose scale weighs one count
};

inline constexpr std::array<OffsetAxis, 3> kOffsetAxes{{
    {"X", XACCL_NULL, XACCL_OUT},
    {"Y", YACCL_NULL, YACCL_OUT},
    {"Z", ZACCL_NULL, ZACCL_OUT},
}};

// -128 and +127 counts of 51.4 mg.
inline constexpr double kOffsetLowMg = -6579.2;
inline constexpr double kOffsetHighMg = 6527.8;

// The text to write from, for what the user typed: "0" for text that is not a number, the
// nearer limit for a number outside the limits, else the text as typed.
std::string OffsetEntryText(std::string_view typed);

// mg / 1000 / the axis's single-precision scale, halves to even. 25.69 mg gives 0 and 25.7 mg
// gives 1: against 0.0514 as stored (0.05139999836...) 25.7 lies just above half a count.
int32_t OffsetCountsForMg(int axis, double mg);

// counts x scale x 1000 in single precision, as text: "##0.0##" right after a write, and
// general text taken through "##0.0#######" for a value read back.
std::string OffsetWrittenText(int axis, int32_t counts);
std::string OffsetReadText(int axis, int32_t counts);

struct OffsetReading {
  int32_t counts = 0;  // signed
  std::string hex;     // the register as four hex digits
  std::string mg;      // OffsetReadText
};
OffsetReading ReadOffset(int axis);

// Writes the counts for mg (low 16 bits, two's complement); the caller limits mg first.
int32_t WriteOffset(int axis, double mg);

}  // namespace kva
