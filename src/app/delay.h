// SPDX-License-Identifier: GPL-3.0-or-later
// The delay that paces every SPI frame and device command. WaitDelay(t) waits t milliseconds in
// whole 10-microsecond steps and returns no earlier than that on the monotonic clock, however
// fast the processor runs at the moment; waits of milliseconds sleep for most of their length
// instead of holding a core. The number of inner-loop iterations per step is still measured
// once by CalibrateDelay: its report is shown to users, and tests count waits with it.
#pragma once

#include <cstdint>
#include <string>

#include "state/program_state.h"

namespace kva {

// The counts, the report and the seams below live in State().delay.

// t in milliseconds, by reference: below 0.01 it is raised to 0.01 in the caller's variable.
// 0 returns at once without calibrating.
void WaitDelay(float& t);
inline void WaitDelay(double t) {
  float f = static_cast<float>(t);
  WaitDelay(f);
}

// The number of 10-microsecond steps WaitDelay takes for t (after t's lower bound).
int64_t DelaySteps(float t);

void CalibrateDelay();

// Whether the current count still gives waits of their nominal length, within tolerance (a
// fraction): the middle one of three 10 ms waits timed by DelayClock. A count kept from an
// earlier calibration goes stale when the machine's speed changes (clock frequency, another
// processor), and a count that is too small cuts every settle delay short.
bool DelayCountHolds(double tolerance = 0.05);

// The counted loop: steps x count iterations of an empty loop that the compiler keeps. The
// calibration times it; tests replace it so that calibration stages can be checked without
// spending real seconds.
// (DelaySpin, with SpinDelaySteps as its start value.)

// How WaitDelay spends its steps once counted. TimedWait: until the monotonic clock has passed
// start + steps x 10 us, sleeping through all but the last half millisecond of a wait of 2 ms
// or more and spinning on the clock for the rest (a woken thread may start late, never early).
// CountedWait: DelaySpin with DelayLoopCount and no clock, for tests whose waits are counted
// rather than spent. The simulated board's session wraps whichever is in place.
// (DelayWait, with TimedWait as its start value.)
void CountedWait(int64_t steps);

// The clock the calibration and DelayCountHolds time the spin with, in seconds: by default the
// processor time of the calling thread, so that being scheduled out on a loaded machine does
// not pass for a slow loop (a count calibrated that way is too small once the load has gone,
// and cuts every settle delay short). Tests put a fake clock here.
// (DelayClock, with ThreadCpuSeconds as its start value.)

}  // namespace kva
