// SPDX-License-Identifier: GPL-3.0-or-later
// The device side of starting the program: the globals' start values and the register map,
// and the bring-up of each interface, shared by the main window, the port dialog and
// kva7710ctl so that all three do it the same way.
#pragma once

#include <functional>

namespace kva {

// Start-up steps that need no window: the globals' start values, the settings file, the
// register map and the capture file name. The delay calibration and the windows stay with
// the caller.
void RunStartupSteps();

// Port access for PortAddress .. PortAddress + 2 (SetupGiveIO, then giveio), then the idle
// line levels (LptInit). beforeIdleLevels runs in between, when given (kva7710ctl starts its
// bus trace there, so the trace holds every level the program set). Returns whether the port
// is granted; a refusal has shown its message.
bool BringUpParallelPort(const std::function<void()>& beforeIdleLevels = {});

// The adapter search, then the SPI set-up of the adapter it selected (static bits, then word
// delay). Returns whether an adapter was selected; the search has shown its message when
// none was, and a set-up that fails shows its own.
bool BringUpUsbAdapter();

}  // namespace kva
