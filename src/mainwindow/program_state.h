// SPDX-License-Identifier: GPL-3.0-or-later
// Every global of the program's core back to its start value, in one place: the settings,
// delay, hooks and run mode; the register map and access results; both transport seams, port
// access and the adapter's records; the capture arrays; the operating-system name and the
// control-register values the main window read at start-up. Tests start and end with it.
#pragma once

namespace kva {

void ResetProgramState();

}  // namespace kva
