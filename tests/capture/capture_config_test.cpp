// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_config.h"

#include <gtest/gtest.h>

#include "capture/trigger_levels.h"
#include "device/register_map.h"
#include "support/fake_sensor.h"
#include "support/program_state.h"

namespace kva {
namespace {

using CaptureConfig = kvatest::ProgramStateTest;

// Words the capture configuration window's own test does not reach.
TEST_F(CaptureConfig, WordsOutsideTheWindowsExamples) {
  EXPECT_EQ(CaptCfgPreTrigger(0x00F7) * 100 + CaptCfgLengthCode(0x00F7), 1507);
  EXPECT_EQ(TriggerMagWord(3, "-0.02", false), 0);
  EXPECT_EQ(TriggerMagWord(0, "5", true), 0x8000);  // no source: the polarity only
  EXPECT_EQ(TriggerMagWord(2, "abc", false), 0);
  EXPECT_FALSE(TriggerMagWord(2, "", true).has_value());
  EXPECT_EQ(TriggerLevelText(0, 0xBFFF), "none");
  EXPECT_EQ(TriggerLevelText(5, 4095), "13.1968");  // the start-up AUX_ADC scale, 3.3 / 1024
}

TEST_F(CaptureConfig, ChangeKeepsWhatItDoesNotName) {
  kvatest::FakeBoard board;
  board.Set(CAPT_CFG, 0x0043);
  board.Set(ALM_CTRL, 0x3026);  // trigger 2 on Z, output enabled and active high
  board.Set(ALM_MAG1, 0x1234);
  board.Set(ALM_MAG2, 0x8010);
  TriggerChange change;
  change.lengthCode = 0;
  change.source[0] = 2;
  change.enabled[0] = true;
  change.level[0] = 12;
  change.greater[0] = true;
  change.greater[1] = false;
  WriteTriggerChange(change);
  // Pre-trigger 4 kept; both enabled with the output bits kept; the new source's magnitude;
  // magnitude kept with the polarity changed.
  EXPECT_EQ(board.sensor.WordWrites(),
            (std::vector<std::pair<uint8_t, uint16_t>>{
                {0x42, 0x0040}, {0x3C, 0x3236}, {0x38, 0x80E9}, {0x3A, 0x0010}}));
  const TriggerConfig c = DecodeTriggerConfig(0x0040, 0x3236, 0x80E9, 0x0010);
  EXPECT_EQ(c.bufferLength * 100 + c.preTriggerSamples, 102400 + 256);
  EXPECT_FLOAT_EQ(*c.level[0], 233 * 0.0514f);
  EXPECT_TRUE(c.greater[0] && c.enabled[1] && c.outputEnabled && c.outputActiveHigh);
}

}  // namespace
}  // namespace kva
