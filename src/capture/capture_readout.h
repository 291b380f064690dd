// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the sensor's event-capture memory: the walk over its 8192 locations with CAPT_PNTR,
// CAPT_BUF_1 and CAPT_BUF_2, the decoding of each event's six header words and its samples,
// and the global arrays the capture window draws and saves from.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "state/program_state.h"

namespace kva {

inline constexpr int kCaptureLocations = 8192;
inline constexpr int kCaptureHeaderWords = 6;

// The decoded capture (CaptureHeader, CaptureGrid) is State().capture, rebuilt on every readout.

// value's low `bits` bits read as a two's-complement number.
int32_t SignExtend(int bits, int32_t value);

// Event length for a CAPT_CFG word: 1024 / 2^(bits 2..0).
int EventLengthForConfig(int32_t captCfg);

// Header word decodings (w is the 16-bit CAPT_BUF_1 word of header location 0..5).
double DecodeCaptureXyz(int32_t w);
double DecodeCaptureTime(int32_t w);
double DecodeCaptureDate(int32_t w);
double DecodeCaptureTemp(int32_t w);
double DecodeCaptureVoltage(int32_t w);
double DecodeCaptureAux(int32_t w, float auxScale);

// One sample location: X from CAPT_BUF_1 bits 7..0, Y from bits 15..8, Z from CAPT_BUF_2.
double DecodeCaptureSampleX(int32_t buf1);
double DecodeCaptureSampleY(int32_t buf1);
double DecodeCaptureSampleZ(double buf2Scaled);

// "Event = e of N." (N is the buffer count, however many events are read).
std::string CaptureProgressText(int event, int bufferCount);

// Called before each event is read, with the event number, the buffer count and the text above.
using CaptureProgress = std::function<void(int event, int bufferCount, const std::string& text)>;

// Reads EVENTS, CAPT_CFG and SMPL_PRD, reallocates the arrays, then walks the memory from location
// 0 for min(EVENTS, N) events, one pointer write per location. Yields once before the walk and once
// per event, and returns after a yield at which the program is ending (the events not read stay
// zero). Leaves the AUX_ADC scale at the last event's supply / 1024.
void ReadCaptureMemory(const CaptureProgress& progress = {});

}  // namespace kva
