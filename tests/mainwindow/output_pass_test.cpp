// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/output_pass.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_sensor.h"

namespace kva {
namespace {

// The window test moves the shown value across 2.600; these readings differ from what is shown.
TEST(OutputPass, SupplyColourOnDisplayedValue) {
  EXPECT_EQ(SupplyColourFor(2.5996f), SupplyColour::Unchanged);
  EXPECT_EQ(SupplyColourFor(2.6004f), SupplyColour::Unchanged);
  EXPECT_EQ(SupplyColourFor(2.5994f), SupplyColour::Red);
}

TEST(OutputPass, ReadsTenRegistersThenEventsWithAuxFollowingSupply) {
  kvatest::FakeBoard board;
  board.Set(SUPPLY_OUT, 0x8000 | 615);    // 615 * 0.00488 = 3.0012 V, new data
  board.Set(XACCL_OUT, 0xBFF6);           // -10 counts
  board.Set(YACCL_OUT, 0x0014);           // 20 counts, no new data
  board.Set(ZACCL_OUT, 0x8000 | 0x0013);  // 19 counts
  board.Set(AUX_ADC, 0x0200);             // 512 counts
  board.Set(EVENTS, 3);

  std::vector<int> order;
  OutputPassResult r = ReadOutputPass([&](int n, float) { order.push_back(n); });
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const float supply = static_cast<float>(615.0f * static_cast<double>(0.00488f));
  EXPECT_FLOAT_EQ(r.samples[1], supply);
  EXPECT_EQ(OutputValueText(r.samples[2]), "-0.514");
  EXPECT_EQ(OutputValueText(r.samples[3]), "1.028");  // stored whatever the new-data bit says
  EXPECT_FLOAT_EQ(r.samples[5], 512.0f * (supply / 1024.0f));  // read four after the supply
  EXPECT_EQ(r.samples[0] + r.samples[11], 0.0f);
  EXPECT_EQ(r.eventCount, 3.0f);

  // A Z of exactly 0 draws nothing.
  EXPECT_TRUE(ShouldPlotSample(r, 3));
  r.samples[4] = 0.0f;
  EXPECT_FALSE(ShouldPlotSample(r, 3));
}

}  // namespace
}  // namespace kva
