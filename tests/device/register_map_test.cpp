#include "device/register_map.h"

#include <gtest/gtest.h>

#include "device/register_access.h"
#include "support/fake_sensor.h"

namespace kva {
namespace {

// Typed names match the labels whatever the case, and an underscore matches the space that
// some labels carry.
TEST(RegisterMap, FindsRegistersByTypedName) {
  InitRegisterMap();
  EXPECT_EQ(FindRegisterByLabel("temp_out"), TEMP_OUT);
  EXPECT_EQ(FindRegisterByLabel("Y_PEAK OUT"), Y_PEAK_OUT);
  EXPECT_EQ(FindRegisterByLabel("time___"), TIME_REG);
  EXPECT_EQ(FindRegisterByLabel("smpl_prd"), SMPL_PRD);
  EXPECT_EQ(FindRegisterByLabel("nothing"), -1);
  EXPECT_EQ(FindRegisterByLabel(""), -1);
}

// Every row of the map, read end to end from a sensor that holds a distinct word at each
// address (the address column shows). In each word the sign bit of the field is set, and the
// bits just above the field differ from it (the sign and width columns show); the flags are
// preset to -1, so a read that sets them shows even where the word's flag bit is 0 (the flag
// columns). The expected values are worked out from the register table by hand.
TEST(RegisterMap, EveryRowDecodesItsWordAsTheRegisterTableSays) {
  constexpr int32_t kKept = -1;
  struct Row {
    int index, address;
    uint16_t word;
    int32_t raw;
    double scaled;
    int32_t nd, ea;
  };
  const Row rows[] = {
      {0, 0x00, 0xC001, 49153, 49153, kKept, kKept},
      {1, 0x02, 0xFE02, 514, 514 * 0.00488, 32768, 16384},  // 10 bits
      {2, 0x04, 0xA003, -8189, -8189 * 0.0514, 32768, 0},
      {3, 0x06, 0xA004, -8188, -8188 * 0.0514, 32768, 0},
      {4, 0x08, 0xA005, -8187, -8187 * 0.0514, 32768, 0},
      {5, 0x0A, 0xA006, -8186, -8186 * 3.3 / 1024, 32768, 0},
      {6, 0x0C, 0xE007, 8199, 8199 / 4.096 - 50, 32768, 16384},
      {7, 0x0E, 0xA008, -8184, -8184 * 0.05, 32768, 0},
      {8, 0x10, 0xA009, -8183, -8183 * 0.05, 32768, 0},
      {9, 0x12, 0xA00A, -8182, -8182 * 0.05, 32768, 0},
      {10, 0x14, 0xE00B, 8203, 8203 * 256.0, 32768, 16384},
      {11, 0x16, 0xC00C, 49164, 49164, 32768, 16384},  // capture memory at CAPT_PNTR
      {12, 0x18, 0xC28D, -115, -115, 32768, 16384},    // 8 bits
      {13, 0x1A, 0xC00E, 49166, 49166, kKept, kKept},
      {14, 0x1C, 0xC00F, 49167, 49167, kKept, kKept},
      {15, 0x1E, 0x8010, -32752, -32752, kKept, kKept},
      {16, 0x20, 0x8011, -32751, -32751, kKept, kKept},
      {17, 0x22, 0x8012, -32750, -32750, kKept, kKept},
      {18, 0x24, 0x8013, -32749, -32749, kKept, kKept},
      {19, 0x26, 0xC014, 0, 0, kKept, kKept},  // reserved: not read at all
      {20, 0x28, 0xC015, 0, 0, kKept, kKept},
      {21, 0x2A, 0xC016, 0, 0, kKept, kKept},
      {22, 0x2C, 0xC017, 0, 0, kKept, kKept},
      {23, 0x2E, 0xC018, 49176, 49176, kKept, kKept},
      {24, 0x30, 0xC019, 49177, 49177, kKept, kKept},
      {25, 0x32, 0xC01A, 49178, 49178, kKept, kKept},
      {26, 0x34, 0xC01B, 49179, 49179, kKept, kKept},
      {27, 0x36, 0xC01C, 49180, 49180, kKept, kKept},
      {28, 0x38, 0xC01D, 49181, 49181, kKept, kKept},
      {29, 0x3A, 0xC01E, 49182, 49182, kKept, kKept},
      {30, 0x3C, 0xC01F, 49183, 49183, kKept, kKept},
      {31, 0x3E, 0xC020, 49184, 49184, kKept, kKept},
      {32, 0x40, 0xC021, 49185, 49185, kKept, kKept},
      {33, 0x42, 0xC022, 49186, 49186, kKept, kKept},
      {34, 0x44, 0xC023, 49187, 49187, kKept, kKept},
      {35, 0x46, 0xC024, 49188, 49188, kKept, kKept},
      {36, 0x48, 0xC025, 49189, 49189, kKept, kKept},
      {37, 0x4A, 0xC026, 49190, 49190, kKept, kKept},
      {38, 0x4C, 0xC027, 49191, 49191, kKept, kKept},
      {39, 0x4E, 0xC028, 49192, 49192, kKept, kKept},
  };
  kvatest::FakeBoard board;
  for (const Row& r : rows) board.sensor.SetWord(static_cast<uint8_t>(r.address), r.word);
  board.sensor.capture[0x0021] = {0xC00C, 0xC28D};  // CAPT_PNTR 0xC021 points there

  for (const Row& r : rows) {
    board.sensor.frames.clear();
    RegNDBit = RegEABit = kKept;
    ReadRegister(static_cast<int16_t>(r.index));
    const std::vector<uint16_t> frames =
        r.raw == 0 ? std::vector<uint16_t>{}
                   : std::vector<uint16_t>{static_cast<uint16_t>(r.address << 8), 0};
    EXPECT_EQ(board.sensor.frames, frames) << r.index;
    EXPECT_EQ(RegRawValue, r.raw) << r.index;
    EXPECT_FLOAT_EQ(RegScaledValue, static_cast<float>(r.scaled)) << r.index;
    EXPECT_EQ(RegNDBit, r.nd) << r.index;
    EXPECT_EQ(RegEABit, r.ea) << r.index;
  }
}

}  // namespace
}  // namespace kva
