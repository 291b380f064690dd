// SPDX-License-Identifier: GPL-3.0-or-later
// The program's number and text rules, kept in one place: number pictures, general number text,
// the number a typed text begins with, "is a number", rounding to integers, and the hex helpers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kva {

// Formats a value with a number picture: "0.000", "#0.000", "0.0##", "##0.0##", "#0.0000",
// "##0.0#######", "##0.0", "0.0", "#.0", "00". Digits before the point as needed (at least as
// many as the picture has "0"s there), after the point the "0"s are always shown and the "#"s
// only when not zero. Rounds half away from zero on the exact binary value. An unknown picture
// is a programming error (std::invalid_argument).
std::string FormatNumber(double value, std::string_view picture, char decimalMark = '.');

// General number text: the shortest form with up to 7 (single) or 15 (double) significant
// digits, no trailing zeros, scientific ("1E-05", "1.234568E+07") outside the plain range.
std::string GeneralText(float value);
std::string GeneralText(double value);

// The number a text begins with: leading blanks skipped, optional sign, digits with at most one
// decimal point, optional exponent. 0 when the text does not begin with a number. A number
// too large for a double ("1e999") is the largest double of its sign, one too small is 0.
double LeadingNumber(std::string_view text);

// True when the whole text (blanks around it allowed) is one number: optional sign, digits
// with at most one decimal point, optional exponent. Empty text is not a number.
bool IsNumber(std::string_view text);

// Nearest integer, halves to the even neighbour; NaN gives 0, values beyond 64 bits its ends.
int64_t RoundHalfEven(double value);

// Decimal mark of the user's locale (from LC_ALL / LC_NUMERIC / LANG); '.' when unknown.
// Tests may force a mark; an empty optional returns to the environment's.
char LocaleDecimalMark();
void SetDecimalMarkOverride(std::optional<char> mark);

// Four upper-case hex digits of the value rounded to an integer (low 16 bits, so -2 is "FFFE").
std::string Hex4(double value);
std::string Hex4(int64_t value);
inline std::string Hex4(int32_t value) { return Hex4(static_cast<int64_t>(value)); }
inline std::string Hex4(int16_t value) { return Hex4(static_cast<int64_t>(value)); }
inline std::string Hex4(uint16_t value) { return Hex4(static_cast<int64_t>(value)); }
inline std::string Hex4(float value) { return Hex4(static_cast<double>(value)); }

// Up to four hex digits, counted from the right; characters that are not hex digits count as 0.
// More than four characters: only the last four count (use the checked forms to refuse them).
int32_t HexTextToValue(std::string_view text);
int16_t HexTextToInt16(std::string_view text);

// Checked forms for user input: empty when the text has more than four characters, so that
// the caller can refuse the input with a message and write nothing.
std::optional<int32_t> CheckedHexTextToValue(std::string_view text);
std::optional<int16_t> CheckedHexTextToInt16(std::string_view text);

// Upper-case hex without leading zeros (888 shows as "378"), of the low 16 bits.
std::string HexNoPad(int32_t value);

// Text with trailing blanks removed.
std::string RightTrim(std::string_view text);

}  // namespace kva
