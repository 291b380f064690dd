// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl on the simulated board's bench stimulus (X 0 g, Y 0 g, Z 1 g, 3.30 V, 25.0 C, aux
// 1.00 V): the built program once per interface, the rest as batch lines in this process.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/number_text.h"
#include "sim/sim_ezusb_bus.h"
#include "support/ctl_lines.h"
#include "support/dev_setup.h"
#include "support/temp_dir.h"

namespace {

using namespace kvatest;

struct CtlProgram : ::testing::TestWithParam<const char*> {
  TempDir dir;
};

// Supply 676 counts (02A4, 3.29888 V), Z 19 (0013), temperature 307 (0133), aux 310 (0136). A
// capture: buffers of 128 (CAPT_CFG 0023), 16 samples before the trigger; alarm 1 on Z above
// 100 counts (5.14 g) triggers it and a 20 g shock on Z fires it.
TEST_P(CtlProgram, BatchReadsWritesCapturesAndWatches) {
  auto r = RunCtl({"--simulate", "--interface", GetParam()},
                  "read SUPPLY_OUT xaccl_out 3 ZACCL_OUT Aux_Adc temp_out\n"
                  "write --force PROD_ID 1234\nsim supply 2.5\nsim wait 10\nstatus\n"
                  "sim supply 3.0\nsim aux 1.5\nsim wait 5\nread AUX_ADC\n"
                  "watch --count 2 --delay 20\nsim supply 3.3\nsim aux 1\n"
                  "write TIME___ 0905\nwrite DATE___ 0415\nwrite CAPT_CFG 0023\n"
                  "write ALM_MAG1 8064\nwrite ALM_CTRL 0410\nsim wait 50\nsim shock z 20 5\n"
                  "sim wait 500\ncapture --out cap.csv\ncapture --tab\ncommand clear-capture\n"
                  "read EVENTS\n");
  ASSERT_EQ(FailureOf(r), Failure(0, ""));
  const std::string file = ReadFileBytes("cap.csv");
  std::string tabbed = file;
  std::replace(tabbed.begin(), tabbed.end(), ',', '\t');
  // A single read scales aux with the start-up 3.3 / 1024 (1.5 V = 512 counts: 1.65 V); a pass
  // with the supply just read (3.0 V = 615 counts, 3.001 V).
  const std::string pass = "3.001,0.000,0.000,0.977,1.501,24.951,0.000,0.000,0.000,0.000,0\n";
  EXPECT_EQ(
      r.out,
      "SUPPLY_OUT\t02A4\t3.299\nXACCL_OUT\t0000\t0.0\nYACCL_OUT\t0000\t0.0\nZACCL_OUT\t0013\t"
      "0.977\nAUX_ADC\t0136\t0.999\nTEMP OUT\t0133\t24.951\nPROD_ID\t1E1E\t7710.0\nSTATUS\t0001\n"
      "Power Supply Low\tAlarm\nPower Supply High\tOK\nBuffer Write Error\tOK\nSPI Error\tOK\n"
      "Self Test Fail\tOK\nChecksum Error\tOK\nBuffer Full\tOK\nAlarm1 Set\tOK\nAlarm2 Set\tOK\n"
      "AUX_ADC\t0200\t1.65\nSUPPLY_OUT,XACCL_OUT,YACCL_OUT,ZACCL_OUT,AUX_ADC,TEMP_OUT,X_PEAK_OUT,"
      "Y_PEAK_OUT,Z_PEAK_OUT,XYZ_PEAK_OUT,EVENTS\n" +
          pass + pass +
          "TIME___\t0905\t2309.0\nDATE___\t0415\t1045.0\nCAPT_CFG\t0023\t35.0\n"
          "ALM_MAG1\t8064\t32868.0\nALM_CTRL\t0410\t1040.0\n" +
          tabbed + "EVENTS\t0000\t0.0\n");

  // The trigger sample (the 17th) is above the level; the header's readout: temp (307 - 205)
  // x 0.244, supply 676 x 0.00488, aux 310 counts at (supply / 1024).
  EXPECT_GT(std::stod(SplitLines(file, "\r\n").at(20).substr(4)), 5.14);
  EXPECT_NE(file.find(",905,415,24.888,3.29888,0.998684405349195\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothInterfaces, CtlProgram, ::testing::Values("parallel", "usb"));

struct CtlLines : ProgramStateTest {
  TempDir dir;
};

// Each stimulus command by its name: what the outputs read after it. The demo scenario's
// shocks (seeded) land on Y first; the bench has none.
TEST_F(CtlLines, SimCommandsDriveTheBoard) {
  const std::string kPeakTracking =
      "MISC_CTRL\t4000\ndata-ready-line\tdio1\ndata-ready-polarity\tlow\ndata-ready\toff\n"
      "self-test\toff\npower-up-test\ton\npeak-tracking\ton\nsum-of-squares\toff\n";
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {
      {"sim temp 50\nsim wait 10\nread TEMP_OUT", "TEMP OUT\t019A\t50.098\n"},
      {"sim supply 3.0\nsim wait 10\nread SUPPLY_OUT", "SUPPLY_OUT\t0267\t3.001\n"},
      {"sim aux 2\nsim wait 10\nread AUX_ADC", "AUX_ADC\t026D\t2.001\n"},
      {"sim accel -1 -0.5 2\nsim wait 10\nread 2 3 4",
       "XACCL_OUT\tFFED\t-0.977\nYACCL_OUT\tFFF6\t-0.514\nZACCL_OUT\t0027\t2.005\n"},
      {"sim shock y 10 5\nmisc peak-tracking=on\nsim wait 50\nread Y_PEAK_OUT",
       kPeakTracking + "Y_PEAK OUT\t00C1\t9.65\n"},
      {"misc peak-tracking=on\nsim scenario demo\nsim wait 7000\nread 7 8 9\n"
       "sim scenario bench\ncommand reset-peaks\nsim wait 7000\nread 7 8 9",
       kPeakTracking + "X_PEAK OUT\t0005\t0.25\nY_PEAK OUT\tFE6B\t-20.25\nZ_PEAK_OUT\t0017\t1.15\n"
                       "X_PEAK OUT\t0000\t0.0\nY_PEAK OUT\t0000\t0.0\nZ_PEAK_OUT\t0014\t1.0\n"},
      {"sim vibration x 50 5\nsim wait 3\nread 2\nsim wait 4\nread 2\nsim vibration off\n"
       "sim wait 3\nread 2", "XACCL_OUT\t004D\t3.958\nXACCL_OUT\t0052\t4.215\nXACCL_OUT\t0000\t0.0\n"},
      {"sim noise y 100000\nsim wait 3\nread 3\nsim wait 3\nread 3\nsim noise y 0\nsim wait 3\n"
       "read 3", "YACCL_OUT\tFFD4\t-2.262\nYACCL_OUT\t001D\t1.491\nYACCL_OUT\t0000\t0.0\n"},
  };
  // clang-format on
  for (const auto& [lines, out] : rows) {
    const auto r = RunLines(lines + "\n");
    EXPECT_EQ(std::tuple(r.code, r.err, r.out), std::tuple(0, "", out)) << lines;
  }
}

// The write frames (bit 15 set) of the exchange packets the adapter is sent for one command.
TEST_F(CtlLines, DeviceCommandsWriteTheirCommandWord) {
  const std::pair<const char*, const char*> rows[] = {
      {"auto-null", "CB00 CA01 "},    {"factory-cal", "CB00 CA02 "},
      {"power-down", "CB00 CA04 "},   {"power-up", "CB01 CA00 "},
      {"flash-update", "CB00 CA08 "}, {"clear-alarms", "CB00 CA10 "},
      {"reset-peaks", "CB00 CA20 "},  {"clear-capture", "CB00 CA40 "},
      {"self-test-on", "C701 C600 "}, {"self-test-off", "C700 C600 "},
  };
  for (const auto& [name, expected] : rows) {
    std::string frames;
    RunLines(std::string("status\ncommand ") + name + "\nstatus\n", Simulated(),
             [&frames](int line) {
               auto* bus = dynamic_cast<kva::sim::SimEzUsbBus*>(kva::CurrentEzUsbDriver());
               if (bus == nullptr) return;
               for (const auto& p : bus->Packets(0))
                 for (size_t at = 3; line == 3 && p[0] == 0x0D && at + 1 < p.size(); at += 2)
                   if (p[at] & 0x80) frames += kva::Hex4(p[at] << 8 | p[at + 1]) + " ";
               bus->SetLogging(line == 2);
               bus->ClearLog();
             });
    EXPECT_EQ(frames, expected) << name;
  }
}

// Bad input of every command, refused with its reason and the usage exit code.
TEST_F(CtlLines, BadInputIsRefusedWithItsReason) {
  const std::string dl = "datalog --samples 1 --files 1 --signals ";
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {
      {"read NOPE", "unknown register: NOPE"},
      {"read 40", "register index must lie in 0..39, not 40"},
      {"write SMPL_PRD 12345", "the value must be one to four hex digits, not 12345"},
      {"write SMPL_PRD 12G4", "the value must be one to four hex digits, not 12G4"},
      {"write PROD_ID 1234", "PROD_ID is not writable (--force writes it all the same)"},
      {"command launch", "unknown device command: launch"},
      {"sim scenario moon", "unknown scenario: moon (bench or demo)"},
      {"sim accel 1 nan 1", "Y must be a number, not nan"},
      {"sim shock w 1 1", "AXIS must be x, y or z, not w"},
      {"sim shock x 1 0", "MS must be above 0"},
      {"sim vibration x 0 1", "HZ must be above 0"},
      {"sim vibration x 50", "vibration takes AXIS HZ G, or off"},
      {"sim noise x -1", "UG must not be negative"},
      {"sim temp warm", "C must be a number, not warm"},
      {"sim wait -1", "MS must lie in 0..86400000"},
      {dl + "1,11", "--signals takes indices 1..10 separated by commas, not 1,11"},
      {dl + "1,", "--signals takes indices 1..10 separated by commas, not 1,"},
      {dl + "1 --name ..", "--name must be a file name without a folder, not \"..\""},
      {dl + "1 --name a/b", "--name must be a file name without a folder, not \"a/b\""},
      {"alarm 1 x 5 greater",
       "unknown alarm source: x (Disabled, Supply V, X_Acc, Y_Acc, Z_Acc, Aux_ADC, "
                              "Temperature, XYZ_PK_OUT, Clock Alarm)"},
      {"alarm 2 X_Acc 5 above", "POLARITY must be less or greater, not above"},
      {"alarm-output on DIO2 high", "LINE must be DIO0 or DIO1, not DIO2"},
      {"misc peak-tracking=yes", "peak-tracking must be off or on, not yes"},
      {"gpio dio2=out",
       "unknown setting: dio2=out (NAME=WORD, NAME one of dio0, dio1, dio0-level, dio1-level)"},
      {"spi 12345", "a WORD is one to four hex digits, not 12345"},
      {"spi-setup --bits 7F", "--bits takes the sum of CS2 08, CS3 10, CS4 20 and CS5 40, not 7F"},
      {"trigger set --length 100", "--length must be 1024, 512, 256, 128, 64, 32, 16 or 8, not 100"},
      {"watch --delay 1001", "--delay: Value 1001 not in range 0.000000 to 1000.000000"},
      {"watch --delay nan", "--delay: Value nan is not a number"},
      {"watch --count 0", "--count: Value 0 not in range 1 to 100000000"},
      {"rate nan", "RATE: Value nan is not a number"},
      {"rate 5000", "RATE: Value 5000 not in range 0.500000 to 4096.000000"},
      {"offsets --x 7000", "--x: Value 7000 not in range -6579.200000 to 6527.800000"},
      {"offsets --x nan", "--x: Value nan is not a number"},
      {"datalog --signals 1 --samples 65527 --files 1",
       "--samples: Value 65527 not in range 1 to 65526"},
      {"datalog --signals 1 --samples 1 --files 2001",
       "--files: Value 2001 not in range 1 to 2000"},
      {dl + "1 --delay nan", "--delay: Value nan is not a number"},
      {"spi --channel 5 1", "--channel: Value 5 not in range 1 to 4"},
      {"spi 0 1 2 3 4 5 6 7 8 9 A B C D E F 10", "WORD: At Most 16 required but received 17"},
      {"fly away", "A subcommand is required"},
  };
  // clang-format on
  for (const auto& [line, reason] : rows) {
    EXPECT_EQ(FailureOf(RunLines("status\n" + line + "\n")), Failure(2, "line 2: " + reason + "\n"))
        << line;
  }
}

// A number too large for a double is taken as any number above the limit: each command says
// and does what it does for 99999 (or -99999).
TEST_F(CtlLines, NumbersBeyondADoubleMeetEachCommandsLimit) {
  const auto withNumber = [](std::string line, const std::string& number) {
    return line.replace(line.find('#'), 1, number) + "\n";
  };
  for (const char* line :
       {"alarm 1 X_Acc # greater", "alarm 2 Z_Acc -# less",
        "trigger set --source1 x_acc --level1 #", "trigger set --source2 temperature --level2 -#",
        "rate #", "offsets --x -#", "sim wait #0000", "sim accel # 0 1", "watch --delay #",
        "datalog --signals 1 --files 1 --samples #", "spi-setup --delay #"}) {
    const auto big = RunLines(withNumber(line, "1e999"));
    auto limit = RunLines(withNumber(line, "99999"));
    for (std::string* text : {&limit.out, &limit.err})
      for (size_t at; (at = text->find("99999")) != std::string::npos;)
        text->replace(at, 5, "1e999");
    EXPECT_EQ(std::tie(big.code, big.out, big.err), std::tie(limit.code, limit.out, limit.err))
        << line;
  }
}

TEST_F(CtlLines, DatalogWritesItsFilesAndRefusesAPathBeforeSampling) {
  std::filesystem::create_directory("logs");
  const auto r =
      RunLines("datalog --signals 1,2,5 --samples 3 --files 2 --delay 2 --name T --dir logs\n");
  ASSERT_EQ(std::tuple(r.code, r.err, r.out), std::tuple(0, "", "logs/T_1.csv\nlogs/T_2.csv\n"));
  // 2 ms between samples is more than one sample period, so every value is new.
  const std::string row = ",1,3.29888,1,0,1,0.9986843,\r\n";
  for (const std::string name : {"T_1.csv", "T_2.csv"}) {
    const std::string file = ReadFileBytes(dir.path() / "logs" / name);
    EXPECT_TRUE(file.starts_with("File Name," + name + "\r\nDate,") &&
                file.ends_with(" \r\nSample #,PvND,Power V,XaND,X acc,ADCND,Aux_ADC,\r\n1" + row +
                               "2" + row + "3" + row))
        << file;
  }
  // Without the early refusal this run would first take 65526 samples.
  const std::string n(250, 'L'), e = "Could not write ./" + n + "_1.csv: File name too long\n";
  const auto big = "datalog --signals 1,2,3,4,5,6,7,8,9,10 --samples 65526 --files 1 --name " + n;
  EXPECT_EQ(FailureOf(RunLines(big + "\n")), Failure(4, e + "line 1: " + e));
}

// The interface from CommPort.cfg unless an option gives it; options the session refuses.
TEST_F(CtlLines, InterfaceFromSettingsFileAndRefusedOptions) {
  kva::ctl::GlobalOptions none;
  EXPECT_EQ(FailureOf(RunLines("read 1\n", none)),
            Failure(2, "line 1: Please select an interface before taking data\n"));
  EXPECT_TRUE(RunLines("udev-rule\n", none)  // needs no interface
                  .out.ends_with("ATTR{idProduct}==\"ef00\", TAG+=\"uaccess\"\n"));
  EXPECT_EQ(FailureOf(RunLines("sim wait 5\n", none)),
            Failure(2, "line 1: sim commands need --simulate\n"));
  WriteFileBytes("CommPort.cfg", "Interface =  1 \r\nPort Address =  0 \r\nFactory =  0 \r\n");
  auto options = Simulated("");
  EXPECT_EQ(RunLines("read 4\n", options).out, "ZACCL_OUT\t0013\t0.977\n");  // no address: 378
  options.port = "80";  // below 100 (hex) never a parallel port
  auto r = RunLines("read 1\n", options);
  EXPECT_TRUE(r.code == 3 && r.err.find("no access to the parallel port at 80") != r.err.npos)
      << r.err;
  std::vector<kva::ctl::GlobalOptions> refused(4, Simulated());
  refused[0].port = "12345";
  refused[1].vcd = "bus.vcd";  // the trace is of the parallel port
  refused[2].interface = "parallel", refused[2].adapter = 0;
  refused[3].interface = "serial";
  for (const auto& o : refused) EXPECT_EQ(RunLines("read 1\n", o).code, 2) << o.interface;
  options = Simulated("parallel"), options.vcd = "bus.vcd";  // a trace through the whole session
  EXPECT_EQ(FailureOf(RunLines("read 4\n", options)), Failure(0, ""));
  EXPECT_TRUE(ReadFileBytes("bus.vcd").starts_with("$version KVA7710 evaluation program"));
  options = Simulated();
  options.simulate = false;  // and this machine has no adapter
  r = RunLines("read 1\n", options);
  EXPECT_EQ(r.code, 3);
#ifdef KVA_HAVE_LIBUSB
  EXPECT_EQ(
      r.err,
      "No USB Buffers Found, Please Verify Setup and Restart\nline 1: no USB adapter ready\n");
#endif
}

}  // namespace
