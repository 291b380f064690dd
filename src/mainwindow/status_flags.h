// SPDX-License-Identifier: GPL-3.0-or-later
// The STATUS flags as the main window shows them: which bits, which labels, in which order,
// and the state ("Alarm" on red, "OK" on green) of each for a status word.
#pragma once

#include <array>
#include <cstdint>

namespace kva {

struct StatusFlag {
  int bit;
  const char* flagLabel;  // the window's flag label control
  const char* caption;    // the caption label beside it
};

// In the window's order; bit 4 and bits 10..15 are not shown.
inline constexpr std::array<StatusFlag, 9> kStatusFlags{{
    {0, "lblLowSupplyFlag", "Power Supply Low"},
    {1, "lblHighSupplyFlag", "Power Supply High"},
    {2, "lblWriteFailFlag", "Buffer Write Error"},
    {3, "lblSpiWriteFlag", "SPI Error"},
    {5, "lblSelfTestFail", "Self Test Fail"},
    {6, "lblChecksumError", "Checksum Error"},
    {7, "LblFifoFullFlag", "Buffer Full"},
    {8, "lblAlarm1SetFlag", "Alarm1 Set"},
    {9, "lblAlarm2SetFlag", "Alarm2 Set"},
}};

struct StatusFlagState {
  bool alarm;
  const char* text;     // "Alarm" or "OK"
  uint32_t background;  // 0xRRGGBB: red for "Alarm", green for "OK"
};

StatusFlagState FlagState(int32_t statusWord, const StatusFlag& flag);

// Reads STATUS and returns its word (RegRawValue).
int32_t ReadStatusWord();

}  // namespace kva
