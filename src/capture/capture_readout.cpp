// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_readout.h"

#include <cmath>

#include "app/hooks.h"
#include "app/number_text.h"
#include "app/run_mode.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/rtc_clock.h"

namespace kva {

void CaptureGrid::Allocate(int maxRow, int maxCol) {
  maxRow_ = maxRow;
  maxCol_ = maxCol;
  data_.assign(static_cast<size_t>(maxRow + 1) * static_cast<size_t>(maxCol + 1), 0.0);
}

size_t CaptureGrid::Offset(int row, int col) const {
  if (row < 0 || row > maxRow_ || col < 0 || col > maxCol_) {
    throw std::out_of_range("capture index (" + std::to_string(row) + ", " + std::to_string(col) +
                            ") outside the array");
  }
  return static_cast<size_t>(row) * static_cast<size_t>(maxCol_ + 1) + static_cast<size_t>(col);
}

int32_t SignExtend(int bits, int32_t value) {
  const int32_t p = int32_t{1} << (bits - 1);
  return (value & (p - 1)) - (value & p);
}

int EventLengthForConfig(int32_t captCfg) {
  const int k = captCfg & 7;
  return static_cast<int>(RoundHalfEven(1024.0 / std::pow(2.0, k)));
}

double DecodeCaptureXyz(int32_t w) { return w * 0.2; }

double DecodeCaptureTime(int32_t w) {
  return BcdDigitsValue((w >> 8) & 0xFF) * 100.0 + BcdDigitsValue(w & 0xFF);
}

double DecodeCaptureDate(int32_t w) {
  return BcdDigitsValue((w >> 8) & 0x3F) * 100.0 + BcdDigitsValue(w & 0x3F);
}

double DecodeCaptureTemp(int32_t w) { return (SignExtend(14, w) - 205) * 0.244; }

double DecodeCaptureVoltage(int32_t w) { return (w & 0x3FFF) * 0.00488; }

double DecodeCaptureAux(int32_t w, float auxScale) {
  return SignExtend(14, w) * static_cast<double>(auxScale);
}

double DecodeCaptureSampleX(int32_t buf1) { return SignExtend(8, buf1 & 0xFF) * 0.2; }
double DecodeCaptureSampleY(int32_t buf1) { return SignExtend(8, (buf1 >> 8) & 0xFF) * 0.2; }
double DecodeCaptureSampleZ(double buf2Scaled) {
  return SignExtend(8, static_cast<int32_t>(RoundHalfEven(buf2Scaled))) * 0.2;
}

std::string CaptureProgressText(int event, int bufferCount) {
  return "Event = " + std::to_string(event) + " of " + std::to_string(bufferCount) + ".";
}

namespace {

int32_t ReadBuf1() {
  ReadRegister(CAPT_BUF_1);
  return State().registers.RegRawValue;
}

// Reads CAPT_BUF_2 and moves the pointer to the next location.
double ReadBuf2AndAdvance(int32_t& pointer) {
  ReadRegister(CAPT_BUF_2);
  const double z = State().registers.RegScaledValue;
  ++pointer;
  WriteRegister(CAPT_PNTR, pointer);
  return z;
}

}  // namespace

void ReadCaptureMemory(const CaptureProgress& progress) {
  Yield();
  if (ProgramEnding()) return;
  ReadRegister(EVENTS);
  State().capture.CaptureEventsStored =
      static_cast<int32_t>(RoundHalfEven(State().registers.RegScaledValue));
  ReadRegister(CAPT_CFG);
  const int L = EventLengthForConfig(State().registers.RegRawValue);
  const int N = static_cast<int>(RoundHalfEven(static_cast<double>(kCaptureLocations) / L));
  State().capture.CaptureEventLength = static_cast<int16_t>(L);
  State().capture.CaptureBufferCount = static_cast<int16_t>(N);
  ReadRegister(SMPL_PRD);  // the rate the samples were taken at, for their analysis
  State().capture.CaptureSmplPrd = State().registers.RegRawValue;

  const int traceTop = kCaptureLocations - kCaptureHeaderWords * N;
  State().capture.CaptureHeaders.assign(static_cast<size_t>(N + 1), CaptureHeader{});
  State().capture.CaptureX.Allocate(N, L);
  State().capture.CaptureY.Allocate(N, L);
  State().capture.CaptureZ.Allocate(N, L);
  State().capture.CaptureTraceX.assign(static_cast<size_t>(traceTop + 1), 0.0);
  State().capture.CaptureTraceY.assign(static_cast<size_t>(traceTop + 1), 0.0);
  State().capture.CaptureTraceZ.assign(static_cast<size_t>(traceTop + 1), 0.0);

  int32_t pointer = 0;
  WriteRegister(CAPT_PNTR, pointer);
  size_t t = 0;
  const int events =
      State().capture.CaptureEventsStored > N ? N : State().capture.CaptureEventsStored;
  for (int e = 1; e <= events; ++e) {
    if (progress) progress(e, N, CaptureProgressText(e, N));
    Yield();
    if (ProgramEnding()) return;

    CaptureHeader& h = State().capture.CaptureHeaders[static_cast<size_t>(e)];
    for (int location = 0; location < kCaptureHeaderWords; ++location) {
      const int32_t w = ReadBuf1();
      switch (location) {
        case 0:
          h.XYZ = DecodeCaptureXyz(w);
          break;
        case 1:
          h.Time = DecodeCaptureTime(w);
          break;
        case 2:
          h.Date = DecodeCaptureDate(w);
          break;
        case 3:
          h.Temp = DecodeCaptureTemp(w);
          break;
        case 4:
          h.Voltage = DecodeCaptureVoltage(w);
          break;
        default: {
          // The auxiliary input is ratiometric to the supply recorded with the event.
          SetAuxScaleFromSupply(static_cast<float>(h.Voltage));
          h.Aux = DecodeCaptureAux(w, State().registers.RegisterMap[AUX_ADC].RegScale);
        }
      }
      ReadBuf2AndAdvance(pointer);
    }

    for (int j = 1; j <= L - kCaptureHeaderWords; ++j) {
      const int32_t buf1 = ReadBuf1();
      ++t;
      State().capture.CaptureX(e, j) = State().capture.CaptureTraceX.at(t) =
          DecodeCaptureSampleX(buf1);
      State().capture.CaptureY(e, j) = State().capture.CaptureTraceY.at(t) =
          DecodeCaptureSampleY(buf1);
      State().capture.CaptureZ(e, j) = State().capture.CaptureTraceZ.at(t) =
          DecodeCaptureSampleZ(ReadBuf2AndAdvance(pointer));
    }
  }
}

}  // namespace kva
