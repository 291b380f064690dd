// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/sample_period.h"

#include <algorithm>

#include "app/delay.h"
#include "app/number_text.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {

std::string SampleRateEntryText(std::string_view typed) {
  return IsNumber(typed) ? std::string(typed) : "4096";
}

int32_t SmplPrdForRate(double rate) {
  rate = std::clamp(rate, kMinSampleRate, kMaxSampleRate);
  return static_cast<int32_t>(RoundHalfEven(32768.0 / rate - 1.0));
}

double RateForSmplPrd(int32_t smplPrd) { return 32768.0 / ((smplPrd & 0xFFFF) + 1); }

std::string SampleRateText(int32_t smplPrd) {
  return FormatNumber(RateForSmplPrd(smplPrd), "##0.0");
}

int32_t ReadSmplPrd() {
  ReadRegister(SMPL_PRD);
  return State().registers.RegRawValue;
}

void WriteSampleRate(double rate) {
  WriteRegister(SMPL_PRD, SmplPrdForRate(rate));
  WaitDelay(10.0);
}

}  // namespace kva
