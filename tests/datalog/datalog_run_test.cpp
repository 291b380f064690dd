// SPDX-License-Identifier: GPL-3.0-or-later
#include "datalog/datalog_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_mode.h"
#include "support/fake_sensor.h"
#include "support/temp_dir.h"

namespace kva {
namespace {

TEST(DatalogBoxes, CorrectionsFollowTheBoxRules) {
  using Box = std::string (*)(std::string_view);
  const struct {
    Box box;
    const char *typed, *shown;
  } cases[] = {
      {SamplesPerFileBoxText, "abc", "1000"},
      {SamplesPerFileBoxText, "12abc", "1000"},
      {SamplesPerFileBoxText, "0", "1"},
      {SamplesPerFileBoxText, "70000", "65526"},
      {SamplesPerFileBoxText, "65526", "65526"},
      {SamplesPerFileBoxText, " 250", " 250"},
      {FilesPerSessionBoxText, "2500", "2000"},
      {FilesPerSessionBoxText, "-4", "1"},
      {SampleDelayBoxText, "-5", "0"},
      {SampleDelayBoxText, "40000", "32000"},
      {SampleDelayBoxText, "x", "0"},
      {SampleDelayBoxText, "12.5", "12.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.box(c.typed), c.shown) << c.typed;
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
  }

  // Date and time in the forms of the user's locale.
  std::string Head(const std::string& name, char S, const std::string& begin,
                   const std::string& end) {
    const LocalDateTime now{2009, 12, 31, 23, 59, 7};
    return "File Name," + name + "\r\nDate" + S + ShortDateText(now) + "\r\nTime" + S +
           LongTimeText(now) + "\r\nBegin Seconds" + S + begin + "\r\nEnd Seconds" + S + end +
           "\r\n \r\n";
  }

  kvatest::TempDir dir;
  kvatest::FakeBoard board;
  DatalogSettings settings;
  int ticks = 0;
  std::vector<std::string> messages;
};

TEST_F(DatalogRun, FilesWithCommaSeparator) {
  SetDecimalMarkOverride('.');
  settings.checked[1] = settings.checked[2] = true;
  settings.samplesPerFile = 3;
  settings.filesPerSession = 2;
  std::vector<int> started;
  int yields = 0;
  SetYieldHandler([&] { ++yields; });
  const DatalogResult r = RunDatalog(settings, {[&](int f) { started.push_back(f); }, {}});
  EXPECT_EQ(r.filesWritten, 2);
  EXPECT_FALSE(r.cancelled);
  EXPECT_FALSE(r.error);
  EXPECT_EQ(started, (std::vector<int>{1, 2}));
  EXPECT_EQ(yields, 2 * (1 + 3));
  const std::string rows =
      "Sample #,PvND,Power V,XaND,X acc,\r\n"
      "1,1,3.29888,0,0.514,\r\n"
      "2,1,3.29888,0,0.514,\r\n"
      "3,1,3.29888,0,0.514,\r\n";
  EXPECT_EQ(kvatest::ReadFileBytes(dir.path() / "DATALOG_1.csv"),
            Head("DATALOG_1.csv", ',', "3600.5", "3600.75") + rows);
  EXPECT_EQ(kvatest::ReadFileBytes(dir.path() / "DATALOG_2.csv"),
            Head("DATALOG_2.csv", ',', "3601", "3601.25") + rows);
}

TEST_F(DatalogRun, DecimalCommaGivesTabsAndTxtAndAuxFollowsSupply) {
  SetDecimalMarkOverride(',');
  settings.checked[1] = settings.checked[5] = true;
  settings.samplesPerFile = 1;
  settings.baseName = "RUN";
  ASSERT_EQ(RunDatalog(settings).filesWritten, 1);
  // Aux 256 counts at 3.29888 V / 1024.
  EXPECT_EQ(kvatest::ReadFileBytes(dir.path() / "RUN_1.txt"),
            Head("RUN_1.txt", '\t', "3600,5", "3600,75") +
                "Sample #\tPvND\tPower V\tADCND\tAux_ADC\t\r\n"
                "1\t1\t3,29888\t1\t0,82472\t\r\n");
}

TEST_F(DatalogRun, CancelOrProgramEndKeepsTheSamplesTaken) {
  SetDecimalMarkOverride('.');
  settings.checked[2] = true;
  settings.samplesPerFile = 3;
  settings.filesPerSession = 3;
  int samples = 0;
  DatalogResult r = RunDatalog(settings, {{}, [&] { return ++samples == 5; }});
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.filesWritten, 2);
  EXPECT_EQ(r.samplesInLastFile, 2);
  const std::string taken = "Sample #,XaND,X acc,\r\n1,0,0.514,\r\n2,0,0.514,\r\n";
  EXPECT_TRUE(kvatest::ReadFileBytes(dir.path() / "DATALOG_2.csv").ends_with(taken));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "DATALOG_3.csv"));

  settings.baseName = "END";
  int yields = 0;
  SetYieldHandler([&] { SetProgramEnding(++yields == 3); });  // after the second sample
  r = RunDatalog(settings);
  SetProgramEnding(false);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.filesWritten, 1);
  EXPECT_TRUE(kvatest::ReadFileBytes(dir.path() / "END_1.csv").ends_with(taken));
}

TEST_F(DatalogRun, UnwritableFileStopsTheRunAndKeepsEarlierFiles) {
  SetDecimalMarkOverride('.');
  settings.checked[1] = true;
  settings.samplesPerFile = 2;
  settings.filesPerSession = 3;
  std::filesystem::create_directory(dir.path() / "DATALOG_2.csv");
  DatalogResult r = RunDatalog(settings);
  EXPECT_EQ(r.filesWritten, 1);
  ASSERT_TRUE(r.error);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], *r.error);
  EXPECT_NE(messages[0].find((dir.path() / "DATALOG_2.csv").string()), std::string::npos);
  EXPECT_TRUE(kvatest::ReadFileBytes(dir.path() / "DATALOG_1.csv").ends_with("2,1,3.29888,\r\n"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "DATALOG_3.csv"));

  // A path that cannot be written is refused before the first sample.
  kvatest::WriteFileBytes(dir.path() / "plain", "x");
  const struct {
    std::filesystem::path dir;
    std::string name, reason;
  } refused[] = {
      {dir.path() / "plain", "DATALOG", "plain/DATALOG_1.csv: Not a directory"},
      {dir.path(), std::string(250, 'L'), "L_1.csv: File name too long"},
  };
  for (const auto& c : refused) {
    board.sensor.frames.clear();
    settings.directory = c.dir;
    settings.baseName = c.name;
    r = RunDatalog(settings);
    EXPECT_EQ(r.filesWritten, 0);
    ASSERT_TRUE(r.error);
    EXPECT_NE(r.error->find(c.reason), std::string::npos) << *r.error;
    EXPECT_TRUE(board.sensor.frames.empty()) << c.reason;
  }
}

TEST_F(DatalogRun, AFolderThatTakesNoNewFileHasItsFilesOverwritten) {
  SetDecimalMarkOverride('.');
  settings.checked[1] = true;
  settings.samplesPerFile = 2;
  const auto path = dir.path() / "DATALOG_1.csv";
  kvatest::WriteFileBytes(path, std::string(5000, 'x'));
  kvatest::ClosedFolder closed(dir.path());
  if (!closed.held()) GTEST_SKIP() << "no way to close a folder here";
  const DatalogResult r = RunDatalog(settings);
  EXPECT_EQ(r.filesWritten, 1);
  EXPECT_FALSE(r.error) << *r.error;
  EXPECT_EQ(kvatest::ReadFileBytes(path), Head("DATALOG_1.csv", ',', "3600.5", "3600.75") +
                                              "Sample #,PvND,Power V,\r\n" +
                                              "1,1,3.29888,\r\n2,1,3.29888,\r\n");
}

}  // namespace
}  // namespace kva
