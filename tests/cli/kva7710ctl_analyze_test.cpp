// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl analyze on files the tests write and on a datalog the tool logs itself.
#include <gtest/gtest.h>

#include "support/ctl_lines.h"
#include "support/temp_dir.h"

namespace {

using kvatest::Failure;
using kvatest::FailureOf;

// Two events of 58 samples: X a 25 Hz sine of 0.4 g at 100 samples/s, Y -0.2 g with one spike
// of 1 g at sample 70, Z a 12.5 Hz square wave between 1.0 and 1.2 g.
std::string SmallCaptureFile() {
  std::string text;
  const char* xs[] = {"0", "0.4", "0", "-0.4"};
  for (int e = 1, n = 1; e <= 2; ++e) {
    text += "\r\nEvent #,XYZ,Time,Date,Temp,Voltage,Aux\r\n" + std::to_string(e) +
            ",2.5,1234,415,24.5,3.3,0.5\r\nXg,Yg,Zg\r\n";
    for (int j = 1; j <= 58; ++j, ++n) {
      text += std::string(xs[(n - 1) % 4]) + "," + (n == 70 ? "1" : "-0.2") + "," +
              ((n - 1) % 8 < 4 ? "1" : "1.2") + "\r\n";
    }
  }
  return text;
}

class CtlAnalyze : public kvatest::ProgramStateTest {
 protected:
  void SetUp() override {
    ProgramStateTest::SetUp();
    kvatest::WriteFileBytes("cap.csv", SmallCaptureFile());
  }
  kvatest::TempDir dir;
};

TEST_F(CtlAnalyze, CaptureFileStatisticsSpectrumAndFiles) {
  auto r =
      kvatest::RunLines("analyze cap.csv --rate 100 --segment 256 --spectrum-out sp.txt\n", {});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "file\tcap.csv\tcapture\t2 events\nrate\t100 samples/s\tfrom --rate\n"
            "spectrum\t256-sample segments\t1 segment\tbin 0.390625 Hz\tHann window, 50 % overlap\n"
            "band\t0.390625 .. 50 Hz\ncolumn\tX\tY\tZ\nunit\tg\tg\tg\nsamples\t116\t116\t116\n"
            "mean\t0.000\t-0.190\t1.097\nstd dev\t0.283\t0.111\t0.100\nrms\t0.283\t0.220\t1.101\n"
            "min\t-0.4\t-0.2\t1.0\nmax\t0.4\t1.0\t1.2\npeak-to-peak\t0.8\t1.2\t0.2\n"
            "peak\t0.4\t1.0\t1.2\npeak sample\t2\t70\t5\npeak time (s)\t0.01\t0.69\t0.04\n"
            "spectrum peak (Hz)\t25\t1.95312\t12.5\nspectrum peak amplitude\t0.4\t0.03793\t0.1307\n"
            "noise density (u/sqrt(Hz))\t40000\t23350\t14150\nband rms\t0.2828\t0.1651\t0.1\n");
  const std::string spectrum = kvatest::ReadFileBytes("sp.txt");
  EXPECT_EQ(spectrum.substr(0, 51), "Frequency (Hz)\tX (g^2/Hz)\tY (g^2/Hz)\tZ (g^2/Hz)\r\n0\t");
  EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 1 + 129);

  // Event 2 alone, at the default rate: X's peak is its second sample, Y's spike its 12th.
  kva::ctl::GlobalOptions json;
  json.json = true;
  r = kvatest::RunLines("analyze cap.csv --event 2 --band 20:30\n", json);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
  EXPECT_TRUE(r.out.starts_with(
      R"({"file":"cap.csv","kind":"capture","events":2,"event":2,"rate":1024,"rateSource":"default",)"
      R"("fixedClock":true,"segmentLength":1024,"segments":1,"binHz":1,"band":[20,30],"columns":)"
      R"([{"name":"X","unit":"g","samples":58,)"))
      << r.out;
  EXPECT_NE(r.out.find(R"("peak":{"value":1,"sample":12,"time":0.0107421875},"spectrumPeak":{)"),
            std::string::npos);
}

// The datalog writer's TAB and decimal-comma form, chosen from LANG, read back by the same run.
TEST(CtlAnalyzeProgram, DatalogTheToolLoggedWithADecimalComma) {
  kvatest::TempDir dir;
  const auto r = kvatest::RunCtl({"--simulate", "--interface", "usb"},
                                 "datalog --signals 2,4 --samples 300 --files 1\n"
                                 "analyze DATALOG_1.txt --rate 100 --segment 256\n",
                                 {{"LANG", "de_DE.UTF-8"}});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(kvatest::ReadFileBytes("DATALOG_1.txt").ends_with("\t0\t0,9766\t\r\n"));
  EXPECT_TRUE(r.out.starts_with("./DATALOG_1.txt\nfile\tDATALOG_1.txt\tdatalog\n")) << r.out;
  EXPECT_NE(
      r.out.find(
          "\ncolumn\tX acc\tZ acc\nunit\tg\tg\nsamples\t300\t300\nmean\t0.000000\t0.976600\n"),
      std::string::npos)
      << r.out;
}

TEST_F(CtlAnalyze, Refusals) {
  kvatest::WriteFileBytes("bad.txt",
                          "\r\nEvent #\tXYZ\tTime\tDate\tTemp\tVoltage\tAux\r\n"
                          "1\t0\t0\t0\t0\t0\t0\r\nXg\tYg\tZg\r\n0,2\t0\t1;0\r\n");
  // clang-format off
  const std::pair<const char*, std::string> cases[] = {
      {"bad.txt", "bad.txt, line 5: not a number: \"1;0\"\n"},
      {"none.csv", "cannot read none.csv: No such file or directory\n"},
      {"cap.csv --segment 1000", "--segment must be 256, 512, 1024, 2048, 4096 or 8192, not 1000\n"},
      {"cap.csv --band 30:20", "--band needs 0 <= LO < HI, not 30:20\n"},
      {"cap.csv --band 10", "--band must be LO:HI in Hz, not 10\n"},
      {"cap.csv --band 600:700",
       "--band 600:700 holds no bin of the spectrum (one every 1 Hz up to 512 Hz)\n"},
      {"cap.csv --event 3", "--event must lie in 1..2\n"},
  };
  // clang-format on
  for (const auto& [args, message] : cases) {
    const auto r = kvatest::RunLines("analyze " + std::string(args) + "\n", {});
    EXPECT_EQ(FailureOf(r), Failure(2, "line 1: " + message)) << args;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
