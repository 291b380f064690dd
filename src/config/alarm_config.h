// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm set-up of the alarm window and kva7710ctl. Unlike the capture configuration, it
// changes ALM_CTRL by read-modify-write: the source fields (bits 11..8 for alarm 1, 15..12 for
// alarm 2) or the digital indicator (bits 2..0), keeping every other bit as the sensor holds it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kva {

// Alarm n's source field of ALM_CTRL; a field above 8 counts as 8, the last source.
int16_t AlarmSourceOf(int32_t almCtrl, int alarm);
// ALM_CTRL with alarm n's source field replaced.
int32_t WithAlarmSource(int32_t almCtrl, int alarm, int16_t source);
// ALM_CTRL with the digital indicator's bits replaced: line DIO1 (bit 0), active high (bit 1),
// enabled (bit 2).
int32_t WithDigitalIndicator(int32_t almCtrl, bool lineDio1, bool activeHigh, bool enabled);

// ALM_MAGn for a level in the source's units: the 14-bit magnitude (0 for no source) with
// bit 15 set for "greater than".
int32_t AlarmMagValue(int16_t source, double level, bool greater);
// The level a magnitude stands for with a source, with a number picture, or as general number
// text when the picture is empty; empty for no source.
std::string AlarmLevelText(int16_t source, int32_t almMag, std::string_view picture = "#0.000");

struct AlarmSetup {
  int16_t source = 0;
  double level = 0;
  bool greater = false;
};

// ALM_MAG1, ALM_MAG2 and ALM_CTRL, in this order, into AlmMag1Value, AlmMag2Value and
// AlmCtrlValue.
void ReadAlarmRegisters();
// ALM_MAGn into its global.
int32_t ReadAlarmMag(int alarm);
// Both alarms: both magnitudes, then their sources into ALM_CTRL as read at the start, then
// 150 ms.
void WriteAlarmSetups(const AlarmSetup& alarm1, const AlarmSetup& alarm2);
// One alarm, the other left as it is.
void WriteAlarmSetup(int alarm, const AlarmSetup& setup);
void WriteDigitalIndicator(bool lineDio1, bool activeHigh, bool enabled);

}  // namespace kva
