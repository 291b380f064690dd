// SPDX-License-Identifier: GPL-3.0-or-later
// State records of the feature modules: the capture readout, the trigger and control values
// read at start-up, the register browser's selection. Standard library only, so that every
// layer can hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kva {

struct CaptureHeader {
  double XYZ = 0;      // g
  double Time = 0;     // hours * 100 + minutes
  double Date = 0;     // month * 100 + day
  double Temp = 0;     // degrees C
  double Voltage = 0;  // V
  double Aux = 0;      // V

  bool operator==(const CaptureHeader&) const = default;
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
  bool operator==(const CaptureGrid&) const = default;

 private:
  size_t Offset(int row, int col) const;
  int maxRow_ = -1, maxCol_ = -1;
  std::vector<double> data_;
};

// Filled by ReadCaptureMemory, rebuilt on every readout.
struct CaptureState {
  int32_t CaptureEventsStored = 0;            // EVENTS at the start of the readout (0..65535)
  int16_t CaptureEventLength = 0;             // L: locations per event buffer
  int16_t CaptureBufferCount = 0;             // N = 8192 / L
  int32_t CaptureSmplPrd = -1;                // SMPL_PRD as read with the buffer, -1 before
  std::vector<CaptureHeader> CaptureHeaders;  // 0..N; event e at e, 0 stays zero
  CaptureGrid CaptureX, CaptureY, CaptureZ;   // (0..N, 0..L); sample j of event e at (e, j)
  // The same samples end to end, 0..8192 - 6N: sample j of event e at (e - 1)(L - 6) + j.
  std::vector<double> CaptureTraceX, CaptureTraceY, CaptureTraceZ;

  bool operator==(const CaptureState&) const = default;
};

struct ControlState {
  // The last ALM_CTRL read (by a configuration window or at the main window's start-up) or
  // written by the alarm window, and the last ALM_MAG1 / ALM_MAG2 read or written.
  int32_t AlmCtrlValue = 0;
  int32_t AlmMag1Value = 0;
  int32_t AlmMag2Value = 0;
  // Raw GPIO_CTR as last written, or as read when the main window loaded; the digital-line
  // window starts from it.
  int32_t GpioCtrlValue = 0;
  std::string OsName;            // set once by the main window's load handler
  int16_t SelectedRegister = 0;  // last chosen in the register browser; its write button writes it

  bool operator==(const ControlState&) const = default;
};

}  // namespace kva
