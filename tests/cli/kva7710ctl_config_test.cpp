// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's configuration, trigger and raw SPI commands on the simulated board (scenario
// bench).
#include <gtest/gtest.h>

#include "support/ctl_lines.h"
#include "support/dev_setup.h"
#include "support/temp_dir.h"

namespace {

using kvatest::RunLines;

class CtlConfig : public kvatest::ProgramStateTest {
 protected:
  kvatest::TempDir dir;
};

TEST_F(CtlConfig, RateAndOffsetsInEngineeringUnits) {
  // X at 0.5 g reads 10 counts, which auto null takes away; Z's 1 g is 19 counts.
  const auto r = RunLines(
      "offsets --x 100 --y -6579.2\noffsets --x 25.7 --y 25.69\nsim accel 0.5 0 1\nsim wait 5\n"
      "offsets --auto-null\noffsets --factory\nrate\nrate 100\nrate 0.5\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "XACCL_NULL\t0002\t102.8\nYACCL_NULL\tFF80\t-6579.2\nZACCL_NULL\t0000\t0.0\n"
            "XACCL_NULL\t0001\t51.4\nYACCL_NULL\t0000\t0.0\nZACCL_NULL\t0000\t0.0\n"
            "XACCL_NULL\tFFF6\t-514.0\nYACCL_NULL\t0000\t0.0\nZACCL_NULL\tFFED\t-976.6\n"
            "XACCL_NULL\t0000\t0.0\nYACCL_NULL\t0000\t0.0\nZACCL_NULL\t0000\t0.0\n"
            "SMPL_PRD\t001F\t1024.0\nSMPL_PRD\t0147\t99.9\nSMPL_PRD\tFFFF\t0.5\n");
}

TEST_F(CtlConfig, AlarmSetByNameFiresOnAShock) {
  // 5 g on X is 97 counts (0x61); the indicator keeps the sources, the sources keep it.
  const auto r = RunLines(
      "alarm-output on DIO1 high\nalarm 1 x_acc 5 greater\nalarm 2 Supply_V 3 less\n"
      "sim shock x 10 5\nsim wait 50\nstatus\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("STATUS")),
            "ALM_MAG1\t0000\tDisabled\tless\nALM_MAG2\t0000\tDisabled\tless\n"
            "ALM_CTRL\t0007\tindicator on\tDIO1\tactive high\n"
            "ALM_MAG1\t8061\tX_Acc\tgreater\t4.986\nALM_MAG2\t0000\tDisabled\tless\n"
            "ALM_CTRL\t0207\tindicator on\tDIO1\tactive high\n"
            "ALM_MAG1\t8061\tX_Acc\tgreater\t4.986\nALM_MAG2\t0267\tSupply V\tless\t3.001\n"
            "ALM_CTRL\t1207\tindicator on\tDIO1\tactive high\n");
  EXPECT_NE(r.out.find("Alarm1 Set\tAlarm\nAlarm2 Set\tOK\n"), std::string::npos) << r.out;
}

TEST_F(CtlConfig, ControlBitsByName) {
  const auto r = RunLines(
      "misc peak-tracking=on data-ready-line=dio2\ngpio dio0=out\n"
      "gpio dio0-level=HIGH dio1=in\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "MISC_CTRL\t4001\ndata-ready-line\tdio2\ndata-ready-polarity\tlow\ndata-ready\toff\n"
            "self-test\toff\npower-up-test\ton\npeak-tracking\ton\nsum-of-squares\toff\n"
            "GPIO_CTR\t0001\ndio0\tout\ndio1\tin\ndio0-level\tlow\ndio1-level\tlow\n"
            "GPIO_CTR\t0101\ndio0\tout\ndio1\tin\ndio0-level\thigh\ndio1-level\tlow\n");
}

TEST_F(CtlConfig, SetShowAndCatchAShock) {
  const auto r = RunLines(
      "trigger set --length 1024 --pretrigger 4 --source1 x_acc --enable 1 --level1 12 "
      "--polarity1 greater\n"
      "trigger set --source2 Supply_V --level2 3 --polarity2 less --enable both\n"
      "sim shock x 20 5\nsim wait 2000\ncapture --out shock.csv\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "CAPT_CFG\t0040\tlength 1024\tpre-trigger 4/16 (256 samples)\nALM_CTRL\t0210\n"
            "TRIGGER1\tenabled\tX_Acc\tgreater\t11.9762 g\tALM_MAG1 80E9\n"
            "TRIGGER2\tdisabled\tnone\tless\tALM_MAG2 0000\n"
            "CAPT_CFG\t0040\tlength 1024\tpre-trigger 4/16 (256 samples)\nALM_CTRL\t1230\n"
            "TRIGGER1\tenabled\tX_Acc\tgreater\t11.9762 g\tALM_MAG1 80E9\n"
            "TRIGGER2\tenabled\tSupply V\tless\t3.0012 V\tALM_MAG2 0267\n");
  // The shock crosses the level right after the 256 samples kept from before it.
  const auto lines = kvatest::SplitLines(kvatest::ReadFileBytes("shock.csv"), "\r\n");
  ASSERT_GT(lines.size(), 4u + 257u);
  EXPECT_EQ(lines[4], "0,0,1");
  EXPECT_TRUE(std::stod(lines[4 + 255]) < 11.9 && std::stod(lines[4 + 256]) > 11.9);
}

// Raw SPI on the simulated adapter. The bench sensor answers a read frame with the register
// asked for by the frame before: SUPPLY_OUT is 02A4 (bit 15 set while the sample is new);
// channel 2 has nothing on the line, which idles high.
TEST_F(CtlConfig, RawWordsChannelPolarityAndSetUp) {
  const auto r = RunLines(
      "spi 0200 0000 0200 0000\n"
      "spi --channel 2 1234\n"
      "spi --polarity neg 0200 0\n"
      "read SUPPLY_OUT\n"
      "spi-setup --bits 50 --delay 40\n"
      "spi --delay 9 0\n"
      "spi-setup\n");
  ASSERT_EQ(r.code, 0) << r.err;
  // "Neg" samples one clock late: each word comes back shifted left with a 1 shifted in. The
  // register read after it is back on channel 1 with polarity "Pos".
  EXPECT_EQ(r.out,
            "0000 82A4 0000 02A4\n"
            "FFFF\n"
            "0001 0549\n"
            "SUPPLY_OUT\t02A4\t3.299\n"
            "static bits\t50\tCS3 CS5\nword delay\t40\n"
            "0000\n"
            "static bits\t50\tCS3 CS5\nword delay\t9\n");

  EXPECT_EQ(RunLines("spi 1\n", kvatest::Simulated("parallel")).err,
            "line 1: spi works on the USB adapter only (--interface usb)\n");
}

}  // namespace
