// SPDX-License-Identifier: GPL-3.0-or-later
#include "datalog/datalog_run.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/fake_sensor.h"
#include "support/temp_dir.h"

namespace kva {
namespace {

TEST(DatalogBoxes, CorrectionsFollowTheBoxRules) {
  using Box = std::string (*)(std::string_view);
  const Box samples = SamplesPerFileBoxText, files = FilesPerSessionBoxText,
            delay = SampleDelayBoxText;
  // clang-format off
  const std::tuple<Box, const char*, const char*> cases[] = {
      {samples, "abc", "1000"}, {samples, "12abc", "1000"}, {samples, "0", "1"},
      {samples, "70000", "65526"}, {samples, "65526", "65526"}, {samples, " 250", " 250"},
      {files, "2500", "2000"}, {files, "-4", "1"}, {files, "12", "12"},
      {delay, "-5", "0"}, {delay, "40000", "32000"}, {delay, "x", "0"}, {delay, "12.5", "12.5"}};
  // clang-format on
  for (const auto& [box, typed, shown] : cases) EXPECT_EQ(box(typed), shown) << typed;
}

class DatalogRun : public ::testing::Test {
 protected:
  DatalogRun() {
    board.Set(SUPPLY_OUT, 0x8000 | 676);  // 3.29888 V, new data
    board.Set(XACCL_OUT, 0x000A);         // 0.514 g
    board.Set(AUX_ADC, 0x8000 | 0x0100);
    ClockHooks hooks;
    hooks.timer = [this] { return 3600.5f + 0.25f * static_cast<float>(ticks++); };
    hooks.localNow = [] { return LocalDateTime{2009, 12, 31, 23, 59, 7}; };
    SetClockHooks(hooks);
    SetMsgBoxHandler(
        [this](const std::string& text, const std::string&) { messages.push_back(text); });
    settings.directory = dir.path();
    setenv("LC_ALL", "C", 1);  // the date and time lines follow the user's locale
    SetDecimalMarkOverride('.');
  }
  ~DatalogRun() override { unsetenv("LC_ALL"); }
  std::string File(const std::string& name) { return kvatest::ReadFileBytes(dir.path() / name); }

  kvatest::TempDir dir;
  kvatest::FakeBoard board;
  DatalogSettings settings;
  int ticks = 0;
  std::vector<std::string> messages;
};

TEST_F(DatalogRun, FilesWithCommaSeparator) {
  settings.checked[1] = settings.checked[2] = true;
  settings.samplesPerFile = 3;
  settings.filesPerSession = 2;
  std::vector<int> started;
  int yields = 0;
  SetYieldHandler([&] { ++yields; });
  const DatalogResult r = RunDatalog(settings, {[&](int f) { started.push_back(f); }, {}});
  EXPECT_EQ(std::tuple(r.filesWritten, r.cancelled, r.error.has_value()),
            std::tuple(2, false, false));
  EXPECT_EQ(started, (std::vector<int>{1, 2}));
  EXPECT_EQ(yields, 2 * (1 + 3));
  const std::string rows =
      " \r\nSample #,PvND,Power V,XaND,X acc,\r\n1,1,3.29888,0,0.514,\r\n"
      "2,1,3.29888,0,0.514,\r\n3,1,3.29888,0,0.514,\r\n";
  const std::string head = "Date,12/31/09\r\nTime,23:59:07\r\nBegin Seconds,";
  EXPECT_EQ(File("DATALOG_1.csv"),
            "File Name,DATALOG_1.csv\r\n" + head + "3600.5\r\nEnd Seconds,3600.75\r\n" + rows);
  EXPECT_EQ(File("DATALOG_2.csv"),
            "File Name,DATALOG_2.csv\r\n" + head + "3601\r\nEnd Seconds,3601.25\r\n" + rows);
}

TEST_F(DatalogRun, DecimalCommaGivesTabsAndTxtAndAuxFollowsSupply) {
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  SetDecimalMarkOverride(',');
  settings.checked[1] = settings.checked[5] = true;
  settings.samplesPerFile = 1;
  settings.baseName = "RUN";
  ASSERT_EQ(RunDatalog(settings).filesWritten, 1);
  // Aux 256 counts at 3.29888 V / 1024.
  EXPECT_EQ(File("RUN_1.txt"),
            "File Name,RUN_1.txt\r\nDate\t31.12.2009\r\nTime\t23:59:07\r\n"
            "Begin Seconds\t3600,5\r\nEnd Seconds\t3600,75\r\n \r\n"
            "Sample #\tPvND\tPower V\tADCND\tAux_ADC\t\r\n1\t1\t3,29888\t1\t0,82472\t\r\n");
}

// The wait after every sample, held to 0..32 s.
TEST_F(DatalogRun, SampleDelayFollowsEverySample) {
  settings.checked[1] = true;
  settings.samplesPerFile = 2;
  const auto stepsFor = [&](double ms) {
    settings.sampleDelayMs = ms;
    const int64_t before = State().delay.DelayStepsRun;
    RunDatalog(settings);
    return State().delay.DelayStepsRun - before;
  };
  const int64_t reads = stepsFor(0);
  EXPECT_EQ(stepsFor(12.5) - reads, 2 * 1250);
  EXPECT_EQ(stepsFor(-5) - reads, 0);
  EXPECT_EQ(stepsFor(40000) - reads, 2 * 3200000);
}

TEST_F(DatalogRun, CancelKeepsTheSamplesTaken) {
  settings.checked[2] = true;
  settings.samplesPerFile = 3;
  settings.filesPerSession = 3;
  int samples = 0;
  const DatalogResult r = RunDatalog(settings, {{}, [&] { return ++samples == 5; }});
  EXPECT_EQ(std::tuple(r.cancelled, r.filesWritten, r.samplesInLastFile), std::tuple(true, 2, 2));
  const std::string taken = "Sample #,XaND,X acc,\r\n1,0,0.514,\r\n2,0,0.514,\r\n";
  EXPECT_TRUE(File("DATALOG_2.csv").ends_with(taken));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "DATALOG_3.csv"));
}

// A folder that cannot be written is refused before the first sample.
TEST_F(DatalogRun, UnwritableFolderIsRefusedBeforeTheFirstSample) {
  settings.checked[1] = true;
  kvatest::WriteFileBytes(dir.path() / "file", "");
  settings.directory = dir.path() / "file";
  const DatalogResult r = RunDatalog(settings);
  EXPECT_NE(r.error.value_or("").find("file/DATALOG_1.csv: Not a directory"), std::string::npos);
  EXPECT_EQ(std::tuple(r.filesWritten, messages, board.sensor.frames.size()),
            std::tuple(0, std::vector<std::string>{r.error.value_or("")}, size_t{0}));
}

}  // namespace
}  // namespace kva
