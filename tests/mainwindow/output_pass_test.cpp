#include "mainwindow/output_pass.h"

#include <gtest/gtest.h>

#include "app/number_text.h"

namespace kva {
namespace {

TEST(OutputPass, SupplyColourOnDisplayedValue) {
  EXPECT_EQ(SupplyColourFor(2.6f), SupplyColour::Unchanged);
  EXPECT_EQ(SupplyColourFor(2.6004f), SupplyColour::Unchanged);  // shows 2.600
  EXPECT_EQ(SupplyColourFor(2.5996f), SupplyColour::Unchanged);  // shows 2.600
  EXPECT_EQ(SupplyColourFor(2.599f), SupplyColour::Red);
  EXPECT_EQ(SupplyColourFor(2.601f), SupplyColour::White);
  EXPECT_EQ(SupplyColourFor(0.0f), SupplyColour::Red);
  EXPECT_EQ(SupplyColourFor(3.3f), SupplyColour::White);
}

TEST(OutputPass, PlotDecision) {
  OutputPassResult pass;
  pass.samples[4] = 1.0f;
  pass.eventCount = 0;
  EXPECT_TRUE(ShouldPlotSample(pass, 0));
  pass.eventCount = 2;
  EXPECT_FALSE(ShouldPlotSample(pass, 0));  // the count rose: a capture is under way
  EXPECT_TRUE(ShouldPlotSample(pass, 2));
  EXPECT_TRUE(ShouldPlotSample(pass, 3));
  pass.samples[4] = 0.0f;  // Z reading exactly 0 draws nothing
  EXPECT_FALSE(ShouldPlotSample(pass, 2));
}

}  // namespace
}  // namespace kva

#include <vector>

#include "capture/fake_sensor.h"

namespace kva {
namespace {

TEST(OutputPass, ReadsTenRegistersThenEventsWithAuxFollowingSupply) {
  kvatest::FakeBoard board;
  board.Set(SUPPLY_OUT, 0x8000 | 615);   // 615 * 0.00488 = 3.0012 V, new data
  board.Set(XACCL_OUT, 0xBFF6);          // -10 counts
  board.Set(YACCL_OUT, 0x0014);          // 20 counts, no new data
  board.Set(ZACCL_OUT, 0x8000 | 0x0013); // 19 counts
  board.Set(AUX_ADC, 0x0200);            // 512 counts
  board.Set(TEMP_OUT, 0x00CD);
  board.Set(XYZ_PK_OUT, 0x0002);
  board.Set(EVENTS, 3);

  std::vector<int> order;
  std::vector<float> values;
  const OutputPassResult r = ReadOutputPass([&](int n, float v) {
    order.push_back(n);
    values.push_back(v);
  });

  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const float supply = static_cast<float>(615.0f * static_cast<double>(0.00488f));
  EXPECT_FLOAT_EQ(r.samples[1], supply);
  EXPECT_EQ(OutputValueText(r.samples[1]), "3.001");
  EXPECT_EQ(OutputValueText(r.samples[2]), "-0.514");
  EXPECT_EQ(OutputValueText(r.samples[3]), "1.028");  // stored whatever the new-data bit says
  EXPECT_EQ(OutputValueText(r.samples[4]), "0.977");
  // AUX_ADC, four reads after the supply, already uses supply / 1024.
  EXPECT_FLOAT_EQ(RegisterMap[AUX_ADC].RegScale, supply / 1024.0f);
  EXPECT_FLOAT_EQ(r.samples[5], 512.0f * (supply / 1024.0f));
  EXPECT_EQ(OutputValueText(r.samples[6]), "0.049");
  EXPECT_EQ(OutputValueText(r.samples[10]), "512.000");
  EXPECT_EQ(r.samples[0], 0.0f);
  EXPECT_EQ(r.samples[11], 0.0f);
  EXPECT_EQ(values[0], r.samples[1]);
  EXPECT_EQ(r.eventCount, 3.0f);
  EXPECT_FALSE(ShouldPlotSample(r, 0));  // events rose from 0
  EXPECT_TRUE(ShouldPlotSample(r, 3));
}

}  // namespace
}  // namespace kva
