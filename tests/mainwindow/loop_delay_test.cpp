// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/loop_delay.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

// The box runs its rule again after each of its own corrections; the result must settle.
TEST(LoopDelay, TypedTextSettlesInRange) {
  const std::pair<std::string, std::string> cases[] = {
      {"0", "0"},  {"2.5", "2.5"}, {"1000", "1000"}, {"1000.5", "1000"},
      {"-3", "0"}, {"", "0"},      {"12ms", "0"},    {"-", "0"}};
  for (const auto& [typed, settled] : cases) {
    std::string text = typed;
    int corrections = 0;
    while (auto fixed = LoopDelayCorrection(text)) {
      text = *fixed;
      ASSERT_LT(++corrections, 3) << typed;
    }
    EXPECT_EQ(text, settled) << typed;
  }
}

}  // namespace
}  // namespace kva
