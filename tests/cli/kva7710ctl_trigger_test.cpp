// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's trigger set-up end to end on the simulated board.
#include <gtest/gtest.h>

#include "cli/ctl_runner.h"
#include "support/temp_dir.h"

namespace {

class CtlTrigger : public kvatest::ProgramStateTest {
 protected:
  kvatest::TempDir dir;
};

TEST_F(CtlTrigger, SetShowAndCatchAShock) {
  const auto r = kvatest::RunLines(
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
  const std::string file = kvatest::ReadFileBytes("shock.csv");
  const size_t rows = file.find("Xg,Yg,Zg\r\n") + 10;
  size_t at = rows;
  for (int line = 0; line < 256; ++line) at = file.find("\r\n", at) + 2;
  EXPECT_EQ(file.substr(rows, 8), "0,0,1\r\n0") << file.substr(rows, 200);
  EXPECT_GT(std::stod(file.substr(at, file.find(',', at) - at)), 11.9) << file.substr(at, 100);

}

}  // namespace
