// SPDX-License-Identifier: GPL-3.0-or-later
// The fake sensor on the simulated port, noting what a handler did on the line: "R42" a frame
// asking for the word at 42 (hex; 0000 frames left out), "W42=0042" a whole word written,
// "+500" a wait in whole milliseconds (shorter ones, pacing the frames, left out), and "g"
// after any of these while the watched control is painted green (0, 255, 0).
#pragma once

#include <cstdio>

#include "support/fake_sensor.h"
#include "support/ui_window_test.h"

namespace kvatest {

class TraceSensor : public FakeSensor {
 public:
  uint16_t Transfer(uint16_t mosi) override {
    char token[16];
    if (!(mosi & 0x8000)) {
      std::snprintf(token, sizeof token, "R%02X", mosi >> 8);
      if (mosi != 0) Add(token);
    } else if (half_ < 0) {
      half_ = mosi & 0x7FFF;
    } else {
      const int low = (half_ & 0x100) ? mosi : half_, high = (half_ & 0x100) ? half_ : mosi;
      std::snprintf(token, sizeof token, "W%02X=%02X%02X", (low >> 8) & 0x7E, high & 0xFF,
                    low & 0xFF);
      Add(token);
      half_ = -1;
    }
    return FakeSensor::Transfer(mosi);
  }

  // Starts a new trace, watching this control (or none).
  void Watch(QWidget* control) {
    watched_ = control;
    trace_.clear();
    tracing_ = this;
    kva::State().delay.DelayWait = [](int64_t steps) {
      char token[24];
      std::snprintf(token, sizeof token, "+%lld", static_cast<long long>(steps / 100));
      if (steps >= 100 && tracing_) tracing_->Add(token);
      kva::CountedWait(steps);
    };
  }

  ~TraceSensor() { tracing_ = nullptr; }
  const std::string& Trace() const { return trace_; }

 private:
  void Add(const std::string& token) {
    if (!trace_.empty()) trace_ += ' ';
    trace_ += token;
    if (watched_ && kva::ui::BackColor(*watched_) == QColor(0, 255, 0)) trace_ += 'g';
  }

  static inline TraceSensor* tracing_ = nullptr;  // the waits' function is a plain pointer
  QPointer<QWidget> watched_;
  std::string trace_;
  int half_ = -1;  // the first byte frame of a word being written
};

// The tracing sensor at 0x378, selected as the parallel-port interface, waits counted.
using TraceBoard = BoardOf<TraceSensor>;

}  // namespace kvatest
