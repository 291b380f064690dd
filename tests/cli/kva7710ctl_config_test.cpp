// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's configuration commands end to end on the simulated board (scenario bench).
#include <gtest/gtest.h>

#include "cli/ctl_runner.h"
#include "support/temp_dir.h"

namespace {

class CtlConfig : public kvatest::ProgramStateTest {
 protected:
  static kvatest::CtlResult Run(const std::string& lines) { return kvatest::RunLines(lines); }
  kvatest::TempDir dir;
};

TEST_F(CtlConfig, RateAndOffsetsInEngineeringUnits) {
  // X at 0.5 g reads 10 counts, which auto null takes away; Z's 1 g is 19 counts.
  const auto r =
      Run("offsets --x 100 --y -6579.2\noffsets --x 25.7 --y 25.69\nsim accel 0.5 0 1\nsim wait 5\n"
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
  const auto r =
      Run("alarm-output on DIO1 high\nalarm 1 x_acc 5 greater\nalarm 2 Supply_V 3 less\n"
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
  const auto r =
      Run("misc peak-tracking=on data-ready-line=dio2\ngpio dio0=out\n"
          "gpio dio0-level=HIGH dio1=in\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "MISC_CTRL\t4001\ndata-ready-line\tdio2\ndata-ready-polarity\tlow\ndata-ready\toff\n"
            "self-test\toff\npower-up-test\ton\npeak-tracking\ton\nsum-of-squares\toff\n"
            "GPIO_CTR\t0001\ndio0\tout\ndio1\tin\ndio0-level\tlow\ndio1-level\tlow\n"
            "GPIO_CTR\t0101\ndio0\tout\ndio1\tin\ndio0-level\thigh\ndio1-level\tlow\n");
}

}  // namespace
