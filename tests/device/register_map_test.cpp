// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/register_map.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/number_text.h"
#include "device/register_access.h"
#include "support/fake_sensor.h"

namespace kva {
namespace {

// Labels, addresses and who may write or see each row ("w" writable, "h" hidden from lists);
// typed names match the labels whatever the case, with "_" for a label's space.
TEST(RegisterMap, LabelsAddressesAndAccess) {
  InitRegisterMap();
  std::string rows;
  for (int i = 0; i < 40; ++i) {
    const RegisterRow& r = State().registers.RegisterMap[i];
    rows += r.Label + ":" + Hex4(int64_t{r.BaseAddr}).substr(2) + (r.WriteFlag ? "w" : "") +
            (r.Hidden ? "h" : "") + (r.ReadFlag ? "" : "-") + (r.NumBytes == 2 ? " " : "? ");
  }
  EXPECT_EQ(rows,
            "ENDURANCE:00 SUPPLY_OUT:02 XACCL_OUT:04 YACCL_OUT:06 ZACCL_OUT:08 AUX_ADC:0A "
            "TEMP OUT:0C X_PEAK OUT:0E Y_PEAK OUT:10 Z_PEAK_OUT:12 XYZ_PK_OUT:14 CAPT_BUF_1:16 "
            "CAPT_BUF_2:18 STATUS:1A EVENTS:1C CHECKSUM:1E XACCL_NULL:20w YACCL_NULL:22w "
            "ZACCL_NULL:24w reserved:26- reserved:28- reserved:2A- reserved:2C- TIME___:2Ew "
            "DATE___:30w YEAR___:32w WAKE_TIME:34w WAKE_DATE:36w ALM_MAG1:38w ALM_MAG2:3Aw "
            "ALM_CTRL:3Cw XTRIG_CTRL:3Ew CAPT_PNTR:40w CAPT_CFG:42w GPIO_CTR:44w MISC_CTRL:46w "
            "SMPL_PRD:48w COMMAND:4Aw PROD_ID:4Ch SW_REV:4Eh ");
  EXPECT_EQ((std::vector<int>{FindRegisterByLabel("temp_out"), FindRegisterByLabel("Y_PEAK OUT"),
                              FindRegisterByLabel("time___"), FindRegisterByLabel("smpl_prd"),
                              FindRegisterByLabel("nothing"), FindRegisterByLabel("")}),
            (std::vector<int>{TEMP_OUT, Y_PEAK_OUT, TIME_REG, SMPL_PRD, -1, -1}));
}

// Every row of the map, read end to end from a sensor that holds a distinct word at each
// address (the address column shows). In each word the sign bit of the field is set, and the
// bits just above the field differ from it (the sign and width columns show); the flags are
// preset to -1, so a read that sets them shows even where the word's flag bit is 0 (the flag
// columns). The expected values are worked out from the register table by hand; from row 13
// on every row reads its whole word unscaled and leaves the flags alone, and rows 15 to 18
// (the checksum and the nulls) are signed.
TEST(RegisterMap, EveryRowDecodesItsWordAsTheRegisterTableSays) {
  constexpr int32_t kKept = -1;
  struct Row {
    int index, address;
    uint16_t word;
    int32_t raw;
    double scaled;
    int32_t nd, ea;
  };
  std::vector<Row> rows = {
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
      {12, 0x18, 0xC28D, -115, -115, 32768, 16384}     // 8 bits
  };
  for (int i = 13; i <= 39; ++i) {
    const bool reserved = i >= 19 && i <= 22, isSigned = i >= 15 && i <= 18;
    const uint16_t word = static_cast<uint16_t>((isSigned ? 0x8000 : 0xC000) | (i + 1));
    const int32_t raw = reserved ? 0 : isSigned ? word - 0x10000 : word;  // reserved: not read
    rows.push_back({i, 2 * i, word, raw, static_cast<double>(raw), kKept, kKept});
  }
  kvatest::FakeBoard board;
  for (const Row& r : rows) board.sensor.SetWord(static_cast<uint8_t>(r.address), r.word);
  board.sensor.capture[0x0021] = {0xC00C, 0xC28D};  // CAPT_PNTR 0xC021 points there

  for (const Row& r : rows) {
    board.sensor.frames.clear();
    State().registers.RegNDBit = State().registers.RegEABit = kKept;
    State().delay.DelayStepsRun = 0;
    ReadRegister(static_cast<int16_t>(r.index));
    const std::vector<uint16_t> frames =
        r.raw == 0 ? std::vector<uint16_t>{}
                   : std::vector<uint16_t>{static_cast<uint16_t>(r.address << 8), 0};
    EXPECT_EQ(board.sensor.frames, frames) << r.index;
    // A settle after each frame and after the access: 10 steps each.
    EXPECT_EQ(State().delay.DelayStepsRun, r.raw == 0 ? 0 : 30) << r.index;
    EXPECT_EQ(State().registers.RegRawValue, r.raw) << r.index;
    EXPECT_FLOAT_EQ(State().registers.RegScaledValue, static_cast<float>(r.scaled)) << r.index;
    EXPECT_EQ(State().registers.RegNDBit, r.nd) << r.index;
    EXPECT_EQ(State().registers.RegEABit, r.ea) << r.index;
    EXPECT_EQ(State().registers.RegHighByte << 8 | State().registers.RegLowByte,
              r.raw ? r.word : 0x8013)
        << r.index;
  }
}

}  // namespace
}  // namespace kva
