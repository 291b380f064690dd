// SPDX-License-Identifier: GPL-3.0-or-later
// Hooks through which core code reaches the outside world without knowing who is listening:
// the desktop program wires them to Qt, kva7710ctl to stderr and no-ops, tests to recorders
// and fake clocks. Core code never shows a window itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kva {

// Application title, used as the caption of every message box.
inline constexpr const char* kAppTitle = "KVA7710_Eval_Rev_1";

// An OK-only message box. The title is the application title unless one is given.
using MsgBoxHandler = std::function<void(const std::string& text, const std::string& title)>;
void SetMsgBoxHandler(MsgBoxHandler handler);  // empty handler: back to stderr
void MsgBox(const std::string& text, const std::string& title = kAppTitle);

// One pass of window-event processing, so that controls stay live during long work.
void SetYieldHandler(std::function<void()> handler);
void Yield();

// The hourglass pointer while something blocks.
void SetBusyPointerHandler(std::function<void(bool)> handler);
void SetBusyPointer(bool on);

// Local calendar date and time, as the PC clock shows it.
struct LocalDateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

// The clocks. Timer() is seconds since local midnight in single precision (it wraps at
// midnight); MonotonicSeconds() never goes back and is what measurements use.
struct ClockHooks {
  std::function<double()> monotonic;  // seconds, arbitrary origin
  std::function<float()> timer;       // seconds since midnight
  std::function<LocalDateTime()> localNow;
};
void SetClockHooks(ClockHooks hooks);  // empty members: the system clocks
double MonotonicSeconds();
LocalDateTime LocalNow();
float Timer();

// Back to the defaults (stderr messages, no-op yield and pointer, system clocks).
void ResetHooks();

}  // namespace kva
