#include "mainwindow/os_name.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

TEST(OsName, ConsumerFamilySplitsOnBuild2000) {
  EXPECT_EQ(OsNameFor({1, 4.0, 950}), "Win95");
  EXPECT_EQ(OsNameFor({1, 4.0, 2000}), "Win95");
  EXPECT_EQ(OsNameFor({1, 4.1, 2001}), "Win98");
  EXPECT_EQ(OsNameFor({1, 6.0, 2222}), "Win98");  // version does not matter there
}

TEST(OsName, OtherFamiliesSplitOnVersion5) {
  EXPECT_EQ(OsNameFor({2, 4.0, 1381}), "WinNT");
  EXPECT_EQ(OsNameFor({2, 5.0, 2195}), "WinNT");
  EXPECT_EQ(OsNameFor({2, 5.1, 2600}), "WinXP");
  EXPECT_EQ(OsNameFor({0, 5.01, 0}), "WinXP");
  EXPECT_EQ(OsNameFor({2, 4.9, 99999}), "WinNT");  // build does not matter there
}

TEST(OsName, ThisHostNeedsPortAccessGranted) { EXPECT_EQ(DetermineOsName(), "WinXP"); }

}  // namespace
}  // namespace kva
