// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over the main window's output registers (SUPPLY_OUT .. XYZ_PK_OUT, then EVENTS),
// shared by the main window's read loop and kva7710ctl's watch. The window keeps the loop,
// the yields, the delay, the status refresh and the drawing; this file keeps the reading and
// the decisions that a test wants to check without a window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace kva {

// Colours as 0xRRGGBB.
inline constexpr uint32_t kRgbRed = 0xFF0000;
inline constexpr uint32_t kRgbGreen = 0x00FF00;
inline constexpr uint32_t kRgbWhite = 0xFFFFFF;

inline constexpr int kFirstOutputRegister = 1;  // SUPPLY_OUT
inline constexpr int kLastOutputRegister = 10;  // XYZ_PK_OUT
inline constexpr int kOutputSampleSlots = 15;   // sample array indices 0..14

struct OutputPassResult {
  // Entries 1..10 hold the scaled value of register index n; the others stay 0 (empty).
  std::array<float, kOutputSampleSlots> samples{};
  float eventCount = 0.0f;  // RegScaledValue of EVENTS
};

// Called after each output register is read, with the register index n (1..10) and its
// RegScaledValue, so that a window can fill slot n before the next read. For n = 1 it runs
// before the AUX_ADC scale is changed.
using OutputRegisterCallback = std::function<void(int n, float scaledValue)>;

// Reads registers 1..10 in index order and then EVENTS. Right after SUPPLY_OUT the AUX_ADC
// scale follows the supply, so AUX_ADC later in the same pass is read ratiometrically.
OutputPassResult ReadOutputPass(const OutputRegisterCallback& onRegister = {});

// Text of an output register slot ("0.000") and of the event count (general number text).
std::string OutputValueText(float scaledValue, char decimalMark = '.');
std::string EventCountText(float eventCount);

// Background of the supply slot, decided on the displayed three-decimal value: below 2.6 red,
// above it white, exactly 2.6 leaves the colour as it was.
enum class SupplyColour { Unchanged, Red, White };
SupplyColour SupplyColourFor(float supplyVolts);

// Whether a pass feeds the live plot: only when ZACCL_OUT (index 4) is not 0 and the event
// count has not risen since the previous pass (a capture in progress draws nothing).
bool ShouldPlotSample(const OutputPassResult& pass, float previousEventCount);

}  // namespace kva
