// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/delay.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <tuple>
#include <vector>

#include "app/hooks.h"
#include "support/dev_setup.h"

namespace kva {
namespace {

using Spins = std::vector<std::pair<int64_t, int32_t>>;
Spins spins;  // every spin, recorded instead of spending real time

struct Delay : kvatest::ProgramStateTest {
  void SetUp() override {
    kva::ResetProgramState();
    spins.clear();
    State().delay.DelaySpin = [](int64_t steps, int32_t count) {
      spins.emplace_back(steps, count);
    };
    State().delay.DelayWait = &CountedWait;
    State().delay.DelayClock = &MonotonicSeconds;  // faked by SetClockReadings
  }
};

// Whole 10 us steps, ties to even, at least one; 0 returns at once; the first other wait
// calibrates (the 500 ms and 3 s measurements come before it).
TEST_F(Delay, StepsAreWholeTenMicrosecondUnitsAndTheFirstUseCalibrates) {
  const std::tuple<float, int64_t, float> cases[] = {{0.004f, 1, 0.01f},   {-5.0f, 1, 0.01f},
                                                     {0.1f, 10, 0.1f},     {0.125f, 12, 0.125f},
                                                     {0.375f, 38, 0.375f}, {500.0f, 50000, 500.0f}};
  float zero = 0;
  WaitDelay(zero);
  EXPECT_TRUE(!State().delay.DelayCalibrated && spins.empty());
  kvatest::SetClockReadings({0, 0.5, 10, 13});
  WaitDelay(0.1);
  EXPECT_EQ(spins, (Spins{{50000, 1000}, {300000, 1000}, {10, 1000}}));
  for (auto [t, steps, after] : cases) {
    spins.clear();
    const float typed = t;
    WaitDelay(t);
    EXPECT_EQ(spins, (Spins{{steps, 1000}})) << typed;
    EXPECT_EQ(t, after) << typed;
  }
}

// Too short a first measurement is multiplied up (x40, then x6); a clock that stands still or
// runs backwards gives a bounded count.
TEST_F(Delay, CalibrationCountsAndReport) {
  std::vector<bool> busy;
  SetBusyPointerHandler([&](bool on) { busy.push_back(on); });
  const std::tuple<std::vector<double>, std::vector<int32_t>, int32_t, const char*> cases[] = {
      // clang-format off
      {{0, 0.25, 100, 103}, {1000, 2000}, 2000,
       "First 0.5Sec delay =    0.25\r\n2nd 0.5Sec delay =   0\r\n3rd 0.5Sec delay =   0\r\n"
       "Actual 3Sec delay =  3\r\n10uS Delay Count =   2000\r\nMinimum Delay=      0.2 uS\r\n"
       "Minimum Delay Count= 40\r\n"},
      {{0, 0.001, 1, 1.01, 2, 2.2, 3, 6}, {1000, 40000, 240000, 600000}, 600000,
       "2nd 0.5Sec delay =   0.01\r\n3rd 0.5Sec delay =   0.2\r\n"},
      {{5}, {1000, 40000, 240000, 240000000}, 2147483647,
       "Actual 3Sec delay =  0.1\r\n10uS Delay Count =   2147483647\r\n"},
      {{86399.9, 0.1, 0.2, 0.1, 0.3, 0.2, 1, 4}, {1000, 40000, 240000, 240000000}, 240000000, ""}};
  // clang-format on
  for (const auto& [clock, spinCounts, count, report] : cases) {
    spins.clear();
    kvatest::SetClockReadings(clock);
    CalibrateDelay();
    std::vector<int32_t> counts;
    for (const auto& call : spins) counts.push_back(call.second);
    EXPECT_EQ(counts, spinCounts) << count;
    EXPECT_EQ(State().delay.DelayLoopCount, count);
    EXPECT_NE(State().delay.DelayReport.find(report), std::string::npos)
        << State().delay.DelayReport;
  }
  EXPECT_EQ(busy, (std::vector<bool>{true, false, true, false, true, false, true, false}));
}

// The middle of three 10 ms waits decides: one disturbed wait does not; a faster or a slower
// machine (every settle cut short or stretched) does.
TEST_F(Delay, CountHoldsWhenTheMiddleOfThreeWaitsIsWithinTolerance) {
  State().delay.DelayCalibrated = true;
  State().delay.DelayLoopCount = 1234;
  const std::pair<std::array<double, 3>, bool> cases[] = {{{0.0100, 0.0101, 0.0100}, true},
                                                          {{0.0300, 0.0104, 0.0050}, true},
                                                          {{0.0067, 0.0067, 0.0300}, false},
                                                          {{0.0106, 0.0107, 0.0110}, false}};
  for (const auto& [waits, holds] : cases) {
    kvatest::SetClockReadings({100, 100 + waits[0], 100, 100 + waits[1], 100, 100 + waits[2]});
    spins.clear();
    EXPECT_EQ(DelayCountHolds(), holds) << waits[0];
    EXPECT_EQ(spins, Spins(3, {1000, 1234}));
  }
}

TEST(DelayWaits, LastTheirLengthWhateverTheCountAndSleepWhenLong) {
  State().delay = {};
  State().delay.DelayCalibrated = true;
  State().delay.DelayLoopCount = 1;  // a count far too small, as after calibrating on a slower core
  for (const float ms : {0.01f, 0.1f, 1.5f, 3.0f, 25.0f}) {
    const double start = MonotonicSeconds(), cpuStart = ThreadCpuSeconds();
    WaitDelay(ms);
    const double wall = MonotonicSeconds() - start;
    EXPECT_GE(wall, ms * 1e-3) << ms;
    EXPECT_TRUE(ms < 3.0f || ThreadCpuSeconds() - cpuStart < wall / 2) << ms;  // sleeps when long
  }
}

}  // namespace
}  // namespace kva
