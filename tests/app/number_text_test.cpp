// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/number_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <tuple>

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

// Pictures round half away from zero on the exact binary value: 0.0005 is just above the tie,
// 0.125 an exact tie, 2.675 is 2.67499999...
TEST(NumberText, ConversionsToText) {
  // clang-format off
  const std::tuple<const char*, double, const char*> pictures[] = {
      {"0.000", 0.0005, "0.001"}, {"0.00", 0.125, "0.13"}, {"0.00", 2.675, "2.67"},
      {"0.000", 9.9996, "10.000"}, {"0.000", static_cast<float>(0.0514) * -10, "-0.514"},
      {"00", 7, "07"}, {"0.0##", 1.23456, "1.235"}, {"##0.0#######", -12.3456789, "-12.3456789"},
      {"##0.0#######", 0.00000001, "0.00000001"}, {"##0.0#######", 0.000000001, "0.0"},
      {"#.0", 0.5, ".5"}, {"#.0", -0.25, "-.3"}};
  // clang-format on
  for (const auto& [picture, value, text] : pictures) EXPECT_EQ(FormatNumber(value, picture), text);
  EXPECT_EQ(FormatNumber(1.5, "0.000", ','), "1,500");
  EXPECT_THROW(FormatNumber(1, "0,00"), std::invalid_argument);
  std::string general = GeneralText(1.0 / 3.0) + " " + GeneralText(2.5e20);
  for (const float f : {0.0f, 0.0514f, 1234567.0f, 12345678.0f, 0.00001f})
    general.append(" ").append(GeneralText(f));
  EXPECT_EQ(general, "0.333333333333333 2.5E+20 0 0.0514 1234567 1.234568E+07 1E-05");
  // Hex4 cuts to four digits, takes the two's complement and rounds halves to even.
  EXPECT_EQ(Hex4(int64_t{0x12345}) + Hex4(int64_t{-2}) + Hex4(2.5) + Hex4(3.5f) + HexNoPad(-6144),
            "2345FFFE00020004E800");
}

TEST(NumberText, HexTextCountsFromTheRightAndCheckedFormsRefuseLongerText) {
  for (const auto& [text, value] :
       {std::pair{"1a2B", 6699}, {"G1", 1}, {"x10", 16}, {"12345", 0x2345}})
    EXPECT_EQ(HexTextToValue(text), value) << text;  // no prefix: x is a zero digit
  EXPECT_EQ(std::tuple(HexTextToInt16("FFFF"), HexTextToInt16("e800"),
                       CheckedHexTextToValue("FFFF"), CheckedHexTextToInt16("FFFF")),
            std::tuple(-1, -6144, std::optional<int32_t>(65535), std::optional<int16_t>(-1)));
  EXPECT_FALSE(CheckedHexTextToValue("12345") || CheckedHexTextToInt16("FFFF0"));
}

class TypedNumberLimits : public kvatest::ProgramStateTest {};

// Beyond a double's range: the largest double of the sign, or 0 when too small.
TEST(TypedNumbers, LeadingNumberAndHalfToEvenRounding) {
  constexpr double kMax = std::numeric_limits<double>::max();
  // clang-format off
  const std::pair<const char*, double> cases[] = {
      {"  12.5abc", 12.5}, {"+.5", 0.5}, {"1e3x", 1000}, {"1ex", 1}, {"-", 0}, {"1e999", kMax},
      {" -1e400x", -kMax}, {"123456789012345678901234567890e300", kMax},
      {"1e99999999999999999999", kMax}, {"0.000001e-999", 0}, {"-1e-400", 0},
      {"0.00001e310", 1e305}, {"1.7976931348623157e308", kMax}, {"-1.8e308", -kMax}};
  // clang-format on
  for (const auto& [text, value] : cases) EXPECT_EQ(LeadingNumber(text), value) << text;
  for (const auto& [x, n] : {std::pair{1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}})
    EXPECT_EQ(RoundHalfEven(x), n) << x;
}

// Every box that reads a typed number meets a number too large for a double with its own
// limit, exactly as it meets 99999 (and -99999 for one too large below zero).
TEST_F(TypedNumberLimits, BeyondADoubleIsBeyondEachBoxLimit) {
  using Box = std::function<std::string(const std::string&)>;
  const auto hex = [](auto value) { return Hex4(static_cast<int64_t>(value)); };
  using T = const std::string&;
  const std::pair<const char*, Box> boxes[] = {
      // what each box shows or writes for a text
      // clang-format off
      {"capture trigger level", [&](T t) { return hex(TriggerMagWord(2, t, true).value_or(-1)); }},
      {"alarm level", [&](T t) { return hex(AlarmMagValue(2, LeadingNumber(t), false)); }},
      {"sample rate", [&](T t) { return hex(SmplPrdForRate(LeadingNumber(t))); }},
      {"loop delay", [](T t) { return LoopDelayCorrection(t).value_or(t); }},
      {"datalog sample delay", SampleDelayBoxText},
      {"datalog samples per file", SamplesPerFileBoxText},
      {"datalog files per session", FilesPerSessionBoxText},
      {"calibration offset", OffsetEntryText},
      {"USB word delay", [](T t) { return std::to_string(SpiWordDelayFor(LeadingNumber(t))); }},
      {"USB word count", [](T t) { return std::to_string(SpiWordCountFor(LeadingNumber(t))); }}};
  // clang-format on
  for (const auto& [box, shown] : boxes) {
    ASSERT_NE(shown("99999"), shown("0")) << box;  // else the rows below prove nothing
    for (const char* big : {"1e999", "1e400"}) EXPECT_EQ(shown(big), shown("99999")) << box;
    EXPECT_EQ(shown("-1e999"), shown("-99999")) << box;
  }
  EXPECT_EQ(hex(TriggerMagWord(2, "1e999", true).value_or(-1)), "8AA9");
  EXPECT_EQ(hex(SmplPrdForRate(LeadingNumber("1e999"))), "0007");
}

}  // namespace
}  // namespace kva
