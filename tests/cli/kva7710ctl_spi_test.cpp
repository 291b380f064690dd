// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's raw SPI commands end to end on the simulated adapter. The bench sensor answers
// a read frame with the register asked for by the frame before: SUPPLY_OUT is 02A4 (bit 15 set
// while the sample is new); channel 2 has nothing on the line, which idles high.
#include <gtest/gtest.h>

#include "cli/ctl_runner.h"
#include "support/temp_dir.h"

namespace {

class CtlSpi : public kvatest::ProgramStateTest {
 protected:
  kvatest::TempDir dir;
};

TEST_F(CtlSpi, RawWordsChannelPolarityAndSetUp) {
  const auto r = kvatest::RunLines(
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

  EXPECT_EQ(kvatest::RunLines("spi 1\n", kvatest::Simulated("parallel")).err,
            "line 1: spi works on the USB adapter only (--interface usb)\n");
}

}  // namespace
