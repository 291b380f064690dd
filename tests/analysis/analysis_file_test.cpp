// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysis_file.h"

#include <gtest/gtest.h>

namespace kva {
namespace {

TEST(AnalysisFileDatalog, BothFormsAndTheRate) {
  const std::string comma =
      "File Name,DATALOG_1.csv\r\nDate,12/07/26\r\nTime,03:21:00 AM\r\n"
      "Begin Seconds,100.5\r\nEnd Seconds,102.5\r\n \r\n"
      "Sample #,PvND,Power V,XaND,X acc,\r\n"
      "1,1,3.3,0,0.0514,\r\n2,1,3.31,1,-0.1028,\r\n";
  const std::string tab =
      "File Name,DATALOG_1.txt\r\nDate\t07.12.2026\r\nTime\t23:59:59\r\n"
      "Begin Seconds\t86399,5\r\nEnd Seconds\t1,5\r\n \r\n"
      "Sample #\tPvND\tPower V\tXaND\tX acc\t\r\n"
      "1\t1\t3,3\t0\t0,0514\t\r\n2\t1\t3.31\t1\t-0,1028\t\r\n";
  for (const std::string& text : {comma, tab}) {
    const AnalysisFile f = ReadAnalysisFile(text);
    ASSERT_TRUE(f.ok()) << f.errorLine << ": " << f.error;
    EXPECT_EQ(f.kind, AnalysisFileKind::Datalog);
    ASSERT_EQ(f.columns.size(), 2u);
    EXPECT_EQ(f.columns[0].name + "|" + f.columns[1].name, "Power V|X acc");
    EXPECT_EQ(f.columns[0].registerIndex * 10 + f.columns[1].registerIndex, 12);
    EXPECT_EQ(std::tuple(f.columns[0].values, f.columns[1].values),
              std::tuple(std::vector{3.3, 3.31}, std::vector{0.0514, -0.1028}));
    EXPECT_DOUBLE_EQ(f.loggedSeconds, 2);  // across midnight in the TAB file
    EXPECT_DOUBLE_EQ(DatalogSampleRate(f), 1);
  }
  EXPECT_EQ(DatalogSampleRate(ReadAnalysisFile("\r\nEvent #,XYZ,Time,Date,Temp,Voltage,Aux\r\n"
                                               "1,0,0,0,0,0,0\r\nXg,Yg,Zg\r\n1,2,3\r\n")),
            0);
}

TEST(AnalysisFileRefusals, LineAndReason) {
  const std::string capture = "\r\nEvent #,XYZ,Time,Date,Temp,Voltage,Aux\r\n1,0,0,0,0,0,0\r\n";
  const std::string datalog =
      "File Name,D_1.csv\r\nDate,x\r\nTime,x\r\nBegin Seconds,1\r\nEnd Seconds,2\r\n \r\n"
      "Sample #,XaND,X acc,\r\n";
  struct Case {
    std::string text;
    int line;
    const char* reason;
  };
  // clang-format off
  const Case cases[] = {
      {"", 1, "no samples in the file"},
      {capture + "Xg,Yg,Zg\r\n0.2,0.4,1\r\n0.2,0.4x,1\r\n", 6, "not a number: \"0.4x\""},
      {capture + "Xg,Yg,Zg\r\n0,2,0,4,1\r\n", 5, "expected 3 fields, not 5"},
      {capture + "Xg,Yg\r\n", 4, "expected \"Xg,Yg,Zg\""},
      {capture + "Xg,Yg,Zg\r\n1,2,3\r\n" + capture, 8, "expected the header of event 2"},
      {capture, 4, "the file ends before \"Xg,Yg,Zg\""},
      {"\r\nEvent #;XYZ\r\n", 2, "expected \"Event #;XYZ;Time;Date;Temp;Voltage;Aux\""},
      {datalog + "1,0,0.1,\r\n3,0,0.1,\r\n", 9, "expected sample 2"},
      {datalog + "1,0,0.1\r\n", 8, "expected 4 fields, not 3"},
      {datalog + "1,0,0.1,\r\n\r\n2,0,0.1,\r\n", 10, "a line after the samples' end"},
      {"File Name,D_1.csv\r\nDate,x\r\nTime,x\r\n", 4, "the file ends before \"Begin Seconds,\""},
      {datalog.substr(0, datalog.size() - 3) + "\r\n", 7,
       "expected a flag and a value title per register"}};
  // clang-format on
  for (const Case& c : cases) {
    const AnalysisFile f = ReadAnalysisFile(c.text);
    EXPECT_FALSE(f.ok()) << c.text;
    EXPECT_EQ(f.errorLine, c.line) << c.text;
    EXPECT_TRUE(f.error.starts_with(c.reason)) << f.error;
    EXPECT_TRUE(f.columns.empty());
  }
}

}  // namespace
}  // namespace kva
