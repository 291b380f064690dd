// The register browser's full listing: a header, a rule, and one line per readable register
// 0..39 (the reserved rows are skipped), each read live from the device.
#pragma once

#include <string>

namespace kva {

inline constexpr int kListingLastRegister = 39;

// "Name\t\tAddr\tHex\tEA  ND\tScaledValue" and its rule line, without line ends.
std::string RegisterListingHeader();
std::string RegisterListingRule();

// Reads every listed register in index order (setting the AUX_ADC scale right after
// SUPPLY_OUT) and returns header, rule and register lines, each followed by lineEnd.
std::string RegisterListingText(const std::string& lineEnd = "\r\n", char decimalMark = '.');

}  // namespace kva
