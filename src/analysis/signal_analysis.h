// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics and spectra of sampled acceleration: what the capture analysis window and
// `kva7710ctl analyze` show. Values are in g, frequencies in Hz.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace kva {

struct SignalStats {
  int count = 0;
  double mean = 0, stdDev = 0, rms = 0, min = 0, max = 0, peakToPeak = 0;  // g
  int peakIndex = -1;    // sample with the largest |x - 0| (the peak), -1 when empty
  double peakValue = 0;  // g, signed
};
// Two-pass mean and (population) standard deviation.
SignalStats ComputeSignalStats(std::span<const double> x);

// One-sided Welch estimate: Hann window, 50 % overlap, each segment's mean removed.
// segmentLength is one of kWelchSegmentLengths; a record shorter than it is analysed as one
// zero-padded segment (segments == 1). sampleRate > 0.
inline constexpr int kWelchSegmentLengths[] = {256, 512, 1024, 2048, 4096, 8192};
struct Spectrum {
  double sampleRate = 0;  // samples/s
  int segmentLength = 0;
  int segments = 0;
  double binHz = 0;               // sampleRate / segmentLength
  std::vector<double> frequency;  // Hz, bins 0 .. segmentLength / 2
  std::vector<double> density;    // g^2/Hz, one-sided power spectral density
  std::vector<double>
      amplitude;  // g, amplitude of a sine at the bin (Hann coherent gain corrected)
};
Spectrum WelchSpectrum(std::span<const double> x, double sampleRate, int segmentLength);

struct SpectrumPeak {
  int bin = -1;
  double frequency = 0, amplitude = 0, density = 0;
};
SpectrumPeak HighestPeak(const Spectrum& s);  // largest amplitude above bin 0

// RMS (g) over [loHz, hiHz], integrated from the density; and the band's noise density as
// sqrt(mean density) in g/sqrt(Hz) (multiply by 1e6 for ug/sqrt(Hz)).
double BandRms(const Spectrum& s, double loHz, double hiHz);
double BandNoiseDensity(const Spectrum& s, double loHz, double hiHz);

// The spectrum as CSV text for "Save Spectrum..." and `--spectrum-out`: header line
// "Frequency (Hz)" then one column per axis named, lines ended by CR LF, the separator and
// decimal mark as the capture file uses them.
std::string SpectrumCsvText(const std::vector<std::string>& names,
                            const std::vector<const Spectrum*>& spectra, bool density,
                            char separator, char decimalMark);

// The texts the analysis window and `kva7710ctl analyze` show alike.
// The capture memory's step: 8-bit samples of 0.2 g.
inline constexpr double kCaptureStepG = 0.2;
// Decimals that show values on a grid of this step exactly (0.2 -> 1, 0.0514 -> 4), at most 6.
int StepDecimals(double step);
// value with that many decimals, "." as the mark ("-0.2", "0.013").
std::string FixedText(double value, int decimals);
// value to that many significant digits without trailing zeros ("0.5", "123.5", "1.235e-05").
std::string SignificantText(double value, int digits = 4);

// The statistics of samples on a grid of `step`: minimum, maximum, peak-to-peak and the peak
// lie on the grid and show its decimals; mean, standard deviation and RMS average many
// samples and resolve finer, so they show two more.
struct SignalStatsTexts {
  std::string mean, stdDev, rms, min, max, peakToPeak, peakValue;
};
SignalStatsTexts StatsTexts(const SignalStats& s, double step);

}  // namespace kva
