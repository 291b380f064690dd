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

TEST(OutputPass, Texts) {
  EXPECT_EQ(OutputValueText(-0.514f), "-0.514");
  EXPECT_EQ(OutputValueText(3.2989f), "3.299");
  EXPECT_EQ(OutputValueText(0.0f), "0.000");
  EXPECT_EQ(OutputValueText(1.5f, ','), "1,500");
  EXPECT_EQ(EventCountText(3.0f), "3");
  EXPECT_EQ(EventCountText(65535.0f), "65535");
}

}  // namespace
}  // namespace kva
