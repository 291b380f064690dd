// SPDX-License-Identifier: GPL-3.0-or-later
// State records of the base modules: settings, delay, hooks and how this run was started.
// Standard library only, so that every layer can hold them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kva {

// Transport for register access; the numbers are what CommPort.cfg stores.
enum class Interface : int16_t { None = 0, Parallel = 1, Usb = 2 };

struct SettingsState {
  // Persistent (CommPort.cfg).
  Interface InterfaceType = Interface::None;
  int16_t PortAddress = 0;  // parallel port base; 0x8000 and above held as negatives
  int16_t FactoryMode = 0;  // carried through the file unchanged
  // Set afresh at every start.
  bool DebugLoopStop = true;     // no USB debug loop is running
  bool PortDriverReady = false;  // port access not yet set up in this run
  std::string CaptureFileName = "DataCapBuff";

  bool operator==(const SettingsState&) const = default;
};

// Seams of the delay (see app/delay.h).
using DelaySpinFn = void (*)(int64_t steps, int32_t count);
using DelayWaitFn = void (*)(int64_t steps);
using DelayClockFn = double (*)();
void SpinDelaySteps(int64_t steps, int32_t count);
void TimedWait(int64_t steps);
double ThreadCpuSeconds();

struct DelayState {
  int32_t DelayLoopCount = 1000;  // inner iterations per 10 microseconds
  bool DelayCalibrated = false;
  float MinDelayMs = 0.0f;
  int32_t MinDelayCount = 0;
  std::string DelayReport;
  int64_t DelayStepsRun = 0;  // steps run by WaitDelay (tests and benchmarks read it)
  DelaySpinFn DelaySpin = &SpinDelaySteps;
  DelayWaitFn DelayWait = &TimedWait;
  DelayClockFn DelayClock = &ThreadCpuSeconds;

  bool operator==(const DelayState&) const = default;
};

// Local calendar date and time, as the PC clock shows it.
struct LocalDateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

// The clocks; an empty member means the system clock.
struct ClockHooks {
  std::function<double()> monotonic;  // seconds, arbitrary origin
  std::function<float()> timer;       // seconds since midnight
  std::function<LocalDateTime()> localNow;
};

using MsgBoxHandler = std::function<void(const std::string& text, const std::string& title)>;

// Who listens to messages, yields, the busy pointer and the clocks; empty: the defaults.
struct HookState {
  MsgBoxHandler msgBox;
  std::function<void()> yield;
  std::function<void(bool)> busy;
  ClockHooks clocks;

  // Handlers cannot be compared; two states match when the same hooks are installed.
  bool operator==(const HookState& o) const {
    return !msgBox == !o.msgBox && !yield == !o.yield && !busy == !o.busy &&
           !clocks.monotonic == !o.clocks.monotonic && !clocks.timer == !o.clocks.timer &&
           !clocks.localNow == !o.clocks.localNow;
  }
};

struct RunState {
  bool simulatedBoardActive = false;
  bool programEnding = false;
  std::optional<char> decimalMarkOverride;  // tests fix the locale's decimal mark

  bool operator==(const RunState&) const = default;
};

}  // namespace kva
