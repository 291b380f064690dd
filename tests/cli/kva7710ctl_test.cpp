// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl end to end on the simulated board. Expected values follow from the bench
// stimulus (X 0 g, Y 0 g, Z 1 g, 3.30 V, 25.0 C, aux 1.00 V) by the register map's rules.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <regex>

#include "cli/ctl_runner.h"
#include "support/dev_setup.h"
#include "support/temp_dir.h"
#include "usbspi/adapter_ids.h"

namespace {

using kvatest::ReadFileBytes;
using kvatest::RunCtl;
using kvatest::SplitLines;
using Failure = std::pair<int, std::string>;  // exit code, error text

Failure FailureOf(const kvatest::CtlResult& r) { return {r.code, r.err}; }

class Ctl : public ::testing::TestWithParam<const char*> {
 protected:
  kvatest::CtlResult Run(std::vector<std::string> command, const std::string& input = "") {
    command.insert(command.begin(), {"--simulate", "--interface", GetParam()});
    return RunCtl(command, input);
  }
  kvatest::TempDir dir;
};

TEST_P(Ctl, ReadListAndWrite) {
  // Supply 3.30 V / 4.88 mV = 676 counts (02A4) -> 3.29888 V; Z 1 g / 51.4 mg = 19 counts
  // (0013) -> 0.9766 g; temperature (25 + 50) x 4.096 = 307 counts (0133) -> 24.951 C; aux
  // 1.00 / 3.30 x 1024 = 310 counts (0136), at the start-up scale 3.3 / 1024 -> 0.999 V.
  auto r = Run({"read", "SUPPLY_OUT", "xaccl_out", "3", "ZACCL_OUT", "Aux_Adc", "temp_out"});
  EXPECT_EQ(FailureOf(r), Failure(0, ""));
  EXPECT_EQ(r.out,
            "SUPPLY_OUT\t02A4\t3.299\nXACCL_OUT\t0000\t0.0\nYACCL_OUT\t0000\t0.0\n"
            "ZACCL_OUT\t0013\t0.977\nAUX_ADC\t0136\t0.999\nTEMP OUT\t0133\t24.951\n");

  // The listing's layout is its own test; here it comes from the board.
  const auto lines = SplitLines(Run({"list"}).out);
  ASSERT_EQ(lines.size(), 38u);
  EXPECT_EQ(lines[3], "SUPPLY_OUT      \t0002\t02A4\t   0   1\t3.299");

  EXPECT_EQ(Run({"write", "smpl_prd", "00ff"}).out, "SMPL_PRD\t00FF\t255.0\n");
  EXPECT_EQ(FailureOf(Run({"write", "SMPL_PRD", "12345"})),
            Failure(2, "kva7710ctl: the value must be one to four hex digits, not 12345\n"));
  EXPECT_EQ(FailureOf(Run({"write", "PROD_ID", "1234"})),
            Failure(2, "kva7710ctl: PROD_ID is not writable (--force writes it all the same)\n"));
  // Forced: the frames go out, and the device keeps its read-only value.
  EXPECT_EQ(Run({"write", "--force", "PROD_ID", "1234"}).out, "PROD_ID\t1E1E\t7710.0\n");
}

TEST_P(Ctl, SimVibrationAndNoiseMoveTheOutputsUntilSwitchedOff) {
  const auto lines = SplitLines(
      Run({},
          "sim vibration x 50 5\nsim wait 3\nread XACCL_OUT\nsim wait 4\nread XACCL_OUT\n"
          "sim vibration off\nsim wait 3\nread XACCL_OUT\n"
          "sim noise y 100000\nsim wait 3\nread YACCL_OUT\nsim wait 3\nread YACCL_OUT\n"
          "sim noise y 0\nsim wait 3\nread YACCL_OUT\n")
          .out);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_NE(lines[0], lines[1]);
  EXPECT_EQ(lines[2], "XACCL_OUT\t0000\t0.0");
  EXPECT_NE(lines[3], lines[4]);
  EXPECT_EQ(lines[5], "YACCL_OUT\t0000\t0.0");
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"vibration", "x", "0", "1"}, "HZ must be above 0"},
      {{"vibration", "x", "50"}, "vibration takes AXIS HZ G, or off"},
      {{"noise", "w", "5"}, "AXIS must be x, y or z, not w"},
      {{"noise", "x", "-1"}, "UG must not be negative"}};
  for (const auto& [args, message] : refused) {
    std::vector<std::string> command{"sim"};
    command.insert(command.end(), args.begin(), args.end());
    EXPECT_EQ(FailureOf(Run(command)), Failure(2, "kva7710ctl: " + message + "\n"));
  }
}

TEST_P(Ctl, StatusFlagsInWindowOrder) {
  auto r = Run({}, "sim supply 2.5\nsim wait 10\nstatus\nsim supply 3.7\nsim wait 10\nstatus\n");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string rest =
      "Buffer Write Error\tOK\nSPI Error\tOK\nSelf Test Fail\tOK\nChecksum Error\tOK\n"
      "Buffer Full\tOK\nAlarm1 Set\tOK\nAlarm2 Set\tOK\n";
  EXPECT_EQ(r.out, "STATUS\t0001\nPower Supply Low\tAlarm\nPower Supply High\tOK\n" + rest +
                       "STATUS\t0002\nPower Supply Low\tOK\nPower Supply High\tAlarm\n" + rest);
}

TEST_P(Ctl, DeviceCommands) {
  // Self-test adds 40 counts (2.056 g) to each axis; auto null zeroes X (0.5 g = 10 counts);
  // power down freezes the outputs until power up.
  auto r = Run({},
               "command self-test-on\nsim wait 5\nread XACCL_OUT MISC_CTRL\n"
               "command self-test-off\nsim wait 5\nread XACCL_OUT MISC_CTRL\n"
               "sim accel 0.5 0 1\nsim wait 5\ncommand auto-null\nread XACCL_OUT XACCL_NULL\n"
               "command factory-cal\nread XACCL_OUT XACCL_NULL\n"
               "command power-down\nsim accel 0 0 2\nsim wait 10\nread ZACCL_OUT\n"
               "command power-up\nsim wait 10\nread ZACCL_OUT\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "XACCL_OUT\t0028\t2.056\nMISC_CTRL\t0100\t256.0\n"
            "XACCL_OUT\t0000\t0.0\nMISC_CTRL\t0000\t0.0\n"
            "XACCL_OUT\t0000\t0.0\nXACCL_NULL\tFFF6\t-10.0\n"
            "XACCL_OUT\t000A\t0.514\nXACCL_NULL\t0000\t0.0\n"
            "ZACCL_OUT\t0013\t0.977\n"
            "ZACCL_OUT\t0027\t2.005\n");
  EXPECT_EQ(FailureOf(Run({"command", "launch"})),
            Failure(2, "kva7710ctl: unknown device command: launch\n"));
}

TEST_P(Ctl, WatchAppliesTheSupplyToAux) {
  // Supply 3.0 V = 615 counts (3.0012 V); aux 1.5 V = 512 counts. A single read scales aux
  // with the start-up 3.3 / 1024 (1.65 V); a pass scales it with the supply just read (1.501 V).
  const auto r = Run(
      {}, "sim supply 3.0\nsim aux 1.5\nsim wait 5\nread AUX_ADC\nwatch --count 2 --delay 20\n");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string pass = "3.001,0.000,0.000,0.977,1.501,24.951,0.000,0.000,0.000,0.000,0\n";
  EXPECT_EQ(
      r.out,
      "AUX_ADC\t0200\t1.65\n"
      "SUPPLY_OUT,XACCL_OUT,YACCL_OUT,ZACCL_OUT,AUX_ADC,TEMP_OUT,X_PEAK_OUT,Y_PEAK_OUT,Z_PEAK_OUT,"
      "XYZ_PEAK_OUT,EVENTS\n" +
          pass + pass);
}

TEST_P(Ctl, TimeTextsAsTheWindowShowsThem) {
  const auto r = Run({}, "write TIME___ 0905\nwrite DATE___ 0415\nwrite YEAR___ 0010\ntime\n");
  EXPECT_TRUE(r.out.ends_with("\n4/15/10 9 :5\n")) << r.out << r.err;
}

TEST_P(Ctl, CaptureRoundTrip) {
  // Buffers of 128 (CAPT_CFG bits 2..0 = 3) with 2 x 128 / 16 = 16 samples before the trigger;
  // alarm 1 on Z above 100 counts (5.14 g) triggers the capture; a 20 g shock on Z fires it.
  const std::string setup =
      "write TIME___ 0905\nwrite DATE___ 0415\nwrite CAPT_CFG 0023\nwrite ALM_MAG1 8064\n"
      "write ALM_CTRL 0410\nsim wait 50\nsim shock z 20 5\nsim wait 500\nread EVENTS\n";
  auto r = Run({}, setup +
                       "capture --out cap.csv\ncapture --tab\ncapture --out -\n"
                       "command clear-capture\nread EVENTS\n");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string file = ReadFileBytes(dir.path() / "cap.csv");
  const auto lines = SplitLines(file, "\r\n");
  ASSERT_EQ(lines.size(), 4u + 122u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "Event #,XYZ,Time,Date,Temp,Voltage,Aux");
  // Temp (307 - 205) x 0.244; supply 676 x 0.00488; aux 310 counts at (supply / 1024).
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      lines[2], m, std::regex(R"(1,([0-9.]+),905,415,24\.888,3\.29888,0\.998684405349195)")))
      << lines[2];
  const double xyz = std::stod(m[1]);
  EXPECT_EQ(lines[3], "Xg,Yg,Zg");
  double peak = 0;
  for (size_t i = 4; i < lines.size(); ++i) {
    ASSERT_TRUE(std::regex_match(lines[i], m, std::regex(R"(0,0,(-?[0-9.]+))"))) << lines[i];
    if (i < 20) {
      EXPECT_EQ(lines[i], "0,0,1") << "pre-trigger sample " << i - 3;
    }
    peak = std::max(peak, std::stod(m[1]));
  }
  EXPECT_GT(std::stod(lines[20].substr(4)), 5.14);  // the trigger sample is above the level
  EXPECT_NEAR(peak, 20.0, 1.0);
  EXPECT_EQ(xyz, peak);  // the header's XYZ is the event's largest magnitude

  std::string tabbed = file;
  for (char& c : tabbed) c = c == ',' ? '\t' : c;
  EXPECT_TRUE(r.out.ends_with("\nEVENTS\t0001\t1.0\n" + tabbed + file + "EVENTS\t0000\t0.0\n"))
      << r.out;

  r = Run({}, setup + "capture --out cap.csv/below.csv\n");
  EXPECT_EQ(r.code, 4);
  EXPECT_NE(r.err.find("line 10: Could not write cap.csv/below.csv: Not a directory"),
            std::string::npos)
      << r.err;
}

TEST_P(Ctl, DatalogFilesAndRefusals) {
  std::filesystem::create_directory("logs");
  auto r = Run({"datalog", "--signals", "1,2,5", "--samples", "3", "--files", "2", "--delay", "2",
                "--name", "T", "--dir", "logs"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "logs/T_1.csv\nlogs/T_2.csv\n");
  // 2 ms between samples is more than one sample period, so every value is new.
  const std::string row = ",1,3.29888,1,0,1,0.9986843,\r\n";
  for (const std::string name : {"T_1.csv", "T_2.csv"}) {
    const std::string file = ReadFileBytes(dir.path() / "logs" / name);
    EXPECT_TRUE(file.starts_with("File Name," + name + "\r\nDate,")) << file;
    EXPECT_TRUE(file.ends_with(" \r\nSample #,PvND,Power V,XaND,X acc,ADCND,Aux_ADC,\r\n1" + row +
                               "2" + row + "3" + row))
        << file;
  }

  // A path that cannot be written is refused before sampling (the run's own test has more
  // cases): without that, this run would first take 65526 samples.
  const std::string longName(250, 'L');
  EXPECT_EQ(FailureOf(Run({"datalog", "--signals", "1,2,3,4,5,6,7,8,9,10", "--samples", "65526",
                           "--files", "1", "--name", longName})),
            Failure(4, "Could not write ./" + longName + "_1.csv: File name too long\n"));
  EXPECT_EQ(FailureOf(Run({"datalog", "--signals", "", "--samples", "1", "--files", "1"})),
            Failure(2, "kva7710ctl: Please check at least one DATA SELECTION box.\n"));
  for (const std::string name : {"..", ".", "", "a/b"}) {
    EXPECT_EQ(FailureOf(Run(
                  {"datalog", "--signals", "1", "--samples", "1", "--files", "1", "--name", name})),
              Failure(2, "kva7710ctl: --name must be a file name without a folder, not \"" + name +
                             "\"\n"));
  }
}

// The file layout itself is the datalog's own test; here the tool must pick it from LANG.
TEST_P(Ctl, DatalogDecimalCommaGivesTabsAndTxt) {
  const locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
  if (german == static_cast<locale_t>(0)) GTEST_SKIP() << "no de_DE.UTF-8";
  freelocale(german);
  const auto r = RunCtl({"--simulate", "--interface", GetParam(), "datalog", "--signals", "1",
                         "--samples", "1", "--files", "1"},
                        "", {{"LANG", "de_DE.UTF-8"}});
  ASSERT_EQ(FailureOf(r), Failure(0, "")) << r.out;
  EXPECT_EQ(r.out, "./DATALOG_1.txt\n");
  EXPECT_TRUE(ReadFileBytes(dir.path() / "DATALOG_1.txt")
                  .ends_with("Sample #\tPvND\tPower V\t\r\n1\t1\t3,29888\t\r\n"));
}

INSTANTIATE_TEST_SUITE_P(BothInterfaces, Ctl, ::testing::Values("parallel", "usb"));

class CtlSession : public ::testing::Test {
 protected:
  kvatest::TempDir dir;
};

TEST_F(CtlSession, BatchSkipsCommentsAndStopsAtTheFirstFailingLine) {
  const auto cacheFile = kvatest::DelayCacheFile(kvatest::FastDelayCache(dir.path()));
  const std::string cache = ReadFileBytes(cacheFile);
  const auto r =
      RunCtl({"--simulate", "--interface", "usb"},
             "# bench check\n\nread SUPPLY_OUT\n  read ZACCL_OUT\r\nread NOPE\nread ZACCL_OUT\n");
  EXPECT_EQ(r.out, "SUPPLY_OUT\t02A4\t3.299\nZACCL_OUT\t0013\t0.977\n");
  EXPECT_EQ(FailureOf(r), Failure(2, "line 5: unknown register: NOPE\n"));
  EXPECT_EQ(ReadFileBytes(cacheFile), cache);  // a fresh cache is used, not recalibrated
  EXPECT_TRUE(RunCtl({"--simulate", "--interface", "usb"}, "status\nfly away\n")
                  .err.starts_with("line 2: "));  // an unknown command, too

  // A line's --help is that command's help; an index may have leading zeros.
  const auto help = RunCtl({"--simulate", "--interface", "usb"}, "read --help\nread 006\n");
  EXPECT_EQ(FailureOf(help), Failure(0, ""));
  EXPECT_TRUE(help.out.starts_with("Read registers")) << help.out;
  EXPECT_TRUE(help.out.ends_with("\nTEMP OUT\t0133\t24.951\n")) << help.out;
}

// A cached count that no longer matches the clock is measured again (this run calibrates, a
// few seconds), before the device is even looked for.
TEST_F(CtlSession, StaleDelayCountIsCalibratedAgain) {
  const auto cacheFile = kvatest::DelayCacheFile(kvatest::FastDelayCache(dir.path()));
  const auto r = RunCtl({"--interface", "parallel", "--port", "80", "read", "1"});
  EXPECT_EQ(r.code, 3) << r.err;
  const std::string cache = ReadFileBytes(cacheFile);
  ASSERT_TRUE(cache.starts_with("count ")) << cache;
  EXPECT_GT(std::stol(cache.substr(6)), 1) << cache;
}

// The names in the current folder that begin with prefix.
std::vector<std::string> NamesStartingWith(const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(".")) {
    if (e.path().filename().string().starts_with(prefix)) names.push_back(e.path().filename());
  }
  return names;
}

// Starts a long datalog into S_1.csv and waits until it has opened its file.
kvatest::CtlProcess StartLongDatalog() {
  const auto p = kvatest::StartCtl({"--simulate", "--interface", "usb", "datalog", "--signals",
                                    "1,2,3,4,5,6,7,8,9,10", "--samples", "65526", "--files", "2",
                                    "--name", "S"});
  for (int i = 0; i < 1000 && NamesStartingWith(".S_1.csv.tmp-").empty(); ++i) usleep(10000);
  usleep(20000);
  return p;
}

TEST_F(CtlSession, StopSignalsEndADatalogWithTheSamplesTakenAndAKillLeavesNothingForLong) {
  for (const auto& [signal, code] : {std::pair(SIGINT, 130), std::pair(SIGTERM, 143)}) {
    const auto p = StartLongDatalog();
    kill(p.pid, signal);
    const auto r = kvatest::WaitCtl(p);
    EXPECT_EQ(r.code, code) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        r.err, m, std::regex(R"(Datalog cancelled: \./(S_[0-9]+\.csv) holds ([0-9]+) samples\n)")))
        << r.err;
    const auto lines = SplitLines(ReadFileBytes(m[1].str()), "\r\n");
    ASSERT_EQ(lines.size(), 7 + std::stoul(m[2])) << m[1];
    EXPECT_TRUE(lines.back().starts_with(m[2].str() + ",")) << lines.back();
    EXPECT_TRUE(r.out.ends_with("./" + m[1].str() + "\n")) << r.out;
  }

  // A process killed outright cannot clean up; the next save of that file does.
  const auto p = StartLongDatalog();
  kill(p.pid, SIGKILL);
  EXPECT_EQ(kvatest::WaitCtl(p).code, 128 + SIGKILL);
  EXPECT_EQ(NamesStartingWith(".S_1.csv.tmp-").size(), 1u);
  EXPECT_EQ(RunCtl({"--simulate", "--interface", "usb", "datalog", "--signals", "1", "--samples",
                    "1", "--files", "1", "--name", "S"})
                .code,
            0);
  EXPECT_TRUE(NamesStartingWith(".S_1.csv.tmp-").empty());
}

TEST_F(CtlSession, FlashImageThatIsNoFileOrCannotBeWritten) {
  std::filesystem::create_directory("folder");
  auto r = RunCtl({"--simulate", "--interface", "usb", "--sim-flash", "folder", "read", "STATUS"});
  EXPECT_EQ(FailureOf(r), Failure(0, ""));
  EXPECT_EQ(r.out, "STATUS\t0040\t64.0\n");  // a flash that cannot be trusted

  kvatest::WriteFileBytes("plain", "x");
  r = RunCtl({"--simulate", "--interface", "usb", "--sim-flash", "plain/f.bin"},
             "command flash-update\nread ENDURANCE\n");
  EXPECT_EQ(FailureOf(r), Failure(4,
                                  "The flash image plain/f.bin could not be written: Not a "
                                  "directory\nline 1: The flash image plain/f.bin could not be "
                                  "written: Not a directory\n"));
}

TEST_F(CtlSession, InterfaceFromSettingsFileAndExitCodes) {
  EXPECT_EQ(FailureOf(RunCtl({"read", "1"})),
            Failure(2, "kva7710ctl: Please select an interface before taking data\n"));
  EXPECT_EQ(RunCtl({"--simulate", "read", "1"}).out, "SUPPLY_OUT\t02A4\t3.299\n");  // adapter
  kvatest::WriteFileBytes("CommPort.cfg",
                          "Interface =  2 \r\nPort Address =  888 \r\nFactory =  0 \r\n");
  EXPECT_EQ(RunCtl({"--simulate", "read", "1"}).out, "SUPPLY_OUT\t02A4\t3.299\n");
  kvatest::WriteFileBytes("CommPort.cfg",
                          "Interface =  1 \r\nPort Address =  0 \r\nFactory =  0 \r\n");
  EXPECT_EQ(RunCtl({"--simulate", "read", "4"}).out,
            "ZACCL_OUT\t0013\t0.977\n");  // no address: 378

  // Addresses below 100 (hex) are never a parallel port: access refused.
  auto r = RunCtl({"--simulate", "--interface", "parallel", "--port", "80", "read", "1"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("kva7710ctl: no access to the parallel port at 80"), std::string::npos)
      << r.err;
  // No adapter on this machine (the simulated board is not installed without --simulate).
  r = RunCtl({"--interface", "usb", "read", "1"});
  EXPECT_EQ(r.code, 3);
#ifdef KVA_HAVE_LIBUSB
  EXPECT_NE(r.err.find("No USB Buffers Found, Please Verify Setup and Restart\n"),
            std::string::npos)
      << r.err;
#else
  EXPECT_NE(r.err.find("this build of kva7710ctl has no USB adapter support"), std::string::npos)
      << r.err;
#endif
  EXPECT_EQ(FailureOf(RunCtl({"--interface", "usb", "sim", "wait", "5"})),
            Failure(2, "kva7710ctl: sim commands need --simulate\n"));

  // Exit codes of refused arguments, one per distinct check.
  const std::pair<std::vector<std::string>, int> codes[] = {
      {{"--interface", "usb", "write", "SMPL_PRD", "12G4"}, 2},
      {{"--interface", "usb", "watch", "--delay", "1001"}, 2},
      {{"--interface", "usb", "watch", "--delay", "nan"}, 2},
      {{"--interface", "usb", "rate", "nan"}, 2},
      {{"--interface", "usb", "offsets", "--x", "nan"}, 2},
      {{"--interface", "usb", "alarm", "1", "X_Acc", "nan", "greater"}, 2},
      {{"--interface", "usb", "alarm", "1", "X_Acc", "-inf", "greater"}, 2},
      {{"--interface", "usb", "datalog", "--signals", "1", "--samples", "1", "--files", "1",
        "--delay", "nan"},
       2},
      {{"--interface", "usb", "datalog", "--signals", "01,002", "--samples", "1", "--files", "1"},
       0},
      {{"--interface", "usb", "watch", "--count", "0"}, 2},
      {{"--interface", "usb", "datalog", "--signals", "1,11", "--samples", "2", "--files", "1"}, 2},
      {{"--interface", "usb", "datalog", "--signals", "1", "--samples", "65527", "--files", "1"},
       2},
      {{"--interface", "usb", "datalog", "--signals", "1", "--samples", "1", "--files", "2001"}, 2},
      {{"--interface", "usb"}, 0},  // empty input
      {{"--interface", "parallel", "--port", "12345", "read", "1"}, 2},
      {{"--interface", "usb", "sim", "scenario", "moon"}, 2},
      {{"--interface", "usb", "sim", "shock", "w", "1", "1"}, 2},
      {{"--interface", "usb", "sim", "accel", "1", "nan", "1"}, 2},
      {{"--interface", "usb", "sim", "accel", "-1", "-0.5", "1"}, 0},
      {{"--interface", "usb", "--vcd", "bus.vcd", "read", "1"}, 2},  // the trace is of the port
      {{"--bogus"}, 2},
  };
  for (auto [args, code] : codes) {
    args.insert(args.begin(), "--simulate");
    EXPECT_EQ(RunCtl(args).code, code) << ::testing::PrintToString(args);
  }
}

TEST_F(CtlSession, FlashImagePersistsBetweenRunsAndTraceIsWritten) {
  auto r = RunCtl(
      {"--simulate", "--interface", "parallel", "--sim-flash", "flash.bin", "--vcd", "bus.vcd"},
      "write SMPL_PRD 003F\ncommand flash-update\n");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(std::filesystem::file_size("flash.bin"), 40u);
  EXPECT_NE(ReadFileBytes("bus.vcd").find("$var"), std::string::npos);
  r = RunCtl({"--simulate", "--interface", "usb", "--sim-flash", "flash.bin", "read", "SMPL_PRD",
              "ENDURANCE"});
  EXPECT_EQ(r.out, "SMPL_PRD\t003F\t63.0\nENDURANCE\t0001\t1.0\n");
}

TEST_F(CtlSession, UdevRuleOfTheIdsInUseAndBadIdRefused) {
  const auto r =
      RunCtl({"--usb-id", "04b4:1004", "udev-rule"}, "", {{"KVA7710_USB_IDS", "abcd:1"}});
  EXPECT_EQ(FailureOf(r), Failure(0, ""));
  EXPECT_EQ(r.out,
            kva::UdevRuleText({{0x1209, 0xED03}, {0x1209, 0xEF00}, {0xABCD, 1}, {0x04B4, 0x1004}}));
  EXPECT_EQ(FailureOf(RunCtl({"--usb-id", "04b4:1004", "--usb-id", "12g4:1", "list-adapters"})),
            Failure(2,
                    "kva7710ctl: bad USB ID \"12g4:1\" in --usb-id: give the vendor and product "
                    "ID in hex, as VID:PID (for example 1209:ed03)\n"));
}

TEST_F(CtlSession, HelpAndVersion) {
  const auto r = RunCtl({"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("Exit codes"), std::string::npos) << r.out;
  EXPECT_EQ(RunCtl({"--version"}).out, "kva7710ctl " KVA_VERSION "\n");
}

}  // namespace
