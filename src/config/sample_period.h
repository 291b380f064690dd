// SPDX-License-Identifier: GPL-3.0-or-later
// The sample rate of the sample period window and kva7710ctl: SMPL_PRD, read as an unsigned
// 16-bit number v, gives 32768 / (v + 1) samples per second.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kva {

inline constexpr double kMinSampleRate = 0.5;   // SMPL_PRD 65535
inline constexpr double kMaxSampleRate = 4096;  // SMPL_PRD 7

// SMPL_PRD after the sensor's reset: 1024 samples per second.
inline constexpr int32_t kResetSmplPrd = 0x001F;

// The text to convert from: "4096" for text that is not a number, else the text as typed.
std::string SampleRateEntryText(std::string_view typed);

// 32768 / rate - 1, halves to even, for the rate limited to 0.5 .. 4096: 100 gives 327.
int32_t SmplPrdForRate(double rate);

double RateForSmplPrd(int32_t smplPrd);
// With the picture "##0.0": 327 shows "99.9".
std::string SampleRateText(int32_t smplPrd);

int32_t ReadSmplPrd();
// Writes SMPL_PRD for the rate and waits 10 ms before the read-back.
void WriteSampleRate(double rate);

}  // namespace kva
