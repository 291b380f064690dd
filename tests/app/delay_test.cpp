// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/delay.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "app/hooks.h"
#include "support/dev_setup.h"

namespace kva {
namespace {

// Records every spin instead of spending real time.
struct SpinLog {
  static inline std::vector<std::pair<int64_t, int32_t>> calls;
  static void Record(int64_t steps, int32_t count) { calls.emplace_back(steps, count); }
};

class Delay : public kvatest::ProgramStateTest {
 protected:
  void SetUp() override {
    kva::ResetProgramState();
    SpinLog::calls.clear();
    State().delay.DelaySpin = &SpinLog::Record;
    State().delay.DelayWait = &CountedWait;
    State().delay.DelayClock = &MonotonicSeconds;  // faked by SetClockReadings
  }
};

TEST_F(Delay, StepsAreWholeTenMicrosecondUnitsTiesToEven) {
  State().delay.DelayCalibrated = true;
  struct Case {
    float t;
    int64_t steps;
    float after;
  };
  for (const Case c :
       {Case{0.004f, 1, 0.01f}, Case{-5.0f, 1, 0.01f}, Case{0.1f, 10, 0.1f},
        Case{0.125f, 12, 0.125f}, Case{0.375f, 38, 0.375f}, Case{500.0f, 50000, 500.0f}}) {
    SpinLog::calls.clear();
    float t = c.t;
    WaitDelay(t);
    ASSERT_EQ(SpinLog::calls.size(), 1u) << c.t;
    EXPECT_EQ(SpinLog::calls[0].first, c.steps) << c.t;
    EXPECT_EQ(t, c.after) << c.t;
  }
}

TEST_F(Delay, ZeroReturnsAtOnceAndFirstOtherUseCalibrates) {
  float t = 0;
  WaitDelay(t);
  EXPECT_FALSE(State().delay.DelayCalibrated);
  EXPECT_TRUE(SpinLog::calls.empty());
  kvatest::SetClockReadings({0, 0.5, 10, 13});
  WaitDelay(0.1);
  EXPECT_TRUE(State().delay.DelayCalibrated);
  // The 500 ms and 3 s measurements, then the call itself with the calibrated count.
  ASSERT_EQ(SpinLog::calls.size(), 3u);
  EXPECT_EQ(SpinLog::calls[2].first, 10);
  EXPECT_EQ(SpinLog::calls[2].second, 1000);
}

TEST_F(Delay, QuarterSecondExampleNeedsNoMultiplication) {
  std::vector<bool> busy;
  SetBusyPointerHandler([&](bool on) { busy.push_back(on); });
  kvatest::SetClockReadings({0, 0.25, 100, 103});
  CalibrateDelay();
  EXPECT_EQ(State().delay.DelayLoopCount, 2000);
  ASSERT_EQ(SpinLog::calls.size(), 2u);
  EXPECT_EQ(SpinLog::calls[0], std::make_pair(int64_t{50000}, int32_t{1000}));
  EXPECT_EQ(SpinLog::calls[1], std::make_pair(int64_t{300000}, int32_t{2000}));
  EXPECT_EQ(busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(State().delay.DelayReport,
            "First 0.5Sec delay =    0.25\r\n"
            "2nd 0.5Sec delay =   0\r\n"
            "3rd 0.5Sec delay =   0\r\n"
            "Actual 3Sec delay =  3\r\n"
            "10uS Delay Count =   2000\r\n"
            "Minimum Delay=      0.2 uS\r\n"
            "Minimum Delay Count= 40\r\n");
}

TEST_F(Delay, FastMachineGoesThroughBothMultiplications) {
  // 1 ms, then 10 ms with x40, then 0.2 s with x6: count = 0.5/0.2 * 240000 = 600000.
  kvatest::SetClockReadings({0, 0.001, 1, 1.01, 2, 2.2, 3, 6});
  CalibrateDelay();
  ASSERT_EQ(SpinLog::calls.size(), 4u);
  EXPECT_EQ(SpinLog::calls[1].second, 40000);
  EXPECT_EQ(SpinLog::calls[2].second, 240000);
  EXPECT_EQ(SpinLog::calls[3].second, 600000);
  EXPECT_EQ(State().delay.DelayLoopCount, 600000);
  EXPECT_NE(State().delay.DelayReport.find("2nd 0.5Sec delay =   0.01\r\n"), std::string::npos);
  EXPECT_NE(State().delay.DelayReport.find("3rd 0.5Sec delay =   0.2\r\n"), std::string::npos);
}

TEST_F(Delay, ClockThatStandsStillOrWrapsIsBounded) {
  kvatest::SetClockReadings({5});
  CalibrateDelay();
  EXPECT_EQ(State().delay.DelayLoopCount, std::numeric_limits<int32_t>::max());
  EXPECT_NE(State().delay.DelayReport.find("Actual 3Sec delay =  0.1\r\n"), std::string::npos);
  EXPECT_NE(State().delay.DelayReport.find("10uS Delay Count =   2147483647\r\n"),
            std::string::npos);
  EXPECT_NE(State().delay.DelayReport.find("Minimum Delay Count= 40\r\n"), std::string::npos);

  // A negative span counts as too short: multiplied through, then bounded.
  kvatest::SetClockReadings({86399.9, 0.1, 0.2, 0.1, 0.3, 0.2, 1, 4});
  CalibrateDelay();
  EXPECT_EQ(State().delay.DelayLoopCount, 240000000);
}

TEST_F(Delay, CountHoldsWhenTheMiddleOfThreeWaitsIsWithinTolerance) {
  State().delay.DelayCalibrated = true;
  State().delay.DelayLoopCount = 1234;
  const struct {
    std::vector<double> waits;  // seconds each 10 ms wait took
    bool holds;
  } cases[] = {
      {{0.0100, 0.0101, 0.0100}, true},
      {{0.0300, 0.0104, 0.0050}, true},   // one wait disturbed either way does not decide
      {{0.0067, 0.0067, 0.0300}, false},  // a faster machine: every settle cut short
      {{0.0106, 0.0107, 0.0110}, false},  // a slower one
  };
  for (const auto& c : cases) {
    std::vector<double> readings;
    for (double w : c.waits) readings.insert(readings.end(), {100.0, 100.0 + w});
    kvatest::SetClockReadings(readings);
    SpinLog::calls.clear();
    EXPECT_EQ(DelayCountHolds(), c.holds) << c.waits[0];
    EXPECT_EQ(SpinLog::calls, (std::vector<std::pair<int64_t, int32_t>>(3, {1000, 1234})));
  }
}

TEST(DelayWaits, LastTheirLengthWhateverTheCountAndSleepWhenLong) {
  State().delay = {};
  State().delay.DelayCalibrated = true;
  State().delay.DelayLoopCount = 1;  // a count far too small, as after calibrating on a slower core
  for (const float ms : {0.01f, 0.1f, 1.5f, 3.0f, 25.0f}) {
    const double start = MonotonicSeconds();
    const double cpuStart = ThreadCpuSeconds();
    WaitDelay(ms);
    const double wall = MonotonicSeconds() - start;
    EXPECT_GE(wall, ms * 1e-3) << ms;
    if (ms >= 3.0f) {
      EXPECT_LT(ThreadCpuSeconds() - cpuStart, wall / 2) << ms;
    }
  }
}

TEST(DelaySpin, CalibrationClockLeavesOutTimeSpentNotRunning) {
  State().delay = {};
  EXPECT_EQ(State().delay.DelayClock, &ThreadCpuSeconds);
  const double start = State().delay.DelayClock();
  usleep(50000);
  EXPECT_LT(State().delay.DelayClock() - start, 0.01);
}

TEST(DelaySpin, RealLoopTakesTime) {
  // The compiled loop must not vanish: a large count takes measurable time.
  const double start = MonotonicSeconds();
  SpinDelaySteps(1000, 100000);
  EXPECT_GT(MonotonicSeconds() - start, 0.005);
}

}  // namespace
}  // namespace kva
