#include "mainwindow/status_flags.h"

#include <gtest/gtest.h>

#include <string>

namespace kva {
namespace {

// "A" for alarm, "." for OK, one character per shown flag in the window's order.
std::string Pattern(int32_t word) {
  std::string out;
  for (const auto& flag : kStatusFlags) out += FlagState(word, flag).alarm ? 'A' : '.';
  return out;
}

TEST(StatusFlags, WordsToStates) {
  EXPECT_EQ(Pattern(0xFC10), ".........");  // bits 4 and 10..15 are not shown
  EXPECT_EQ(Pattern(0x0021), "A...A....");
  EXPECT_EQ(Pattern(0x03EF), "AAAAAAAAA");
  const StatusFlagState alarm = FlagState(0x0001, kStatusFlags[0]);
  const StatusFlagState ok = FlagState(0x0000, kStatusFlags[0]);
  EXPECT_EQ(alarm.background, 0xFF0000u);
  EXPECT_STREQ(alarm.text, "Alarm");
  EXPECT_EQ(ok.background, 0x00FF00u);
  EXPECT_STREQ(ok.text, "OK");
}

}  // namespace
}  // namespace kva
