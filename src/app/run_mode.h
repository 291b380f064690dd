// SPDX-License-Identifier: GPL-3.0-or-later
// How this run of the program was started, for the few places that must show or act on it.
#pragma once

#include "state/program_state.h"

namespace kva {

// True when the desktop program runs on the built-in simulated board (--simulate) instead of
// hardware. The main window adds " [simulated board]" to its title while this is true.
inline bool SimulatedBoardActive() { return State().run.simulatedBoardActive; }
inline void SetSimulatedBoardActive(bool on) { State().run.simulatedBoardActive = on; }

// Set once the program has been told to end (main window's exit). Long loops that yield
// (read loop, datalog, capture readout) check it after each Yield and return at once, closing
// their files, because no window is left to serve them.
inline bool ProgramEnding() { return State().run.programEnding; }
inline void SetProgramEnding(bool on) { State().run.programEnding = on; }

}  // namespace kva
