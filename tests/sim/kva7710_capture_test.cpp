#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/hooks.h"
#include "sim/kva7710.h"

namespace kva::sim {
namespace {

struct Bench {
  double now = 1000.0;
  Kva7710 dev{[this] { return now; }};

  uint16_t Read(uint8_t address) {
    dev.Transfer(static_cast<uint16_t>(address << 8));
    return dev.Transfer(0x0000);
  }
  void Write(uint8_t address, uint16_t value) {
    const uint16_t hi = static_cast<uint16_t>(0x8000 | (address + 1) << 8 | value >> 8);
    const uint16_t lo = static_cast<uint16_t>(0x8000 | address << 8 | (value & 0xFF));
    if (address == 0x40) {
      dev.Transfer(lo);
      dev.Transfer(hi);
    } else {
      dev.Transfer(hi);
      dev.Transfer(lo);
    }
  }
  void Step(double seconds) { now += seconds; }
};

int Sext(int bits, int v) {
  const int p = 1 << (bits - 1);
  return (v & (p - 1)) - (v & p);
}

// What the host's readout decodes from one event buffer: header words and samples in counts
// of 0.2 g, walked location by location with the pointer written after each location.
struct Decoded {
  std::vector<uint16_t> header;
  std::vector<std::array<int, 3>> samples;
};

std::vector<Decoded> Walk(Bench& b) {
  const int events = b.Read(0x1C);
  const int length = 1024 >> (b.Read(0x42) & 7);
  const int buffers = 8192 / length;
  std::vector<Decoded> out;
  int p = 0;
  b.Write(0x40, 0);
  for (int e = 0; e < std::min(events, buffers); ++e) {
    Decoded d;
    for (int h = 0; h < 6; ++h) {
      d.header.push_back(b.Read(0x16));
      b.Read(0x18);
      b.Write(0x40, static_cast<uint16_t>(++p));
    }
    for (int j = 0; j < length - 6; ++j) {
      const int w = b.Read(0x16);
      const int z = b.Read(0x18);
      b.Write(0x40, static_cast<uint16_t>(++p));
      d.samples.push_back({Sext(8, w & 0xFF), Sext(8, w >> 8), Sext(8, z & 0xFF)});
    }
    out.push_back(std::move(d));
  }
  return out;
}

// Capture of 1024 locations with a quarter before the trigger; trigger 1 on X above 12 g.
void ArmXAbove12g(Bench& b) {
  b.Write(0x42, 0x0040);
  b.Write(0x3C, 0x0210);
  b.Write(0x38, 0x80E9);  // 233 counts, greater than
}

class Kva7710CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockHooks hooks;
    hooks.localNow = [] { return LocalDateTime{2007, 12, 25, 14, 30, 10}; };
    SetClockHooks(hooks);
  }
  void TearDown() override { ResetHooks(); }
};

void ExpectTwentyGShockEvent(const Decoded& d) {
  ASSERT_EQ(d.header.size(), 6u);
  EXPECT_EQ(d.header[0], 100);     // |(20.0, 0, 0.98)| g in 0.2 g counts
  EXPECT_EQ(d.header[1], 0x1430);  // 14:30
  EXPECT_EQ(d.header[2], 0x1225);  // 25 December
  EXPECT_EQ(d.header[3], 307);     // 25 C
  EXPECT_EQ(d.header[4], 676);     // 3.30 V
  EXPECT_EQ(d.header[5], 310);     // 1.00 V of 3.30 V
  ASSERT_EQ(d.samples.size(), 1018u);
  // 256 samples before the trigger: at rest, then the first three of the half-sine
  // (0, 6.0 and 11.5 g, still below the level); the trigger sample at 15.9 g comes next.
  for (int j = 0; j < 253; ++j) {
    ASSERT_EQ(d.samples[j], (std::array<int, 3>{0, 0, 5})) << j;
  }
  EXPECT_EQ(d.samples[253][0], 0);
  EXPECT_EQ(d.samples[254][0], 30);
  EXPECT_EQ(d.samples[255][0], 58);
  EXPECT_EQ(d.samples[256][0], 80);
  EXPECT_EQ(d.samples[258][0], 100);  // the crest
  EXPECT_EQ(d.samples[267], (std::array<int, 3>{0, 0, 5}));  // over after 10 ms
  EXPECT_EQ(d.samples[1017], (std::array<int, 3>{0, 0, 5}));
}

TEST_F(Kva7710CaptureTest, ShockTriggersEventThatTheWalkDecodes) {
  Bench b;
  ArmXAbove12g(b);
  b.Step(0.5);  // exactly 512 samples on: the shock starts on a sample
  b.dev.Shock(0, 20.0, 10.0);
  for (int i = 0; i < 2000; ++i) {  // the host polling through the capture
    b.Step(1.0 / 1000);
    b.Read(0x04);
  }
  EXPECT_EQ(b.Read(0x1C), 1);
  EXPECT_EQ(b.Read(0x1A) & 0x0300, 0x0100);   // alarm 1 latched
  EXPECT_EQ(b.Read(0x04) & 0x4000, 0x4000);   // shown on the outputs
  const auto events = Walk(b);
  ASSERT_EQ(events.size(), 1u);
  ExpectTwentyGShockEvent(events[0]);
}

TEST_F(Kva7710CaptureTest, HourOfIdleCatchesUpFastAndKeepsTheShock) {
  Bench b;
  ArmXAbove12g(b);
  b.Write(0x46, 0x4000);  // peak tracking
  b.Step(0.5);
  b.dev.Shock(0, 20.0, 10.0);
  b.Step(3600);
  // Generous bound (the budget is 10 ms) so that a loaded machine does not fail the suite.
  const auto t0 = std::chrono::steady_clock::now();
  const uint16_t events = b.Read(0x1C);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(ms, 50.0);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(b.Read(0x0E) & 0x3FFF, 400);  // the crest, 19.995 g in 0.05 g counts
  EXPECT_EQ(b.Read(0x2E), 0x1530);        // an hour on
  const auto walked = Walk(b);
  ASSERT_EQ(walked.size(), 1u);
  ExpectTwentyGShockEvent(walked[0]);
}

TEST_F(Kva7710CaptureTest, MemoryWrapsSetsFullAndClears) {
  Bench b;
  ArmXAbove12g(b);  // 8 buffers of 1024
  for (int e = 1; e <= 9; ++e) {
    b.dev.Shock(0, 14.0 + e, 10.0);
    b.Step(1.5);
    b.Read(0x1C);
    EXPECT_EQ(b.Read(0x1A) & 0x0080, e >= 8 ? 0x0080 : 0) << e;
  }
  EXPECT_EQ(b.Read(0x1C), 9);
  const auto walked = Walk(b);
  ASSERT_EQ(walked.size(), 8u);
  // Buffer 0 holds the ninth event (23 g), buffer 1 the second (16 g).
  EXPECT_NEAR(walked[0].header[0] * 0.2, 23.0, 0.3);
  EXPECT_NEAR(walked[1].header[0] * 0.2, 16.0, 0.3);
  EXPECT_NEAR(walked[7].header[0] * 0.2, 22.0, 0.3);

  b.Write(0x4A, 0x0040);
  EXPECT_EQ(b.Read(0x1C), 0);
  EXPECT_EQ(b.Read(0x1A) & 0x0080, 0);
  for (uint16_t p : {0, 1, 6, 1023, 8191}) {
    b.Write(0x40, p);
    EXPECT_EQ(b.Read(0x16), 0) << p;
    EXPECT_EQ(b.Read(0x18), 0) << p;
  }
  b.dev.Shock(0, 20.0, 10.0);
  b.Step(1.5);
  const auto again = Walk(b);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].header[0], 100);
}

TEST_F(Kva7710CaptureTest, ShortBuffersKeepTheTriggerSample) {
  Bench b;
  b.Write(0x42, 0x00F7);  // 8 locations, pre-trigger 15/16 of them: only 1 of 2 samples fits
  b.Write(0x3C, 0x0210);
  b.Write(0x38, 0x80E9);
  b.Step(0.5);
  b.dev.Shock(0, 20.0, 10.0);
  b.Step(0.1);
  EXPECT_EQ(b.Read(0x1C), 1);
  const auto walked = Walk(b);  // 1 event of 1024 buffers
  ASSERT_EQ(walked.size(), 1u);
  ASSERT_EQ(walked[0].samples.size(), 2u);
  EXPECT_EQ(walked[0].samples[0][0], 58);  // the sample before the trigger
  EXPECT_EQ(walked[0].samples[1][0], 80);  // the trigger sample
}

TEST_F(Kva7710CaptureTest, ClockAlarmFiresOnceWhenTheWakeMinuteComes) {
  Bench b;  // 14:30:10 on 25 December
  b.Write(0x34, 0x1431);
  b.Write(0x36, 0x1225);
  b.Write(0x42, 0x0007);
  b.Write(0x3C, 0x0810);  // source 8, trigger 1
  b.Step(31);
  EXPECT_EQ(b.Read(0x1C), 0);
  b.Step(180);  // through the whole wake minute in one catch-up
  EXPECT_EQ(b.Read(0x1C), 1);
  EXPECT_EQ(b.Read(0x1A) & 0x0100, 0x0100);
  const auto walked = Walk(b);
  EXPECT_EQ(walked[0].header[1], 0x1431);
}

// The same stimulus taken in one jump, in minute-sized jumps and at a host's polling pace
// must leave the same device: skipping idle stretches may only save time, never change data.
struct DemoRig {
  Bench b;
  explicit DemoRig(uint64_t seed) {
    b.dev.SetScenario("demo");
    b.dev.SetSeed(seed);
    b.Write(0x42, 0x0082);  // 256 locations, half of them before the trigger
    b.Write(0x3C, 0x2710);  // trigger 1 on the magnitude, alarm 2 watches X
    b.Write(0x38, 0x80F0);  // magnitude above 12 g
    b.Write(0x3A, 0x3F9F);  // X below -5 g (-97 counts)
    b.Write(0x46, 0xC000);
  }
  std::vector<uint16_t> Snapshot() {
    std::vector<uint16_t> s;
    for (uint8_t a = 0; a < 0x50; a += 2) {
      if (a != 0x16 && a != 0x18) s.push_back(b.dev.Peek(a));
    }
    for (const auto& e : Walk(b)) {
      s.insert(s.end(), e.header.begin(), e.header.end());
      for (const auto& x : e.samples) s.insert(s.end(), {uint16_t(x[0]), uint16_t(x[1]), uint16_t(x[2])});
    }
    return s;
  }
};

TEST_F(Kva7710CaptureTest, CatchUpEqualsSampleBySample) {
  DemoRig fine(7), coarse(7), oneJump(7);
  const double span = 20.0;
  const double start = fine.b.now;
  for (int i = 1; i <= 20000; ++i) {
    fine.b.now = start + span * i / 20000;  // not summed, so that all three end at one time
    fine.b.dev.Sync();
  }
  for (int i = 0; i < 4; ++i) {
    coarse.b.Step(span / 4);
    coarse.b.dev.Sync();
  }
  oneJump.b.Step(span);
  oneJump.b.dev.Sync();
  ASSERT_GT(fine.b.dev.Peek(0x1C), 1);  // the demo shocks did trigger
  const auto reference = fine.Snapshot();
  EXPECT_EQ(coarse.Snapshot(), reference);
  EXPECT_EQ(oneJump.Snapshot(), reference);

  DemoRig other(8);
  other.b.Step(span);
  other.b.dev.Sync();
  EXPECT_NE(other.Snapshot(), reference);
}

TEST_F(Kva7710CaptureTest, DemoHourCatchUpIsFast) {
  DemoRig rig(3);
  rig.b.Step(3600);
  const auto t0 = std::chrono::steady_clock::now();
  rig.b.dev.Sync();
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(ms, 50.0);  // generous: the budget is 10 ms
  EXPECT_GT(rig.b.dev.Peek(0x1C), 300);  // a shock every 2 to 6 s, most above 12 g
  EXPECT_EQ(rig.b.dev.Peek(0x1A) & 0x0380, 0x0380);
}

}  // namespace
}  // namespace kva::sim
