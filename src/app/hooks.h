// SPDX-License-Identifier: GPL-3.0-or-later
// Hooks through which core code reaches the outside world without knowing who is listening:
// the desktop program wires them to Qt, kva7710ctl to stderr and no-ops, tests to recorders
// and fake clocks. Core code never shows a window itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "state/program_state.h"

namespace kva {

// Application title, used as the caption of every message box.
inline constexpr const char* kAppTitle = "KVA7710_Eval_Rev_1";

// An OK-only message box. The title is the application title unless one is given.
void SetMsgBoxHandler(MsgBoxHandler handler);  // empty handler: back to stderr
void MsgBox(const std::string& text, const std::string& title = kAppTitle);

// One pass of window-event processing, so that controls stay live during long work.
void SetYieldHandler(std::function<void()> handler);
void Yield();

// The hourglass pointer while something blocks.
void SetBusyPointerHandler(std::function<void(bool)> handler);
void SetBusyPointer(bool on);

// The clocks. Timer() is seconds since local midnight in single precision (it wraps at
// midnight); MonotonicSeconds() never goes back and is what measurements use.
void SetClockHooks(ClockHooks hooks);  // empty members: the system clocks
double MonotonicSeconds();
LocalDateTime LocalNow();
float Timer();

}  // namespace kva
