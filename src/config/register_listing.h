// SPDX-License-Identifier: GPL-3.0-or-later
// The register browser's full listing: a header, a rule, and one line per readable register
// 0..39 (the reserved rows are skipped), each read live from the device.
#pragma once

#include <cstdint>
#include <string>

#include "state/program_state.h"

namespace kva {

inline constexpr int kListingLastRegister = 39;

// "Name\t\tAddr\tHex\tEA  ND\tScaledValue" and its rule line, without line ends.
std::string RegisterListingHeader();
std::string RegisterListingRule();

// Reads every listed register in index order (setting the AUX_ADC scale right after
// SUPPLY_OUT) and returns header, rule and register lines, each followed by lineEnd.
std::string RegisterListingText(const std::string& lineEnd = "\r\n", char decimalMark = '.');

// One register read: its count as four hex digits and its scaled value with "0.0##".
struct RegisterReadout {
  std::string hex;
  std::string scaled;
};
RegisterReadout ReadRegisterShown(int16_t index);

// Writes a register and waits before it is read back: 50 ms, and 500 ms more for CAPT_CFG,
// which the sensor takes longer to apply.
void WriteRegisterAndSettle(int16_t index, int32_t value);

}  // namespace kva
