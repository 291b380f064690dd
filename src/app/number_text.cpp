// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <stdexcept>

#include "state/program_state.h"

namespace kva {
namespace {

struct Picture {
  int minIntDigits = 0;   // "0"s before the point
  int minFracDigits = 0;  // "0"s after the point
  int maxFracDigits = 0;  // "0"s and "#"s after the point
  bool hasPoint = false;
};

Picture ParsePicture(std::string_view picture) {
  Picture p;
  const auto point = picture.find('.');
  const std::string_view intPart = picture.substr(0, point);
  for (char c : intPart) {
    if (c == '0') {
      ++p.minIntDigits;
    } else if (c != '#') {
      throw std::invalid_argument("unsupported number picture: " + std::string(picture));
    }
  }
  if (point != std::string_view::npos) {
    p.hasPoint = true;
    bool sawHash = false;
    for (char c : picture.substr(point + 1)) {
      if (c == '0' && !sawHash) {
        ++p.minFracDigits;
      } else if (c == '#') {
        sawHash = true;
      } else {
        throw std::invalid_argument("unsupported number picture: " + std::string(picture));
      }
      ++p.maxFracDigits;
    }
  }
  return p;
}

// The exact decimal expansion of |value| in fixed notation. A double's fraction needs at most
// (53 - binary exponent) decimal places to be written exactly.
std::string ExactFixed(double magnitude) {
  int exp = 0;
  std::frexp(magnitude, &exp);
  const int places = std::clamp(53 - exp, 1, 1100);
  std::string buf(static_cast<size_t>(places) + 400, '\0');
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                                 std::chars_format::fixed, places);
  buf.resize(static_cast<size_t>(res.ptr - buf.data()));
  return buf;
}

// Adds one unit to a string of decimal digits (no point), growing it on carry-out.
void IncrementDigits(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] == '9') {
      digits[i] = '0';
    } else {
      ++digits[i];
      return;
    }
  }
  digits = "1" + digits;
}

std::string GeneralTextWithDigits(double value, int digits) {
  if (value == 0.0 || std::isnan(value)) return value == 0.0 ? "0" : "NaN";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
  std::string s(buf, res.ptr);
  const auto e = s.find('e');
  if (e == std::string::npos) return s;
  // Mantissa as it stands (to_chars already drops trailing zeros), exponent as E+07 / E-05.
  std::string mantissa = s.substr(0, e);
  std::string exponent = s.substr(e + 1);
  const char sign = exponent[0] == '-' ? '-' : '+';
  if (exponent[0] == '-' || exponent[0] == '+') exponent.erase(0, 1);
  if (exponent.size() < 2) exponent = "0" + exponent;
  return mantissa + "E" + sign + exponent;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the number at the start of text (after any sign), or 0 when there is none.
size_t ScanNumber(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t expStart = j;
    while (j < text.size() && IsDigit(text[j])) ++j;
    if (j > expStart) i = j;
  }
  return i;
}

// Whether a scanned number that is out of a double's range is too large (rather than too
// small): its decimal order, the place of its first non-zero digit plus its exponent, is
// positive. Only the sign of the order matters, so a long exponent is cut where it cannot
// change it.
bool Overflows(std::string_view number) {
  const size_t e = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, e);
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  int64_t order = first < point ? static_cast<int64_t>(point - first)
                                : -static_cast<int64_t>(first - point) + 1;
  if (e != std::string_view::npos) {
    std::string_view exponent = number.substr(e + 1);
    const bool negative = !exponent.empty() && exponent[0] == '-';
    if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) exponent.remove_prefix(1);
    int64_t value = 0;
    for (char c : exponent) value = std::min<int64_t>(value * 10 + (c - '0'), 1'000'000'000);
    order += negative ? -value : value;
  }
  return order > 0;
}

// A number too large for a double reads as the largest one of its sign, so that every limit
// applied to it afterwards treats it like any other number above the maximum; one too small
// reads as 0.
double ParseScanned(std::string_view number) {
  if (!number.empty() && number[0] == '+') number.remove_prefix(1);
  double value = 0;
  const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
  if (res.ec == std::errc::result_out_of_range) {
    const bool negative = !number.empty() && number[0] == '-';
    if (Overflows(number)) {
      value = negative ? std::numeric_limits<double>::lowest() : std::numeric_limits<double>::max();
    } else {
      value = negative ? -0.0 : 0.0;
    }
  }
  return value;
}

char EnvironmentDecimalMark() {
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* name = std::getenv(var);
    if (name == nullptr || *name == '\0') continue;
    try {
      return std::use_facet<std::numpunct<char>>(std::locale(name)).decimal_point();
    } catch (const std::exception&) {
      return '.';
    }
  }
  return '.';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

}  // namespace

std::string FormatNumber(double value, std::string_view picture, char decimalMark) {
  const Picture p = ParsePicture(picture);
  const bool negative = std::signbit(value) && value != 0.0;
  std::string fixed = ExactFixed(std::fabs(value));
  const auto point = fixed.find('.');
  std::string intDigits = fixed.substr(0, point);
  std::string fracDigits = point == std::string::npos ? "" : fixed.substr(point + 1);
  fracDigits.resize(std::max<size_t>(fracDigits.size(), static_cast<size_t>(p.maxFracDigits) + 1),
                    '0');

  // Round half away from zero at the last place the picture shows.
  const bool roundUp = fracDigits[static_cast<size_t>(p.maxFracDigits)] >= '5';
  std::string digits = intDigits + fracDigits.substr(0, static_cast<size_t>(p.maxFracDigits));
  if (roundUp) IncrementDigits(digits);
  intDigits = digits.substr(0, digits.size() - static_cast<size_t>(p.maxFracDigits));
  fracDigits = digits.substr(intDigits.size());

  // Optional places: drop trailing zeros down to the required count.
  while (static_cast<int>(fracDigits.size()) > p.minFracDigits && fracDigits.back() == '0') {
    fracDigits.pop_back();
  }
  // Integer part: no leading zeros beyond what the picture asks for.
  size_t firstNonZero = intDigits.find_first_not_of('0');
  intDigits = firstNonZero == std::string::npos ? "" : intDigits.substr(firstNonZero);
  if (static_cast<int>(intDigits.size()) < p.minIntDigits) {
    intDigits =
        std::string(static_cast<size_t>(p.minIntDigits) - intDigits.size(), '0') + intDigits;
  }

  std::string out = negative ? "-" : "";
  out += intDigits;
  if (p.hasPoint) {
    out += decimalMark;
    out += fracDigits;
  }
  return out;
}

std::string GeneralText(float value) { return GeneralTextWithDigits(value, 7); }
std::string GeneralText(double value) { return GeneralTextWithDigits(value, 15); }

double LeadingNumber(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  text.remove_prefix(start);
  const size_t len = ScanNumber(text);
  return len == 0 ? 0.0 : ParseScanned(text.substr(0, len));
}

bool IsNumber(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  size_t end = text.size();
  while (end > start && IsBlank(text[end - 1])) --end;
  text = text.substr(start, end - start);
  return !text.empty() && ScanNumber(text) == text.size();
}

int64_t RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 0x1p63) return std::numeric_limits<int64_t>::max();
  if (value < -0x1p63) return std::numeric_limits<int64_t>::min();
  const double floorValue = std::floor(value);
  const double diff = value - floorValue;
  double result = floorValue;
  if (diff > 0.5) {
    result = floorValue + 1;
  } else if (diff == 0.5) {
    result = std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1;
  }
  return static_cast<int64_t>(result);
}

char LocaleDecimalMark() {
  if (State().run.decimalMarkOverride) return *State().run.decimalMarkOverride;
  static const char mark = EnvironmentDecimalMark();
  return mark;
}

void SetDecimalMarkOverride(std::optional<char> mark) { State().run.decimalMarkOverride = mark; }

std::string Hex4(double value) { return Hex4(RoundHalfEven(value)); }

std::string Hex4(int64_t value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value & 0xFFFF));
  return buf;
}

int32_t HexTextToValue(std::string_view text) {
  if (text.size() > 4) text = text.substr(text.size() - 4);
  int32_t sum = 0;
  int32_t weight = 1;
  for (size_t i = text.size(); i-- > 0;) {
    sum += HexDigit(text[i]) * weight;
    weight *= 16;
  }
  return sum;
}

int16_t HexTextToInt16(std::string_view text) {
  int32_t v = HexTextToValue(text);
  if (v >= 32768) v -= 65536;
  return static_cast<int16_t>(v);
}

std::optional<int32_t> CheckedHexTextToValue(std::string_view text) {
  if (text.size() > 4) return std::nullopt;
  return HexTextToValue(text);
}

std::optional<int16_t> CheckedHexTextToInt16(std::string_view text) {
  if (text.size() > 4) return std::nullopt;
  return HexTextToInt16(text);
}

std::string HexNoPad(int32_t value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value & 0xFFFF));
  return buf;
}

std::string RightTrim(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(0, end));
}

}  // namespace kva
