// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/register_listing.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_sensor.h"

namespace kva {
namespace {

using kvatest::SplitLines;

TEST(RegisterListing, HeaderRuleAndOneLinePerReadableRegister) {
  kvatest::FakeBoard board;
  board.Set(SUPPLY_OUT, 0xC2A3);
  board.Set(XACCL_OUT, 0xBFF6);
  board.Set(AUX_ADC, 0x8200);
  board.Set(TEMP_OUT, 0x00CD);
  board.sensor.capture[0].buf2 = 0x00FF;  // CAPT_BUF_2 answers from the capture memory
  board.Set(XACCL_NULL, 0xFF80);
  board.Set(PROD_ID, 0x1E1E);

  const auto lines = SplitLines(RegisterListingText(), "\r\n");
  ASSERT_EQ(lines.size(), 2u + 36u);
  EXPECT_EQ(lines[0], "Name\t\tAddr\tHex\tEA  ND\tScaledValue");
  EXPECT_EQ(lines[1], "--------------------\t---------\t---------\t ---    ---\t   ---------");
  EXPECT_EQ(lines[2], "ENDURANCE      \t0000\t0000\t        \t0.0");
  EXPECT_EQ(lines[3], "SUPPLY_OUT      \t0002\t02A3\t   1   1\t3.294");
  EXPECT_EQ(lines[4], "XACCL_OUT      \t0004\tFFF6\t   0   1\t-0.514");
  // AUX_ADC is read with the supply just listed: 512 * 3.294 / 1024.
  EXPECT_EQ(lines[7], "AUX_ADC      \t000A\t0200\t   0   1\t1.647");
  EXPECT_EQ(lines[8], "TEMP OUT      \t000C\t00CD\t   0   0\t0.049");
  EXPECT_EQ(lines[14], "CAPT_BUF_2      \t0018\tFFFF\t        \t-1.0");
  EXPECT_EQ(lines[18], "XACCL_NULL      \t0020\tFF80\t        \t-128.0");
  EXPECT_EQ(lines[21], "TIME___      \t002E\t0000\t        \t0.0");  // reserved rows skipped
  EXPECT_EQ(lines[36], "PROD_ID      \t004C\t1E1E\t        \t7710.0");
  EXPECT_EQ(lines[37], "SW_REV      \t004E\t0000\t        \t0.0");
  for (const auto& line : lines) EXPECT_EQ(line.find("reserved"), std::string::npos);

  const std::string lf = RegisterListingText("\n", ',');
  EXPECT_EQ(SplitLines(lf)[3], "SUPPLY_OUT      \t0002\t02A3\t   1   1\t3,294");
}

}  // namespace
}  // namespace kva
