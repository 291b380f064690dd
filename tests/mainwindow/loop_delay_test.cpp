#include "mainwindow/loop_delay.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

// The box runs its rule again after each of its own corrections; the result must settle.
std::string Settle(std::string text) {
  for (int i = 0; i < 4; ++i) {
    auto fixed = LoopDelayCorrection(text);
    if (!fixed) return text;
    text = *fixed;
  }
  ADD_FAILURE() << "correction does not settle for " << text;
  return text;
}

TEST(LoopDelay, TypedTextIsForcedIntoRange) {
  EXPECT_EQ(Settle("5"), "5");
  EXPECT_EQ(Settle("0"), "0");
  EXPECT_EQ(Settle("1000"), "1000");
  EXPECT_EQ(Settle("2.5"), "2.5");
  EXPECT_EQ(Settle("5000"), "1000");
  EXPECT_EQ(Settle("1000.5"), "1000");
  EXPECT_EQ(Settle("-3"), "0");
  EXPECT_EQ(Settle(""), "0");
  EXPECT_EQ(Settle("abc"), "0");
  EXPECT_EQ(Settle("12ms"), "0");
  EXPECT_EQ(Settle("-"), "0");
}

TEST(LoopDelay, PauseIsTheLeadingNumber) {
  EXPECT_EQ(LoopDelayMs("5"), 5.0f);
  EXPECT_EQ(LoopDelayMs(" 12.5"), 12.5f);
  EXPECT_EQ(LoopDelayMs("x"), 0.0f);
}

}  // namespace
}  // namespace kva
