// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/output_pass.h"

#include "app/number_text.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {

OutputPassResult ReadOutputPass(const OutputRegisterCallback& onRegister) {
  OutputPassResult result;
  for (int n = kFirstOutputRegister; n <= kLastOutputRegister; ++n) {
    ReadRegister(static_cast<int16_t>(n));
    const float value = State().registers.RegScaledValue;
    if (onRegister) onRegister(n, value);
    if (State().registers.RegisterMap[n].NDflag == kTrue)
      result.samples[static_cast<size_t>(n)] = value;
    if (n == SUPPLY_OUT) SetAuxScaleFromSupply(value);
  }
  ReadRegister(EVENTS);
  result.eventCount = State().registers.RegScaledValue;
  return result;
}

std::string OutputValueText(float scaledValue, char decimalMark) {
  return FormatNumber(scaledValue, "0.000", decimalMark);
}

std::string EventCountText(float eventCount) { return GeneralText(eventCount); }

SupplyColour SupplyColourFor(float supplyVolts) {
  // The decision is made on what the box shows, not on the unrounded reading.
  const double shown = LeadingNumber(FormatNumber(supplyVolts, "0.000"));
  if (shown < 2.6) return SupplyColour::Red;
  if (shown > 2.6) return SupplyColour::White;
  return SupplyColour::Unchanged;
}

bool ShouldPlotSample(const OutputPassResult& pass, float previousEventCount) {
  return pass.samples[ZACCL_OUT] != 0.0f && pass.eventCount <= previousEventCount;
}

}  // namespace kva
