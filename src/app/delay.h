// SPDX-License-Identifier: GPL-3.0-or-later
// The delay that paces every SPI frame and device command. WaitDelay(t) waits t milliseconds in
// whole 10-microsecond steps and returns no earlier than that on the monotonic clock, however
// fast the processor runs at the moment; waits of milliseconds sleep for most of their length
// instead of holding a core. The number of inner-loop iterations per step is still measured
// once by CalibrateDelay: its report is shown to users, and tests count waits with it.
#pragma once

#include <cstdint>
#include <string>

namespace kva {

inline int32_t DelayLoopCount = 1000;  // inner iterations per 10 microseconds
inline bool DelayCalibrated = false;
inline float MinDelayMs = 0.0f;
inline int32_t MinDelayCount = 0;
inline std::string DelayReport;

// Steps run by WaitDelay since the last reset (tests and benchmarks read it).
inline int64_t DelayStepsRun = 0;

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
using DelaySpinFn = void (*)(int64_t steps, int32_t count);
void SpinDelaySteps(int64_t steps, int32_t count);
inline DelaySpinFn DelaySpin = &SpinDelaySteps;

// How WaitDelay spends its steps once counted. TimedWait: until the monotonic clock has passed
// start + steps x 10 us, sleeping through all but the last half millisecond of a wait of 2 ms
// or more and spinning on the clock for the rest (a woken thread may start late, never early).
// CountedWait: DelaySpin with DelayLoopCount and no clock, for tests whose waits are counted
// rather than spent. The simulated board's session wraps whichever is in place.
using DelayWaitFn = void (*)(int64_t steps);
void TimedWait(int64_t steps);
void CountedWait(int64_t steps);
inline DelayWaitFn DelayWait = &TimedWait;

// The clock the calibration and DelayCountHolds time the spin with, in seconds: by default the
// processor time of the calling thread, so that being scheduled out on a loaded machine does
// not pass for a slow loop (a count calibrated that way is too small once the load has gone,
// and cuts every settle delay short). Tests put a fake clock here.
using DelayClockFn = double (*)();
double ThreadCpuSeconds();
inline DelayClockFn DelayClock = &ThreadCpuSeconds;

// Back to the uncalibrated state (tests).
void ResetDelay();

}  // namespace kva
