// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration conversions at their edges: offsets against the single-precision scale and
// ALM_CTRL's read-modify-write, and the words and waits of the register writers.
#include <gtest/gtest.h>

#include <functional>

#include "capture/capture_config.h"
#include "config/alarm_config.h"
#include "config/calibration.h"
#include "config/control_bits.h"
#include "config/register_listing.h"
#include "config/sample_period.h"
#include "support/fake_sensor.h"
#include "support/program_state.h"

namespace kva {
namespace {

using ConfigConversions = kvatest::ProgramStateTest;

TEST_F(ConfigConversions, OffsetsInMg) {
  const struct {
    const char* typed;
    const char* entry;  // what is written from
    int32_t counts;
    const char* readBack;
  } cases[] = {{"25.69", "25.69", 0, "0.0"},
               {"25.7", "25.7", 1, "51.4"},  // just above half a count of 0.0514 as stored
               {"6527.8", "6527.8", 127, "6527.8"},
               {"6528", "6527.8", 127, "6527.8"},
               {"-7000", "-6579.2", -128, "-6579.2"},
               {"", "0", 0, "0.0"}};
  for (const auto& c : cases) {
    const std::string entry = OffsetEntryText(c.typed);
    EXPECT_EQ(entry, c.entry) << c.typed;
    const int32_t counts = OffsetCountsForMg(1, std::stod(entry));
    EXPECT_EQ(counts, c.counts) << c.typed;
    EXPECT_EQ(OffsetReadText(1, counts), c.readBack) << c.typed;
  }
  EXPECT_EQ(OffsetWrittenText(0, 2), "102.8");
}

TEST_F(ConfigConversions, AlarmControlKeepsTheBitsItDoesNotOwn) {
  // The alarm window's test writes over 0x0037 and 0x2310; here the other bits are all ones.
  EXPECT_EQ(WithAlarmSource(0xFFFF, 2, 5), 0x5FFF);
  EXPECT_EQ(WithDigitalIndicator(0x2317, false, false, false), 0x2310);
  EXPECT_EQ(AlarmSourceOf(0x9F00, 1), 8);  // invalid fields count as the last source
  EXPECT_EQ(AlarmSourceOf(0x9F00, 2), 8);

  EXPECT_EQ(AlarmMagValue(2, -200, false), 0x3557);
  EXPECT_EQ(AlarmMagValue(0, 5, true), 0x8000);  // no source: the polarity alone
  EXPECT_EQ(AlarmLevelText(2, 0xBFFF), "-0.051");
  EXPECT_EQ(AlarmLevelText(2, 0x0064, ""), "5.14");
  EXPECT_EQ(AlarmLevelText(0, 0x0064), "");
}

// Each writer: the words it writes and the wait it adds beyond the accesses themselves (30
// steps of 10 us each), in steps.
TEST(RegisterWriters, WordsAndWaits) {
  using Writes = std::vector<std::pair<uint8_t, uint16_t>>;
  TriggerChange length;
  length.lengthCode = 3;
  const struct {
    const char* writer;
    std::function<void()> run;
    Writes words;
    int64_t wait;
  } cases[] = {
      // clang-format off
      {"register", [] { WriteRegisterAndSettle(SMPL_PRD, 0x1234); }, {{0x48, 0x1234}}, 5000},
      {"CAPT_CFG", [] { WriteRegisterAndSettle(CAPT_CFG, 0x0040); }, {{0x42, 0x0040}}, 55000},
      {"MISC_CTRL", [] { WriteMiscCtrl(0x0004); }, {{0x46, 0x0004}}, 5000},
      {"GPIO_CTRL", [] { WriteGpioCtrl(0x0303); }, {{0x44, 0x0303}}, 10000},
      {"rate", [] { WriteSampleRate(1024); }, {{0x48, 0x001F}}, 1000},
      {"alarm", [] { WriteAlarmSetup(2, {6, 25, false}); }, {{0x3A, 0x0133}, {0x3C, 0x6000}}, 15000},
      {"alarms", [] { WriteAlarmSetups({2, 12, true}, {0, 1, false}); },
       {{0x38, 0x80E9}, {0x3A, 0x0000}, {0x3C, 0x0200}}, 15000},
      {"indicator", [] { WriteDigitalIndicator(true, true, true); }, {{0x3C, 0x0007}}, 0},
      {"trigger", [&] { WriteTriggerChange(length); }, {{0x42, 0x0003}}, 50000}};
  // clang-format on
  for (const auto& c : cases) {
    kvatest::FakeBoard board;
    const int64_t before = State().delay.DelayStepsRun;
    c.run();
    EXPECT_EQ(board.sensor.WordWrites(), c.words) << c.writer;
    const auto accesses = static_cast<int64_t>(board.sensor.frames.size() / 2);
    EXPECT_EQ(State().delay.DelayStepsRun - before - 30 * accesses, c.wait) << c.writer;
  }
}

}  // namespace
}  // namespace kva
