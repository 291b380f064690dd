// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/register_listing.h"

#include "app/delay.h"
#include "app/number_text.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/output_pass.h"

namespace kva {

std::string RegisterListingHeader() { return "Name\t\tAddr\tHex\tEA  ND\tScaledValue"; }

std::string RegisterListingRule() {
  return "--------------------\t---------\t---------\t ---    ---\t   ---------";
}

std::string RegisterListingText(const std::string& lineEnd, char decimalMark) {
  std::string text = RegisterListingHeader() + lineEnd + RegisterListingRule() + lineEnd;
  for (int i = 0; i <= kListingLastRegister; ++i) {
    if (i >= RESERVED_19 && i <= RESERVED_22) continue;
    ReadRegister(static_cast<int16_t>(i));
    const std::string hex = Hex4(State().registers.RegRawValue);
    const float scaled = State().registers.RegScaledValue;
    if (i == SUPPLY_OUT) SetAuxScaleFromSupply(scaled);
    // Only the output registers carry the alarm and new-data bits.
    const bool flagged = i >= SUPPLY_OUT && i <= XYZ_PK_OUT;
    const std::string ea = flagged ? (State().registers.RegEABit != 0 ? "1" : "0") : " ";
    const std::string nd = flagged ? (State().registers.RegNDBit != 0 ? "1" : "0") : " ";
    const RegisterRow& row = State().registers.RegisterMap[i];
    text += RightTrim(row.Label) + "      \t" + Hex4(row.BaseAddr) + "\t" + hex + "\t   " + ea +
            "   " + nd + "\t" + FormatNumber(scaled, "0.0##", decimalMark) + lineEnd;
  }
  return text;
}

RegisterReadout ReadRegisterShown(int16_t index) {
  ReadRegister(index);
  return {Hex4(State().registers.RegRawValue),
          FormatNumber(State().registers.RegScaledValue, "0.0##")};
}

void WriteRegisterAndSettle(int16_t index, int32_t value) {
  WriteRegister(index, value);
  WaitDelay(50.0);
  if (index == CAPT_CFG) WaitDelay(500.0);
}

}  // namespace kva
