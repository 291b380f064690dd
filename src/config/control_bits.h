// SPDX-License-Identifier: GPL-3.0-or-later
// The bits of MISC_CTRL and GPIO_CTR that their windows and kva7710ctl set: each bit's value,
// kva7710ctl's name for it and the words for its two states. Bits outside a table are written
// as 0.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kva {

struct ControlBit {
  int32_t value;
  const char* name;
  const char* clearWord;  // the state with the bit clear
  const char* setWord;
};

// In the order of the miscellaneous control window's controls.
inline constexpr std::array<ControlBit, 7> kMiscCtrlBits{{
    {0x0001, "data-ready-line", "dio1", "dio2"},
    {0x0002, "data-ready-polarity", "low", "high"},
    {0x0004, "data-ready", "off", "on"},
    {0x0100, "self-test", "off", "on"},
    {0x0200, "power-up-test", "on", "off"},
    {0x4000, "peak-tracking", "off", "on"},
    {0x8000, "sum-of-squares", "off", "on"},
}};

// Directions (set: output) and output levels of the two digital lines.
inline constexpr std::array<ControlBit, 4> kGpioCtrlBits{{
    {0x0001, "dio0", "in", "out"},
    {0x0002, "dio1", "in", "out"},
    {0x0100, "dio0-level", "low", "high"},
    {0x0200, "dio1-level", "low", "high"},
}};

// The sum of the values of the bits whose flag is set; bits and set have the same length.
int32_t ComposeBits(std::span<const ControlBit> bits, std::span<const bool> set);

// MISC_CTRL, then 50 ms before the read-back.
void WriteMiscCtrl(int32_t value);
// GPIO_CTR (kept in GpioCtrlValue), then 100 ms before the read-back.
void WriteGpioCtrl(int32_t value);

}  // namespace kva
