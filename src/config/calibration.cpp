// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/calibration.h"

#include "app/number_text.h"
#include "device/register_access.h"

namespace kva {
namespace {

float AxisScale(int axis) {
  return State()
      .registers.RegisterMap[kOffsetAxes.at(static_cast<size_t>(axis)).outputRegister]
      .RegScale;
}

float OffsetMg(int axis, int32_t counts) {
  return static_cast<float>(counts) * AxisScale(axis) * 1000.0f;
}

}  // namespace

std::string OffsetEntryText(std::string_view typed) {
  if (!IsNumber(typed)) return "0";
  const double mg = LeadingNumber(typed);
  if (mg < kOffsetLowMg) return "-6579.2";
  if (mg > kOffsetHighMg) return "6527.8";
  return std::string(typed);
}

int32_t OffsetCountsForMg(int axis, double mg) {
  return static_cast<int32_t>(RoundHalfEven(mg / 1000.0 / static_cast<double>(AxisScale(axis))));
}

std::string OffsetWrittenText(int axis, int32_t counts) {
  return FormatNumber(OffsetMg(axis, counts), "##0.0##");
}

std::string OffsetReadText(int axis, int32_t counts) {
  return FormatNumber(LeadingNumber(GeneralText(OffsetMg(axis, counts))), "##0.0#######");
}

OffsetReading ReadOffset(int axis) {
  ReadRegister(kOffsetAxes.at(static_cast<size_t>(axis)).nullRegister);
  // The null registers are two's complement with scale 1: the scaled value is the count.
  const auto counts = static_cast<int32_t>(State().registers.RegScaledValue);
  return {counts, Hex4(State().registers.RegRawValue), OffsetReadText(axis, counts)};
}

int32_t WriteOffset(int axis, double mg) {
  const int32_t counts = OffsetCountsForMg(axis, mg);
  WriteRegister(kOffsetAxes.at(static_cast<size_t>(axis)).nullRegister, counts);
  return counts;
}

}  // namespace kva
