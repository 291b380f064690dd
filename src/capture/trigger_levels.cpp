// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/trigger_levels.h"

#include <algorithm>
#include <cctype>

#include "app/number_text.h"
#include "device/register_map.h"

namespace kva {
namespace {

struct SourceRule {
  int16_t row;  // register-map row of the read conversion
  bool isSigned;
  double low, high;  // write limits
};

// Codes 1..8.
constexpr SourceRule kRules[kTriggerSources] = {
    {},
    {SUPPLY_OUT, false, 0.0, 4.9959},
    {XACCL_OUT, true, -140.288, 140.288},
    {YACCL_OUT, true, -68.1828, 68.861737},
    {ZACCL_OUT, true, -68.1828, 68.861737},
    {AUX_ADC, false, 0.0, 2.5},
    {TEMP_OUT, false, -336.43, 625.66},
    {X_PEAK_OUT, true, -20.66, 20.66},
    {Y_PEAK_OUT, true, -20.66, 20.66},
};

constexpr double kAuxWriteDivisor = 2.5 / 4095;
constexpr int32_t kMaxMagnitude = 0x3FFF;

bool ValidCode(int16_t code) { return code >= 1 && code < kTriggerSources; }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::optional<int16_t> FindTriggerSource(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '8')
    return static_cast<int16_t>(text[0] - '0');
  for (int16_t code = 0; code < kTriggerSources; ++code) {
    for (const auto* texts : {&kBuffer1SourceTexts, &kBuffer2SourceTexts, &kAlarmSourceTexts}) {
      if (SameText(text, (*texts)[static_cast<size_t>(code)])) return code;
    }
  }
  return std::nullopt;
}

bool TriggerSourceIsSigned(int16_t code) { return ValidCode(code) && kRules[code].isSigned; }

std::optional<float> AlarmMagToEng(int16_t code, int32_t raw) {
  if (!ValidCode(code)) return std::nullopt;
  const SourceRule& rule = kRules[code];
  if (rule.isSigned && raw > 8191) raw -= 16384;
  if (code == 5 && raw > 4095) raw = 4095;
  const RegisterRow& row = State().registers.RegisterMap[rule.row];
  double value = static_cast<double>(raw) * row.RegScale;
  if (code == 6) value += row.RegOffset;
  return static_cast<float>(value);
}

std::optional<int32_t> EngToAlarmMag(int16_t code, double level) {
  if (!ValidCode(code)) return std::nullopt;
  const SourceRule& rule = kRules[code];
  if (!(level >= rule.low)) level = rule.low;  // NaN counts as the low limit
  if (level > rule.high) level = rule.high;
  const RegisterRow& row = State().registers.RegisterMap[rule.row];
  if (code == 6) {
    const int64_t q = RoundHalfEven((level - row.RegOffset) / row.RegScale);
    return static_cast<int32_t>(std::clamp<int64_t>(q, 0, kMaxMagnitude));
  }
  const double divisor = code == 5 ? kAuxWriteDivisor : static_cast<double>(row.RegScale);
  const auto q = static_cast<int32_t>(RoundHalfEven(level / divisor));
  return rule.isSigned && level < 0 ? q + 16384 : q;
}

}  // namespace kva
