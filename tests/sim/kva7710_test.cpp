// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/kva7710.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/hooks.h"
#include "support/program_state.h"
#include "support/temp_dir.h"

namespace kva::sim {
namespace {

// A stepped clock and the host's two-frame accesses, as register access sends them.
struct Bench {
  double now = 1000.0;
  Kva7710 dev;
  explicit Bench(std::string flash = {}) : dev([this] { return now; }, std::move(flash)) {}

  uint16_t Read(uint8_t address) {
    dev.Transfer(static_cast<uint16_t>((address & 0x7F) << 8));
    return dev.Transfer(0x0000);
  }
  void Write(uint8_t address, uint16_t value) {
    const bool lowFirst = address == 0x40;
    const uint16_t hi = static_cast<uint16_t>(0x8000 | (address + 1) << 8 | value >> 8);
    const uint16_t lo = static_cast<uint16_t>(0x8000 | address << 8 | (value & 0xFF));
    dev.Transfer(lowFirst ? lo : hi);
    dev.Transfer(lowFirst ? hi : lo);
  }
  void Write(std::initializer_list<std::pair<uint8_t, uint16_t>> writes) {
    for (const auto& [address, value] : writes) Write(address, value);
  }
  void Step(double seconds) { now += seconds; }
  uint16_t ReadAfter(double seconds, uint8_t address) {
    Step(seconds);
    return Read(address);
  }
};

struct Kva7710Test : kvatest::ProgramStateTest {
  void SetUp() override {
    ProgramStateTest::SetUp();
    LocalTime({2009, 12, 31, 23, 59, 58});
  }
  static void LocalTime(LocalDateTime t) {
    ClockHooks hooks;
    hooks.localNow = [t] { return t; };
    SetClockHooks(hooks);
  }
};

TEST_F(Kva7710Test, WriteFramesActByRegister) {
  Bench b;
  b.dev.Transfer(0xC912);  // SMPL_PRD high byte 0x12 is held...
  EXPECT_EQ(b.Read(0x48), 0x001F);
  b.dev.Transfer(0xC834);  // ...and acts with the low byte
  EXPECT_EQ(b.Read(0x48), 0x1234);

  const std::vector<std::array<uint16_t, 3>> cases = {
      // address, written, read back: PROD_ID is read-only, 0x26 reserved, 0x70 beyond the map,
      // CAPT_PNTR has 8192 locations, SMPL_PRD faster than 4096 per second is held at the limit
      {0x4C, 0x1234, 0x1E1E}, {0x26, 0xFFFF, 0x0000}, {0x70, 0xFFFF, 0x0000},
      {0x46, 0xFFFF, 0xC307}, {0x42, 0xFFFF, 0x00F7}, {0x3C, 0xFFFF, 0xFF37},
      {0x38, 0xFFFF, 0xBFFF}, {0x44, 0xFFFF, 0x0303}, {0x40, 0xFFFF, 0x1FFF},
      {0x48, 0x0003, 0x0007}, {0x4A, 0x0000, 0x0000}, {0x48, 0x0008, 0x0008},
      {0x3A, 0xFFFF, 0xBFFF}, {0x3E, 0xFFFF, 0xFFFF}, {0x34, 0xFFFF, 0x3F7F},
      {0x36, 0xFFFF, 0x1F3F}, {0x20, 0xFFFF, 0xFFFF}, {0x00, 0x1234, 0x0000},
      {0x4E, 0x1234, 0x0100}};
  for (const auto& [address, written, read] : cases) {
    b.Write(static_cast<uint8_t>(address), written);
    EXPECT_EQ(b.Read(static_cast<uint8_t>(address)), read) << std::hex << address;
  }
}

TEST_F(Kva7710Test, NewDataFlagsAndSigns) {
  Bench b;
  b.Read(0x08);
  EXPECT_EQ(b.ReadAfter(0.5 / 1024, 0x08), 19);  // half a period: no sample yet
  EXPECT_EQ(b.ReadAfter(0.5 / 1024, 0x08), 0x8000 | 19);

  b.dev.SetAcceleration(-1.0, 2.5, 0.0);
  b.dev.SetSupply(2.5);
  EXPECT_EQ(b.ReadAfter(1.0 / 1024, 0x04), 0x8000 | (0x4000 - 19));  // -19 in 14 bits
  EXPECT_EQ(b.Read(0x0A), 0x8000 | 410);                             // aux 1.00 V of 2.5 x 1024
  b.dev.SetAcceleration(500, 0, 0);                                  // saturates
  EXPECT_EQ(b.ReadAfter(1.0 / 1024, 0x04), 0x8000 | 0x1FFF);
}

TEST_F(Kva7710Test, CalibrationAndPowerCommands) {
  Bench b;
  b.Write(0x4A, 0x0001);  // auto null: Z_NULL -19, Z reads 0 at once
  EXPECT_EQ(std::tuple(b.Read(0x24), b.Read(0x08) & 0x3FFF), std::tuple(0xFFED, 0));
  b.Write(0x4A, 0x0002);  // factory calibration
  EXPECT_EQ(std::tuple(b.Read(0x24), b.Read(0x08) & 0x3FFF), std::tuple(0x0000, 19));

  b.Write(0x4A, 0x0004);  // power down: outputs hold, registers answer, clock runs
  b.Read(0x08);
  b.dev.SetAcceleration(0, 0, 2.0);
  b.Step(61);
  EXPECT_EQ(std::tuple(b.Read(0x08), b.Read(0x2E)), std::tuple(19, 0x0000));  // 23:59:58 + 61 s
  b.dev.Transfer(0xCB01);  // power up: high byte held...
  EXPECT_EQ(b.ReadAfter(1.0 / 1024, 0x08), 19);
  b.dev.Transfer(0xCA00);  // ...and executed with the low byte
  EXPECT_EQ(b.ReadAfter(1.0 / 1024, 0x08), 0x8000 | 39);
}

// Self-test adds 40 counts to every axis, none to X on a faulty part, whose fault latches in
// STATUS when self-test turns on and at power-up unless MISC_CTRL bit 9 skips it.
TEST_F(Kva7710Test, SelfTestAndItsFault) {
  Bench b;
  const auto sample = [&b] {
    b.Step(1.0 / 1024);
    return std::array<int, 4>{b.Read(0x04) & 0x3FFF, b.Read(0x06) & 0x3FFF, b.Read(0x08) & 0x3FFF,
                              b.Read(0x1A)};
  };
  b.Write(0x46, 0x0100);
  EXPECT_EQ(sample(), (std::array<int, 4>{40, 40, 59, 0x0000}));
  b.dev.SetSelfTestFault(true);
  EXPECT_EQ(sample(), (std::array<int, 4>{0, 40, 59, 0x0020}));
  b.Write(0x46, 0x0000);
  EXPECT_EQ(sample(), (std::array<int, 4>{0, 0, 19, 0x0020}));  // the fault stays latched
  for (const auto& [misc, status] : {std::pair{0x0000, 0x0020}, {0x0200, 0x0000}}) {
    Bench c;
    c.dev.SetSelfTestFault(true);
    c.Write({{0x46, static_cast<uint16_t>(misc)}, {0x4A, 0x0004}, {0x4A, 0x0100}});  // down, up
    EXPECT_EQ(c.Read(0x1A), status) << misc;
  }
  for (const auto& [volts, flags] :
       {std::pair{2.89, 0x0001}, {2.9, 0x0000}, {3.6, 0x0000}, {3.61, 0x0002}}) {
    b.dev.SetSupply(volts);
    EXPECT_EQ(sample()[3] & 0x0003, flags) << volts;
  }
}

// The demo's shocks, drawn from the seed, fall on all three axes in turn.
TEST_F(Kva7710Test, DemoShocksFallOnTheirDrawnAxes) {
  Bench b;
  ASSERT_TRUE(!b.dev.SetScenario("Demo") && b.dev.SetScenario("demo"));
  b.dev.SetSeed(7);
  b.Write(0x46, 0x4000);  // peak tracking
  for (int s = 0; s < 40; ++s) b.Step(1.0), b.Read(0x04);
  EXPECT_EQ(
      (std::array<int, 3>{b.Read(0x0E) & 0x3FFF, b.Read(0x10) & 0x3FFF, b.Read(0x12) & 0x3FFF}),
      (std::array<int, 3>{0x4000 - 477, 568, 540}));  // -23.85, 28.4 and 27.0 g
}

TEST_F(Kva7710Test, ClockRunsInBcdAndTakesWrites) {
  Bench b;  // 23:59:58 on 31 December 2009
  // Seconds restart at 0; 24:60 is not a time and 0A01 not BCD: both ignored.
  b.Write({{0x2E, 0x1430}, {0x2E, 0x2460}, {0x30, 0x0A01}});
  EXPECT_EQ(b.ReadAfter(59.9, 0x2E), 0x1430);
  b.Step(0.2);
  EXPECT_EQ(b.Read(0x2E) << 16 | b.Read(0x30), 0x14311231);

  // A minute before midnight: leap day, the century of the two-digit year, and a day the
  // month does not have, which rolls over at midnight. Year, date before, date after, year after:
  const std::array<uint16_t, 4> midnights[] = {{0x0024, 0x0228, 0x0229, 0x0024},
                                               {0x0099, 0x1231, 0x0101, 0x0000},
                                               {0x0000, 0x0231, 0x0301, 0x0000}};
  for (const auto& [year, before, after, yearAfter] : midnights) {
    b.Write({{0x32, year}, {0x30, before}, {0x2E, 0x2359}});
    b.Step(60.0);
    EXPECT_EQ(b.Read(0x30) << 16 | b.Read(0x32), after << 16 | yearAfter) << std::hex << before;
  }
  // A long idle lands on the date, through 29 February 2004.
  b.Step((365.0 * 3 + 366 - 1) * 86400);
  EXPECT_EQ(b.Read(0x30) << 16 | b.Read(0x32), 0x02290004);
}

TEST_F(Kva7710Test, FlashImageFileSurvivesANewModel) {
  kvatest::TempDir dir;
  const std::string path = (dir.path() / "flash.bin").string();
  {
    Bench b(path);
    b.Write({{0x48, 0x00FF}, {0x20, 0xFFF0}, {0x38, 0x80E9}, {0x3C, 0x0210}, {0x46, 0xC000}});
    EXPECT_FALSE(std::filesystem::exists(path));  // nothing until a flash update
    b.Write(0x4A, 0x0008);  // ENDURANCE counts it; CHECKSUM sums the saved words
    EXPECT_EQ(std::tuple(b.Read(0x00), b.Read(0x1E)), std::tuple(1, 0x43E8));
  }
  // Version 1, ENDURANCE 1; nulls; wake time and date; ALM_MAG1/2, ALM_CTRL, XTRIG_CTRL;
  // CAPT_CFG, GPIO, MISC, SMPL_PRD; sum.
  EXPECT_EQ(kvatest::ReadFileBytes(path),
            std::string("KVAFLASH\x01\x00\x01\x00\xF0\xFF\x00\x00\x00\x00\x00\x00\x00\x00"
                        "\xE9\x80\x00\x00\x10\x02\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x00\xE8\x43",
                        40));

  Bench again(path);
  EXPECT_EQ(std::tuple(again.Read(0x48), again.Read(0x1A) & 0x0040), std::tuple(0x00FF, 0));
  again.Write(0x4A, 0x0008);
  EXPECT_EQ(again.Read(0x00), 2);
  EXPECT_EQ(std::filesystem::directory_iterator(dir.path())->path(), path);  // no temp left
}

// A 20 g, 10 ms shock on X starting on a sample at 14:30 on 25 December, captured in 1024
// locations with a quarter before the trigger, and found by a host that looks an hour later.
TEST_F(Kva7710Test, ShockEventIsCaughtUpAfterAnHour) {
  LocalTime({2007, 12, 25, 14, 30, 10});
  Bench b;
  // 1024 locations, trigger 1 on X above 12 g (233 counts), peak tracking.
  b.Write({{0x42, 0x0040}, {0x3C, 0x0210}, {0x38, 0x80E9}, {0x46, 0x4000}});
  b.Step(0.5);  // exactly 512 samples on: the shock starts on a sample
  b.dev.Shock(0, 20.0, 10.0);
  b.Step(3600);
  // An hour on; one event; alarm 1 latched and shown on the outputs; the crest, 19.995 g in
  // 0.05 g counts.
  EXPECT_EQ((std::array<int, 5>{b.Read(0x2E), b.Read(0x1C), b.Read(0x1A) & 0x0300,
                                b.Read(0x04) & 0x4000, b.Read(0x0E) & 0x3FFF}),
            (std::array<int, 5>{0x1530, 1, 0x0100, 0x4000, 400}));
  // The host's readout of the event, the pointer written after each location: the header
  // words, then samples in counts of 0.2 g.
  std::vector<uint16_t> header;
  std::vector<std::array<int, 3>> samples;
  b.Write(0x40, 0);
  for (int p = 1; p <= 1024; ++p) {
    const int w = b.Read(0x16), z = b.Read(0x18);
    b.Write(0x40, static_cast<uint16_t>(p));
    p <= 6 ? header.push_back(w) : samples.push_back({int8_t(w), int8_t(w >> 8), int8_t(z)});
  }
  // |(20.0, 0, 0.98)| g in 0.2 g counts, 14:30, 25 December, 25 C, 3.30 V, 1.00 V of 3.30 V
  EXPECT_EQ(header, (std::vector<uint16_t>{100, 0x1430, 0x1225, 307, 676, 310}));
  // 256 samples before the trigger: at rest, then the first three of the half-sine
  // (0, 6.0 and 11.5 g, still below the level); the trigger sample at 15.9 g comes next.
  EXPECT_EQ(std::count(samples.begin(), samples.begin() + 253, std::array{0, 0, 5}), 253);
  std::vector<int> x;
  for (int j = 253; j <= 258; ++j) x.push_back(samples[j][0]);
  EXPECT_EQ(x, (std::vector<int>{0, 30, 58, 80, 94, 100}));  // up to the crest
  EXPECT_EQ(samples[267], (std::array<int, 3>{0, 0, 5}));    // over after 10 ms
  b.Write(0x4A, 0x0010);  // clearing the alarms takes them off the outputs too
  EXPECT_EQ(b.Read(0x1A) + (b.Read(0x04) & 0x4000), 0);
}

}  // namespace
}  // namespace kva::sim
