// SPDX-License-Identifier: GPL-3.0-or-later
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
}

}  // namespace
}  // namespace kva
