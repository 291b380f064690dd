// SPDX-License-Identifier: GPL-3.0-or-later
// Trigger sources and levels, shared by the capture configuration, the alarm configuration and
// kva7710ctl: the source codes 0..8 that the two source fields of ALM_CTRL hold, their list
// texts, and the conversions between a 14-bit trigger magnitude and a level in the units of the
// source's output register (V, g or degrees C).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "state/program_state.h"

namespace kva {

inline constexpr int kTriggerSources = 9;  // codes 0..8; 9..15 are invalid in a source field

// The list texts by code: the capture window's buffer 1 and buffer 2 lists (they differ for
// code 7) and the alarm window's lists.
inline constexpr std::array<const char*, kTriggerSources> kBuffer1SourceTexts{
    "none",    "Supply V",    "X_Acc",      "Y_Acc",      "Z_Acc",
    "Aux_ADC", "Temperature", "XYZ_PK_OUT", "Clock Alarm"};
inline constexpr std::array<const char*, kTriggerSources> kBuffer2SourceTexts{
    "none",    "Supply V",    "X_Acc",       "Y_Acc",      "Z_Acc",
    "Aux_ADC", "Temperature", "XYZ_PEAKOUT", "Clock Alarm"};
inline constexpr std::array<const char*, kTriggerSources> kAlarmSourceTexts{
    "Disabled", "Supply V",    "X_Acc",      "Y_Acc",      "Z_Acc",
    "Aux_ADC",  "Temperature", "XYZ_PK_OUT", "Clock Alarm"};

// The code a text names: any of the list texts above, ignoring case, or the code's digit.
// Nothing when the text names no source.
std::optional<int16_t> FindTriggerSource(std::string_view text);

// Whether a source's magnitude is a 14-bit two's-complement number (codes 2, 3, 4, 7, 8).
bool TriggerSourceIsSigned(int16_t code);

// The level of a 14-bit magnitude: raw x scale (+ offset for code 6) of the source's register
// row, signed sources taking raw above 8191 as raw - 16384, code 5 limiting raw to 4095 and
// using the AUX_ADC scale as it stands. Nothing for code 0, for -1 (a list with no selection)
// and for the invalid codes 9..15.
std::optional<float> AlarmMagToEng(int16_t code, int32_t raw);

// The magnitude of a level: the level limited to the source's range, divided by the source's
// divisor and rounded halves to even; a negative level of a signed source gives q + 16384.
// Code 5 divides by 2.5/4095 (not the read side's scale). Code 6 (temperature) is the inverse
// of its read side: (level - offset) / scale, limited to 0..16383, so a level read back shows
// what was typed to within one count. Nothing for code 0, -1 and 9..15; a caller that needs a
// magnitude uses nothing as 0.
std::optional<int32_t> EngToAlarmMag(int16_t code, double level);

}  // namespace kva
