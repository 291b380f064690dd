// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/number_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <stdexcept>

#include "capture/capture_config.h"
#include "config/alarm_config.h"
#include "config/calibration.h"
#include "config/sample_period.h"
#include "datalog/datalog_run.h"
#include "mainwindow/loop_delay.h"
#include "support/program_state.h"
#include "usbspi/spi_debug.h"

namespace kva {
namespace {

TEST(Hex, Hex4PadsCutsAndTakesTwosComplement) {
  EXPECT_EQ(Hex4(int64_t{0x12345}), "2345");
  EXPECT_EQ(Hex4(int64_t{-2}), "FFFE");
  EXPECT_EQ(Hex4(2.5), "0002");  // rounded, halves to even
  EXPECT_EQ(Hex4(3.5f), "0004");
}

TEST(Hex, TextToValueCountsFromTheRightAndCheckedFormsRefuseLongerText) {
  EXPECT_EQ(HexTextToValue("1a2B"), 6699);
  EXPECT_EQ(HexTextToValue("G1"), 1);
  EXPECT_EQ(HexTextToValue("x10"), 16);  // no prefix: x is a zero digit
  EXPECT_EQ(HexTextToInt16("FFFF"), -1);
  EXPECT_EQ(HexTextToInt16("e800"), -6144);
  EXPECT_EQ(HexTextToValue("12345"), 0x2345);
  EXPECT_FALSE(CheckedHexTextToValue("12345"));
  EXPECT_FALSE(CheckedHexTextToInt16("FFFF0"));
  EXPECT_EQ(CheckedHexTextToValue("FFFF"), 65535);
  EXPECT_EQ(CheckedHexTextToInt16("FFFF"), -1);
  EXPECT_EQ(HexNoPad(-6144), "E800");
}

TEST(NumberPicture, FixedPlacesRoundHalfAwayFromZeroOnTheExactValue) {
  EXPECT_EQ(FormatNumber(0.0005, "0.000"), "0.001");  // 0.0005 is just above the tie in binary
  EXPECT_EQ(FormatNumber(0.125, "0.00"), "0.13");     // an exact tie goes away from zero
  EXPECT_EQ(FormatNumber(2.675, "0.00"), "2.67");     // 2.67499999... in binary
  EXPECT_EQ(FormatNumber(9.9996, "0.000"), "10.000");
  EXPECT_EQ(FormatNumber(static_cast<float>(0.0514) * -10, "0.000"), "-0.514");
  EXPECT_EQ(FormatNumber(7, "00"), "07");
}

TEST(NumberPicture, OptionalPlacesAndNoLeadingZero) {
  EXPECT_EQ(FormatNumber(1.23456, "0.0##"), "1.235");
  EXPECT_EQ(FormatNumber(-12.3456789, "##0.0#######"), "-12.3456789");
  EXPECT_EQ(FormatNumber(0.00000001, "##0.0#######"), "0.00000001");
  EXPECT_EQ(FormatNumber(0.000000001, "##0.0#######"), "0.0");
  EXPECT_EQ(FormatNumber(0.5, "#.0"), ".5");
  EXPECT_EQ(FormatNumber(-0.25, "#.0"), "-.3");
  EXPECT_EQ(FormatNumber(1.5, "0.000", ','), "1,500");
  EXPECT_THROW(FormatNumber(1, "0,00"), std::invalid_argument);
}

TEST(GeneralNumberText, SingleAndDoubleDigitsWithoutTrailingZeros) {
  EXPECT_EQ(GeneralText(0.0f), "0");
  EXPECT_EQ(GeneralText(0.0514f), "0.0514");
  EXPECT_EQ(GeneralText(1234567.0f), "1234567");
  EXPECT_EQ(GeneralText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(GeneralText(0.00001f), "1E-05");
  EXPECT_EQ(GeneralText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(GeneralText(2.5e20), "2.5E+20");
}

class TypedNumberLimits : public kvatest::ProgramStateTest {};

TEST(TypedNumbers, LeadingNumberAndHalfToEvenRounding) {
  EXPECT_EQ(LeadingNumber("  12.5abc"), 12.5);
  EXPECT_EQ(LeadingNumber("+.5"), 0.5);
  EXPECT_EQ(LeadingNumber("1e3x"), 1000.0);
  EXPECT_EQ(LeadingNumber("1ex"), 1.0);
  EXPECT_EQ(LeadingNumber("-"), 0.0);
  // Beyond a double's range: the largest double of the sign, or 0 when too small.
  constexpr double kMax = std::numeric_limits<double>::max();
  EXPECT_EQ(LeadingNumber("1e999"), kMax);
  EXPECT_EQ(LeadingNumber(" -1e400x"), -kMax);
  EXPECT_EQ(LeadingNumber("123456789012345678901234567890e300"), kMax);
  EXPECT_EQ(LeadingNumber("1e99999999999999999999"), kMax);
  EXPECT_EQ(LeadingNumber("0.000001e-999"), 0.0);
  EXPECT_EQ(LeadingNumber("-1e-400"), 0.0);
  EXPECT_EQ(LeadingNumber("0.00001e310"), 1e305);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
}

TEST(TypedNumbers, IsNumber) {
  for (const char* yes : {"0", " 12 ", "-1.5", "+.5", "5.", "1e-3", "2E+10"}) {
    EXPECT_TRUE(IsNumber(yes)) << yes;
  }
  for (const char* no : {"", "  ", "12abc", "1.2.3", "e5", "-", "1e", "0x10", "1 2"}) {
    EXPECT_FALSE(IsNumber(no)) << no;
  }
}

// Every box that reads a typed number meets a number too large for a double with its own
// limit, exactly as it meets 99999 (and -99999 for one too large below zero).
TEST_F(TypedNumberLimits, BeyondADoubleIsBeyondEachBoxLimit) {
  using Box = std::function<std::string(const std::string&)>;
  const auto hex = [](auto value) { return Hex4(static_cast<int64_t>(value)); };
  const struct {
    const char* box;
    Box shown;  // what the box shows or writes for a typed text
  } boxes[] = {
      {"capture trigger level, X_Acc greater",
       [&](const std::string& t) { return hex(TriggerMagWord(2, t, true).value_or(-1)); }},
      {"alarm level, X_Acc less",
       [&](const std::string& t) { return hex(AlarmMagValue(2, LeadingNumber(t), false)); }},
      {"sample rate", [&](const std::string& t) { return hex(SmplPrdForRate(LeadingNumber(t))); }},
      {"loop delay", [](const std::string& t) { return LoopDelayCorrection(t).value_or(t); }},
      {"datalog sample delay", SampleDelayBoxText},
      {"datalog samples per file", SamplesPerFileBoxText},
      {"datalog files per session", FilesPerSessionBoxText},
      {"calibration offset", OffsetEntryText},
      {"USB word delay",
       [](const std::string& t) { return std::to_string(SpiWordDelayFor(LeadingNumber(t))); }},
      {"USB word count",
       [](const std::string& t) { return std::to_string(SpiWordCountFor(LeadingNumber(t))); }},
  };
  for (const auto& b : boxes) {
    ASSERT_NE(b.shown("99999"), b.shown("0")) << b.box;  // else the rows below prove nothing
    for (const char* big : {"1e999", "1e400"}) {
      EXPECT_EQ(b.shown(big), b.shown("99999")) << b.box << " " << big;
    }
    EXPECT_EQ(b.shown("-1e999"), b.shown("-99999")) << b.box;
  }
  EXPECT_EQ(hex(TriggerMagWord(2, "1e999", true).value_or(-1)), "8AA9");
  EXPECT_EQ(hex(SmplPrdForRate(LeadingNumber("1e999"))), "0007");
}

}  // namespace
}  // namespace kva
