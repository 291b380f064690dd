// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/port_trace.h"

#include <gtest/gtest.h>

#include <locale>
#include <string>
#include <vector>

#include "support/dev_setup.h"
#include "support/recording_port_io.h"
#include "support/temp_dir.h"

namespace kva {
namespace {

// A locale that groups thousands, as a German user's would, made the global one for a scope.
struct GroupingLocale {
  struct Grouping : std::numpunct<char> {
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Grouping));
  ~GroupingLocale() { std::locale::global(previous); }
};

class PortTraceTest : public ::testing::Test {
 protected:
  PortTraceTest() {
    SetMsgBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
  }
  kvatest::LptSetup setup{nullptr};
  kvatest::TempDir dir;
  std::vector<std::string> messages;
};

TEST_F(PortTraceTest, WritesLevelChangesWithDistinctNanosecondTimes) {
  kvatest::RecordingPortIo line;
  line.QueueAnswer(0x8000);
  {
    const GroupingLocale german;
    PortTrace trace(line);
    kvatest::SetClockReadings(
        {2.0, 2.0000001, 2.0000001, 2.0000001, 2.00000025, 2.000001, 2.000001});
    ASSERT_TRUE(trace.Open("t.vcd"));
    trace.Out(0x378, 4);               // data out line to 1, so mosi 0 (#100)
    trace.Out(0x379, 0x40);            // not the data register: no change
    trace.Out(0x378, 5);               // chip select; the clock stood still (#101)
    trace.Out(0x378, 7);               // clock up (#102)
    EXPECT_EQ(trace.In(0x379), 0xBF);  // the device's 1 (#250)
    trace.Out(0x378, 7);               // no change, no entry
    trace.Out(0x378, 5);               // clock down (#1000)
    trace.Out(0x378, 0);               // chip select off, data out idle (#1001)
    EXPECT_TRUE(trace.Close());
  }
  EXPECT_EQ(
      kvatest::ReadFileBytes("t.vcd"),
      "$version KVA7710 evaluation program, parallel port SPI trace $end\n$timescale 1ns $end\n"
      "$scope module lpt $end\n$var wire 1 c cs $end\n$var wire 1 k clk $end\n"
      "$var wire 1 o mosi $end\n$var wire 1 i miso $end\n$upscope $end\n$enddefinitions $end\n"
      "#0\n$dumpvars\n0c\n0k\n1o\n0i\n$end\n"
      "#100\n0o\n#101\n1c\n#102\n1k\n#250\n1i\n#1000\n0k\n#1001\n0c\n1o\n");
  // Everything reached the port underneath.
  EXPECT_EQ(line.events.size(), 8u);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kva
