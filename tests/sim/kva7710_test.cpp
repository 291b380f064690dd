#include "sim/kva7710.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/hooks.h"
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
  void Step(double seconds) { now += seconds; }
};

class Kva7710Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockHooks hooks;
    hooks.localNow = [] { return LocalDateTime{2009, 12, 31, 23, 59, 58}; };
    SetClockHooks(hooks);
  }
  void TearDown() override { ResetHooks(); }
};

TEST_F(Kva7710Test, FramesAnswerOneFrameLate) {
  Bench b;
  // First frame and the frame after a write answer 0.
  EXPECT_EQ(b.dev.Transfer(0x4C00), 0x0000);        // read command PROD_ID
  EXPECT_EQ(b.dev.PendingAnswer(), 0x1E1E);
  EXPECT_EQ(b.dev.PendingAnswer(), 0x1E1E);         // no side effects
  EXPECT_EQ(b.dev.Transfer(0x4D00), 0x1E1E);        // odd address reads the same register
  EXPECT_EQ(b.dev.Transfer(0x8000 | 0x4900 | 0x12), 0x1E1E);
  EXPECT_EQ(b.dev.Transfer(0x0000), 0x0000);        // after a write frame
  EXPECT_EQ(b.dev.Transfer(0x0000), 0x0000);        // ENDURANCE, still 0
}

TEST_F(Kva7710Test, WorkedWriteFramesLandInTheRegisters) {
  Bench b;
  b.dev.Transfer(0xC912);  // SMPL_PRD high byte 0x12 is held...
  EXPECT_EQ(b.Read(0x48), 0x001F);
  b.dev.Transfer(0xC834);  // ...and acts with the low byte
  EXPECT_EQ(b.Read(0x48), 0x1234);

  b.dev.Transfer(0xC034);  // CAPT_PNTR takes each byte as it comes, low first
  EXPECT_EQ(b.dev.Peek(0x40), 0x0034);
  b.dev.Transfer(0xC112);
  EXPECT_EQ(b.Read(0x40), 0x1234);
  b.Write(0x40, 0xFFFF);
  EXPECT_EQ(b.Read(0x40), 0x1FFF);  // 8192 locations
}

TEST_F(Kva7710Test, ReadOnlyAndMaskedRegisters) {
  Bench b;
  b.Write(0x4C, 0x1234);  // PROD_ID
  EXPECT_EQ(b.Read(0x4C), 0x1E1E);
  b.Write(0x1C, 0x0005);  // EVENTS
  EXPECT_EQ(b.Read(0x1C), 0x0000);
  b.Write(0x26, 0xFFFF);  // reserved
  EXPECT_EQ(b.Read(0x26), 0x0000);
  b.Write(0x70, 0xFFFF);  // beyond the map
  EXPECT_EQ(b.Read(0x70), 0x0000);

  const std::vector<std::pair<uint8_t, uint16_t>> masks = {
      {0x46, 0xC307}, {0x42, 0x00F7}, {0x3C, 0xFF37}, {0x38, 0xBFFF},
      {0x3A, 0xBFFF}, {0x44, 0x0303}, {0x20, 0xFFFF}, {0x3E, 0xFFFF}};
  for (const auto& [address, mask] : masks) {
    b.Write(address, 0xFFFF);
    EXPECT_EQ(b.Read(address), mask) << std::hex << int(address);
  }
  b.Write(0x44, 0x0101);  // GPIO reads back what was set
  EXPECT_EQ(b.Read(0x44), 0x0101);
  b.Write(0x48, 0x0003);  // faster than 4096 per second is stored as the limit
  EXPECT_EQ(b.Read(0x48), 0x0007);
  EXPECT_EQ(b.Read(0x4A), 0x0000);  // COMMAND reads 0
}

TEST_F(Kva7710Test, BenchOutputsAndNewDataFlags) {
  Bench b;
  // 3.30 V, X 0, Y 0, Z 1 g, aux 1.00 V, 25 C; new data from the power-on sample.
  EXPECT_EQ(b.Read(0x02), 0x8000 | 676);
  EXPECT_EQ(b.Read(0x04), 0x8000);
  EXPECT_EQ(b.Read(0x06), 0x8000);
  EXPECT_EQ(b.Read(0x08), 0x8000 | 19);
  EXPECT_EQ(b.Read(0x0A), 0x8000 | 310);
  EXPECT_EQ(b.Read(0x0C), 0x8000 | 307);
  // Read clears the flag; peaks have none while tracking is off.
  EXPECT_EQ(b.Read(0x08), 19);
  EXPECT_EQ(b.Read(0x0E), 0x0000);
  b.Step(0.5 / 1024);  // half a period: no sample yet
  EXPECT_EQ(b.Read(0x08), 19);
  b.Step(0.5 / 1024);
  EXPECT_EQ(b.Read(0x08), 0x8000 | 19);

  b.dev.SetAcceleration(-1.0, 2.5, 0.0);
  b.dev.SetSupply(2.5);
  b.Step(1.0 / 1024);
  EXPECT_EQ(b.Read(0x04), 0x8000 | (0x4000 - 19));  // -19 in 14 bits
  EXPECT_EQ(b.Read(0x06), 0x8000 | 49);
  EXPECT_EQ(b.Read(0x0A), 0x8000 | 410);           // 1.00 / 2.5 x 1024
  EXPECT_EQ(b.Read(0x1A), 0x0001);                 // supply low
  b.dev.SetSupply(3.7);
  b.dev.SetAcceleration(500, 0, 0);                // saturates
  b.Step(1.0 / 1024);
  EXPECT_EQ(b.Read(0x1A), 0x0002);
  EXPECT_EQ(b.Read(0x04), 0x8000 | 0x1FFF);
}

TEST_F(Kva7710Test, PeaksAndSumOfSquares) {
  Bench b;
  b.Write(0x46, 0xC000);  // peak tracking and sum of squares
  b.dev.SetAcceleration(-2.0, 1.0, 1.0);
  b.Step(1.0 / 1024);
  // X -39 counts = -2.0046 g -> -40 peak counts; Y 19 -> 20; Z 19 -> 20.
  EXPECT_EQ(b.Read(0x0E), 0x8000 | (0x4000 - 40));
  EXPECT_EQ(b.Read(0x10), 0x8000 | 20);
  EXPECT_EQ(b.Read(0x14), 0x8000 | 9);  // (1600 + 400 + 400) / 256, rounded
}

}  // namespace
}  // namespace kva::sim
