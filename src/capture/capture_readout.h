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

namespace kva {

inline constexpr int kCaptureLocations = 8192;
inline constexpr int kCaptureHeaderWords = 6;

struct CaptureHeader {
  double XYZ = 0;      // g
  double Time = 0;     // hours * 100 + minutes
  double Date = 0;     // month * 100 + day
  double Temp = 0;     // degrees C
  double Voltage = 0;  // V
  double Aux = 0;      // V
};

// A (0..rows, 0..cols) array of doubles, all 0 at allocation. Indices outside it are a
// programming error (std::out_of_range).
class CaptureGrid {
 public:
  void Allocate(int maxRow, int maxCol);
  double& operator()(int row, int col) { return data_.at(Offset(row, col)); }
  double operator()(int row, int col) const { return data_.at(Offset(row, col)); }
  int maxRow() const { return maxRow_; }
  int maxCol() const { return maxCol_; }

 private:
  size_t Offset(int row, int col) const;
  int maxRow_ = -1, maxCol_ = -1;
  std::vector<double> data_;
};

// Filled by ReadCaptureMemory, rebuilt on every readout.
inline int32_t CaptureEventsStored = 0;            // EVENTS at the start of the readout (0..65535)
inline int16_t CaptureEventLength = 0;             // L: locations per event buffer
inline int16_t CaptureBufferCount = 0;             // N = 8192 / L
inline int32_t CaptureSmplPrd = -1;                // SMPL_PRD as read with the buffer, -1 before
inline std::vector<CaptureHeader> CaptureHeaders;  // 0..N; event e at e, 0 stays zero
inline CaptureGrid CaptureX, CaptureY, CaptureZ;   // (0..N, 0..L); sample j of event e at (e, j)
// The same samples end to end, 0..8192 - 6N: sample j of event e at (e - 1)(L - 6) + j.
inline std::vector<double> CaptureTraceX, CaptureTraceY, CaptureTraceZ;

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

// Empty arrays and zero counts (tests).
void ResetCapture();

}  // namespace kva
