// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_file.h"

#include <gtest/gtest.h>

#include "capture/capture_readout.h"
#include "support/program_state.h"

namespace kva {
namespace {

// Two events of L = 8 (two samples each) as a readout would leave them, N = 1024.
void FillTwoEvents(int eventsStored) {
  auto& c = State().capture;
  c = {};
  c.CaptureEventsStored = eventsStored;
  c.CaptureEventLength = 8;
  c.CaptureBufferCount = 1024;
  c.CaptureHeaders.assign(1025, CaptureHeader{});
  for (auto* axis : {&c.CaptureX, &c.CaptureY, &c.CaptureZ}) axis->Allocate(1024, 8);
  c.CaptureHeaders[1] = {2.5, 1234, 415, 24.5, 3.3, 0.5};
  c.CaptureHeaders[2] = {0.2 * 3,      905,           1231,
                         -206 * 0.244, 675 * 0.00488, -256 * (3.294f / 1024.0f)};
  c.CaptureX(1, 1) = 0.2, c.CaptureY(1, 1) = -0.4, c.CaptureZ(1, 1) = 1;
  c.CaptureX(1, 2) = -25.6, c.CaptureY(1, 2) = 0, c.CaptureZ(1, 2) = 127 * 0.2;
  c.CaptureX(2, 1) = 0.2 * 3;
}

using CaptureFile = kvatest::ProgramStateTest;

TEST_F(CaptureFile, CommaFileBytes) {
  FillTwoEvents(2);
  EXPECT_EQ(CaptureFileText(',', '.'),
            "\r\n"
            "Event #,XYZ,Time,Date,Temp,Voltage,Aux\r\n"
            "1,2.5,1234,415,24.5,3.3,0.5\r\n"
            "Xg,Yg,Zg\r\n"
            "0.2,-0.4,1\r\n"
            "-25.6,0,25.4\r\n"
            "\r\n"
            "Event #,XYZ,Time,Date,Temp,Voltage,Aux\r\n"
            "2,0.6,905,1231,-50.264,3.294,-0.823499977588654\r\n"
            "Xg,Yg,Zg\r\n"
            "0.6,0,0\r\n"
            "0,0,0\r\n");
}

TEST_F(CaptureFile, TabFileWithDecimalCommaAndCsvKeepsPoint) {
  FillTwoEvents(1);
  EXPECT_EQ(CaptureFileDecimalMark('\t', ','), ',');
  EXPECT_EQ(CaptureFileDecimalMark(',', ','), '.');
  EXPECT_EQ(CaptureFileDecimalMark(',', '.'), '.');
  EXPECT_EQ(CaptureFileText('\t', ','),
            "\r\n"
            "Event #\tXYZ\tTime\tDate\tTemp\tVoltage\tAux\r\n"
            "1\t2,5\t1234\t415\t24,5\t3,3\t0,5\r\n"
            "Xg\tYg\tZg\r\n"
            "0,2\t-0,4\t1\r\n"
            "-25,6\t0\t25,4\r\n");
}

TEST_F(CaptureFile, EventCountCappedAtBuffersAndEmptyWhenNone) {
  FillTwoEvents(0);
  EXPECT_EQ(CaptureFileText(',', '.'), "");
  FillTwoEvents(300);
  State().capture.CaptureBufferCount = 2;  // only two buffers exist
  const std::string text = CaptureFileText(',', '.');
  EXPECT_TRUE(text.ends_with(
      "\r\n2,0.6,905,1231,-50.264,3.294,-0.823499977588654\r\nXg,Yg,Zg\r\n0.6,0,0\r\n0,0,0\r\n"));
  EXPECT_EQ(text.find("\r\n3,"), std::string::npos);
}

}  // namespace
}  // namespace kva
