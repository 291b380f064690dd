#include "device/register_map.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

// Typed names match the labels whatever the case, and an underscore matches the space that
// some labels carry.
TEST(RegisterMap, FindsRegistersByTypedName) {
  InitRegisterMap();
  EXPECT_EQ(FindRegisterByLabel("temp_out"), TEMP_OUT);
  EXPECT_EQ(FindRegisterByLabel("Y_PEAK OUT"), Y_PEAK_OUT);
  EXPECT_EQ(FindRegisterByLabel("time___"), TIME_REG);
  EXPECT_EQ(FindRegisterByLabel("smpl_prd"), SMPL_PRD);
  EXPECT_EQ(FindRegisterByLabel("nothing"), -1);
  EXPECT_EQ(FindRegisterByLabel(""), -1);
}

}  // namespace
}  // namespace kva
