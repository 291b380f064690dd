// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/delay.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <limits>

#include "app/hooks.h"
#include "app/number_text.h"

namespace kva {
namespace {

// Waits from this length sleep, and wake this long before their end to spin the rest.
constexpr int64_t kSleepFromNs = 2'000'000;
constexpr int64_t kSpinTailNs = 500'000;

int64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// Seconds the counted loop takes for ms milliseconds at the current count: what the
// calibration adjusts, timed without the clock that ends ordinary waits.
double Measure(float ms) {
  const int64_t steps = DelaySteps(ms);
  const double start = State().delay.DelayClock();
  State().delay.DelayStepsRun += steps;
  State().delay.DelaySpin(steps, State().delay.DelayLoopCount);
  return State().delay.DelayClock() - start;
}

// Counts can run past 32 bits when the clock never advances; they stop at the largest value.
int32_t ClampCount(double value) {
  const double top = static_cast<double>(std::numeric_limits<int32_t>::max());
  if (value >= top) return std::numeric_limits<int32_t>::max();
  if (value < 1) return 1;
  return static_cast<int32_t>(RoundHalfEven(value));
}

}  // namespace

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void SpinDelaySteps(int64_t steps, int32_t count) {
  for (int64_t i = 0; i < steps; ++i) {
    for (int32_t j = 0; j < count; ++j) {
      // An empty statement the compiler must keep: the loop stays a counted loop.
      asm volatile("" ::: "memory");
    }
  }
}

int64_t DelaySteps(float t) {
  if (t == 0.0f) return 0;
  if (t < 0.01f) t = 0.01f;
  return RoundHalfEven(static_cast<double>(t) * 100.0);
}

void TimedWait(int64_t steps) {
  const int64_t end = MonotonicNs() + steps * 10'000;
  if (steps * 10'000 >= kSleepFromNs) {
    const int64_t wake = end - kSpinTailNs;
    const timespec at{static_cast<time_t>(wake / 1'000'000'000),
                      static_cast<long>(wake % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
  }
  while (MonotonicNs() < end) {
  }
}

void CountedWait(int64_t steps) { State().delay.DelaySpin(steps, State().delay.DelayLoopCount); }

void WaitDelay(float& t) {
  if (t == 0.0f) return;
  if (t < 0.01f) t = 0.01f;
  const int64_t steps = DelaySteps(t);
  if (!State().delay.DelayCalibrated) CalibrateDelay();
  State().delay.DelayStepsRun += steps;
  State().delay.DelayWait(steps);
}

void CalibrateDelay() {
  State().delay.DelayCalibrated = true;
  State().delay.DelayLoopCount = 1000;
  SetBusyPointer(true);

  double first = Measure(500), second = 0, third = 0;
  double d = first;
  if (d < 0.005) {
    State().delay.DelayLoopCount =
        ClampCount(static_cast<double>(State().delay.DelayLoopCount) * 40);
    second = d = Measure(500);
  }
  if (d < 0.1) {
    State().delay.DelayLoopCount =
        ClampCount(static_cast<double>(State().delay.DelayLoopCount) * 6);
    third = d = Measure(500);
  }
  if (d < 0.0005) d = 0.0005;
  State().delay.DelayLoopCount = ClampCount(0.5 / d * State().delay.DelayLoopCount);

  double threeSec = Measure(3000);
  if (threeSec < 0.1) threeSec = 0.1;
  State().delay.DelayLoopCount = ClampCount(3.0 / threeSec * State().delay.DelayLoopCount);

  State().delay.MinDelayMs = static_cast<float>(40.0 / State().delay.DelayLoopCount * 0.01);
  State().delay.MinDelayCount = static_cast<int32_t>(RoundHalfEven(
      static_cast<double>(State().delay.MinDelayMs) * State().delay.DelayLoopCount / 0.01));
  SetBusyPointer(false);

  const auto line = [](const char* label, const std::string& value) {
    return std::string(label) + value + "\r\n";
  };
  State().delay.DelayReport =
      line("First 0.5Sec delay =    ", GeneralText(static_cast<float>(first))) +
      line("2nd 0.5Sec delay =   ", GeneralText(static_cast<float>(second))) +
      line("3rd 0.5Sec delay =   ", GeneralText(static_cast<float>(third))) +
      line("Actual 3Sec delay =  ", GeneralText(static_cast<float>(threeSec))) +
      line("10uS Delay Count =   ", std::to_string(State().delay.DelayLoopCount)) +
      line("Minimum Delay=      ",
           GeneralText(static_cast<float>(static_cast<double>(State().delay.MinDelayMs) * 1000)) +
               " uS") +
      line("Minimum Delay Count= ", std::to_string(State().delay.MinDelayCount));
}

bool DelayCountHolds(double tolerance) {
  // The middle one of three, so that one wait disturbed either way does not decide.
  std::array<double, 3> waits{};
  for (double& w : waits) w = Measure(10);
  std::sort(waits.begin(), waits.end());
  return std::abs(waits[1] / 0.010 - 1.0) <= tolerance;
}

}  // namespace kva
