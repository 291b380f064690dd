// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's raw SPI commands end to end on the simulated adapter. The bench sensor answers
// a read frame with the register asked for by the frame before: SUPPLY_OUT is 02A4 (bit 15 set
// while the sample is new); channel 2 has nothing on the line, which idles high.
#include <gtest/gtest.h>

#include "cli/ctl_runner.h"
#include "support/temp_dir.h"

namespace {

using kvatest::RunCtl;

TEST(CtlSpi, RawWordsChannelPolarityAndSetUp) {
  kvatest::TempDir dir;
  const auto r = RunCtl({"--simulate", "--interface", "usb"},
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

  // Our own refusals by their text; the option limits (left to the parser) by their code.
  const std::pair<std::string, std::string> refused[] = {
      {"spi 12345", "a WORD is one to four hex digits, not 12345"},
      {"spi-setup --bits 7F", "--bits takes the sum of CS2 08, CS3 10, CS4 20 and CS5 40, not 7F"},
      {"spi --channel 5 1", ""},
      {"spi 0 1 2 3 4 5 6 7 8 9 A B C D E F 10", ""},
  };
  for (const auto& [line, error] : refused) {
    const auto f = RunCtl({"--simulate", "--interface", "usb"}, line + "\n");
    EXPECT_EQ(f.code, 2) << line;
    EXPECT_TRUE(f.err.starts_with("line 1: " + error)) << f.err;
  }
  EXPECT_EQ(RunCtl({"--simulate", "--interface", "parallel", "spi", "1"}).err,
            "kva7710ctl: spi works on the USB adapter only (--interface usb)\n");
}

}  // namespace
