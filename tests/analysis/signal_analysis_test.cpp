// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/signal_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

namespace kva {
namespace {

// Inclusive band edges, and bin 0 never the peak.
TEST(WelchSpectrum, BandsAndPeakOnAGivenSpectrum) {
  Spectrum s;
  s.binHz = 2;
  s.frequency = {0, 2, 4, 6, 8};
  s.density = {100, 2, 3, 4, 5};
  s.amplitude = {100, 1, 3, 2, 3};
  EXPECT_DOUBLE_EQ(BandRms(s, 2, 6), std::sqrt((2 + 3 + 4) * 2.0));
  EXPECT_DOUBLE_EQ(BandNoiseDensity(s, 2, 6), std::sqrt(3.0));
  EXPECT_DOUBLE_EQ(BandRms(s, 3, 100), std::sqrt((3 + 4 + 5) * 2.0));
  EXPECT_EQ(BandNoiseDensity(s, 2.5, 3.5), 0);
  const SpectrumPeak peak = HighestPeak(s);  // the first of two equal amplitudes
  EXPECT_EQ(std::tuple(peak.bin, peak.frequency, peak.density), std::tuple(2, 4.0, 3.0));
  EXPECT_EQ(HighestPeak(Spectrum{}).bin, -1);
}

TEST(SpectrumCsv, TextAsWritten) {
  Spectrum x, y;
  x.frequency = y.frequency = {0, 0.5, 1};
  x.density = {0, 1.5, 1e-7};
  x.amplitude = {0, 2, 3};
  y.density = {0, 0.25, 4};
  y.amplitude = {0, 5, 6};
  EXPECT_EQ(SpectrumCsvText({"X (g^2/Hz)", "Y (g^2/Hz)"}, {&x, &y}, true, '\t', ','),
            "Frequency (Hz)\tX (g^2/Hz)\tY (g^2/Hz)\r\n"
            "0\t0\t0\r\n"
            "0,5\t1,5\t0,25\r\n"
            "1\t1E-07\t4\r\n");
  EXPECT_EQ(SpectrumCsvText({"X (g)"}, {&x}, false, ',', '.'),
            "Frequency (Hz),X (g)\r\n0,0\r\n0.5,2\r\n1,3\r\n");
}

TEST(AnalysisTexts, DecimalsFollowTheStep) {
  const std::pair<double, int> steps[] = {{0.2, 1}, {0.0514f, 4}, {1, 0},      {0.00488f, 5},
                                          {4, 0},   {0.05, 2},    {1.0 / 3, 6}};
  for (const auto& [step, decimals] : steps) EXPECT_EQ(StepDecimals(step), decimals) << step;

  SignalStats s;
  s.mean = -0.00049, s.stdDev = 0.35355, s.rms = 1.0, s.min = -0.6000000000000001, s.max = 25.4;
  s.peakToPeak = 26.0, s.peakValue = 25.4;
  const SignalStatsTexts t = StatsTexts(s, kCaptureStepG);
  // No "-0.000" for the mean.
  EXPECT_EQ(
      std::vector<std::string>({t.mean, t.stdDev, t.rms, t.min, t.max, t.peakToPeak, t.peakValue}),
      std::vector<std::string>({"0.000", "0.354", "1.000", "-0.6", "25.4", "26.0", "25.4"}));
  for (const auto& [value, digits, text] : {std::tuple{0.000012346, 4, "1.235e-05"},
                                            {123.45678, 4, "123.5"},
                                            {53289.7, 4, "53290"},
                                            {-1234567.0, 3, "-1230000"}})
    EXPECT_EQ(SignificantText(value, digits), text);
}

}  // namespace
}  // namespace kva
