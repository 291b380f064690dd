// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kva::ctl {
namespace {

TEST(JsonWriter, EscapesEveryByteThatJsonCannotCarryAsItIs) {
  EXPECT_EQ(JsonString("a\"b\\c/d"), R"("a\"b\\c/d")");
  EXPECT_EQ(JsonString(std::string("\b\f\n\r\t\x01\x1f\x7f", 8)), R"("\b\f\n\r\t\u0001\u001f)"
                                                                  "\x7f\"");
  EXPECT_EQ(JsonString(std::string("nul\0end", 7)), R"("nul\u0000end")");
  // Well-formed UTF-8 passes; a lone high byte (a descriptor's Latin-1 letter) is escaped,
  // and so are overlong forms, surrogates and a sequence cut short.
  EXPECT_EQ(JsonString("\xC2\xB0 \xE2\x82\xAC \xF0\x9F\x98\x80"),
            "\"\xC2\xB0 \xE2\x82\xAC \xF0\x9F\x98\x80\"");
  EXPECT_EQ(JsonString("caf\xE9"), R"("caf\u00e9")");
  EXPECT_EQ(JsonString("\xC0\xAF|\xED\xA0\x80|\xE2\x82"),
            R"("\u00c0\u00af|\u00ed\u00a0\u0080|\u00e2\u0082")");
}

TEST(JsonWriter, NestsWithCommasAndWritesNumbersShortestOrNull) {
  JsonWriter json;
  // clang-format off
  json.BeginObject().Field("f", 3.29888f).Field("d", 0.1).Field("i", int64_t{-32768})
      .Field("nan", std::numeric_limits<double>::quiet_NaN())
      .Field("inf", -std::numeric_limits<float>::infinity()).Field("none", std::optional<float>())
      .Key("list").BeginArray().BeginObject().EndObject().Bool(true).BeginArray().EndArray().Null()
      .EndArray().Unit("g").EndObject();
  // clang-format on
  EXPECT_EQ(json.Document(), R"({"f":3.29888,"d":0.1,"i":-32768,"nan":null,"inf":null,"none":null,)"
                             R"("list":[{},true,[],null],"unit":"g"})"
                             "\n");
}

}  // namespace
}  // namespace kva::ctl
