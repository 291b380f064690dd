// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands_analyze.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <tuple>

#include "analysis/analysis_file.h"
#include "analysis/signal_analysis.h"
#include "app/number_text.h"
#include "capture/capture_file.h"
#include "cli/commands.h"
#include "cli/ctl_error.h"
#include "cli/json_values.h"
#include "cli/session.h"
#include "config/sample_period.h"
#include "device/register_map.h"

namespace kva::ctl {
namespace {

struct ColumnResult {
  std::string name;
  const char* unit;  // nullptr for a plain count
  double step;       // the grid the samples lie on
  SignalStats stats;
  Spectrum spectrum;
  SpectrumPeak peak;
  double noiseDensity, bandRms;
};

struct Analysis {
  AnalysisFileKind kind;
  int events = 0;  // capture
  std::optional<int> event;
  double rate = 0;
  const char* rateSource;  // "option", "default" or "datalog"
  std::string rateNote;
  double lo = 0, hi = 0;
  std::vector<ColumnResult> columns;
};

AnalysisFile ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::string text;
  if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in || in.bad()) BadInput("cannot read " + name + ": " + std::strerror(errno));
  AnalysisFile file = ReadAnalysisFile(text);
  if (!file.ok()) BadInput(name + ", line " + std::to_string(file.errorLine) + ": " + file.error);
  return file;
}

std::pair<double, double> ParseBand(const std::string& text) {
  const auto number = [](std::string_view part, double& value) {
    const auto res = std::from_chars(part.data(), part.data() + part.size(), value);
    return !part.empty() && res.ec == std::errc() && res.ptr == part.data() + part.size() &&
           std::isfinite(value);
  };
  const size_t colon = text.find(':');
  double lo = 0, hi = 0;
  if (colon == std::string::npos || !number(std::string_view(text).substr(0, colon), lo) ||
      !number(std::string_view(text).substr(colon + 1), hi)) {
    BadInput("--band must be LO:HI in Hz, not " + text);
  }
  if (lo < 0 || hi <= lo) BadInput("--band needs 0 <= LO < HI, not " + text);
  return {lo, hi};
}

Analysis Analyze(const AnalyzeRequest& r) {
  if (std::find(std::begin(kWelchSegmentLengths), std::end(kWelchSegmentLengths), r.segment) ==
      std::end(kWelchSegmentLengths)) {
    BadInput("--segment must be 256, 512, 1024, 2048, 4096 or 8192, not " +
             std::to_string(r.segment));
  }
  const AnalysisFile file = ReadFile(r.file);
  Analysis a;
  a.kind = file.kind;
  a.events = static_cast<int>(file.eventStarts.size());
  a.event = r.event;
  if (r.event && (file.kind != AnalysisFileKind::Capture || *r.event > a.events)) {
    BadInput(file.kind == AnalysisFileKind::Capture
                 ? "--event must lie in 1.." + std::to_string(a.events)
                 : std::string("--event needs a capture file"));
  }

  if (r.rate) {
    a.rate = *r.rate;
    a.rateSource = "option";
    a.rateNote = "from --rate";
  } else if (file.kind == AnalysisFileKind::Capture) {
    a.rate = RateForSmplPrd(kResetSmplPrd);
    a.rateSource = "default";
    a.rateNote = "the sensor's rate after reset (SMPL_PRD " + Hex4(kResetSmplPrd) +
                 "): a capture file does not hold SMPL_PRD, --rate sets it";
  } else {
    a.rate = DatalogSampleRate(file);
    a.rateSource = "datalog";
    if (a.rate <= 0) {
      BadInput(r.file +
               ": End Seconds equals Begin Seconds, so the sample rate is unknown "
               "(--rate sets it)");
    }
    a.rateNote = std::to_string(file.samples()) +
                 " samples over End Seconds - Begin Seconds: a datalog has no fixed clock, "
                 "--rate sets it";
  }

  const double binHz = a.rate / r.segment;
  std::tie(a.lo, a.hi) = r.band.empty() ? std::pair{binHz, a.rate / 2} : ParseBand(r.band);
  // The bins' frequencies as the spectrum computes them.
  bool binInBand = false;
  for (int k = 0; k <= r.segment / 2 && !binInBand; ++k) {
    binInBand = k * binHz >= a.lo && k * binHz <= a.hi;
  }
  if (!binInBand) {
    BadInput("--band " + r.band + " holds no bin of the spectrum (one every " +
             SignificantText(binHz, 6) + " Hz up to " + SignificantText(a.rate / 2, 6) + " Hz)");
  }

  size_t begin = 0, end = file.samples();
  if (r.event) {
    begin = file.eventStarts[static_cast<size_t>(*r.event - 1)];
    if (static_cast<size_t>(*r.event) < file.eventStarts.size())
      end = file.eventStarts[static_cast<size_t>(*r.event)];
    if (end == begin) BadInput("event " + std::to_string(*r.event) + " holds no samples");
  }
  for (const AnalysisColumn& column : file.columns) {
    ColumnResult c;
    c.name = column.name;
    const bool capture = file.kind == AnalysisFileKind::Capture;
    c.unit = capture ? "g" : RegisterUnit(column.registerIndex);
    c.step = capture || column.registerIndex == 0
                 ? kCaptureStepG
                 : State().registers.RegisterMap[column.registerIndex].RegScale;
    const std::span<const double> x(column.values.data() + begin, end - begin);
    c.stats = ComputeSignalStats(x);
    c.spectrum = WelchSpectrum(x, a.rate, r.segment);
    c.peak = HighestPeak(c.spectrum);
    c.noiseDensity = BandNoiseDensity(c.spectrum, a.lo, a.hi);
    c.bandRms = BandRms(c.spectrum, a.lo, a.hi);
    a.columns.push_back(std::move(c));
  }
  return a;
}

// Time of a sample counted from the record's first (sample 1 at 0 s).
double SampleTime(const Analysis& a, int index) { return index / a.rate; }

std::string AnalysisText(const Analysis& a, const std::string& fileName) {
  const ColumnResult& first = a.columns.front();
  const bool capture = a.kind == AnalysisFileKind::Capture;
  std::string text = "file\t" + fileName + "\t" + (capture ? "capture" : "datalog");
  if (a.event) {
    text += "\tevent " + std::to_string(*a.event) + " of " + std::to_string(a.events);
  } else if (capture) {
    text += "\t" + std::to_string(a.events) + (a.events == 1 ? " event" : " events");
  }
  text += "\nrate\t" + SignificantText(a.rate, 6) + " samples/s\t" + a.rateNote + "\n";
  const int segments = first.spectrum.segments;
  text += "spectrum\t" + std::to_string(first.spectrum.segmentLength) + "-sample segments\t" +
          std::to_string(segments) + (segments == 1 ? " segment" : " segments") + "\tbin " +
          SignificantText(first.spectrum.binHz, 6) + " Hz\tHann window, 50 % overlap\n";
  text += "band\t" + SignificantText(a.lo, 6) + " .. " + SignificantText(a.hi, 6) + " Hz\n";

  const auto row = [&](const char* title, auto value) {
    text += title;
    for (const ColumnResult& c : a.columns) text += "\t" + value(c);
    text += "\n";
  };
  const auto stat = [](auto member) {
    return [member](const ColumnResult& c) { return StatsTexts(c.stats, c.step).*member; };
  };
  row("column", [](const ColumnResult& c) { return c.name; });
  row("unit", [](const ColumnResult& c) { return std::string(c.unit ? c.unit : ""); });
  row("samples", [](const ColumnResult& c) { return std::to_string(c.stats.count); });
  row("mean", stat(&SignalStatsTexts::mean));
  row("std dev", stat(&SignalStatsTexts::stdDev));
  row("rms", stat(&SignalStatsTexts::rms));
  row("min", stat(&SignalStatsTexts::min));
  row("max", stat(&SignalStatsTexts::max));
  row("peak-to-peak", stat(&SignalStatsTexts::peakToPeak));
  row("peak", stat(&SignalStatsTexts::peakValue));
  row("peak sample", [](const ColumnResult& c) { return std::to_string(c.stats.peakIndex + 1); });
  row("peak time (s)",
      [&a](const ColumnResult& c) { return SignificantText(SampleTime(a, c.stats.peakIndex), 6); });
  row("spectrum peak (Hz)",
      [](const ColumnResult& c) { return SignificantText(c.peak.frequency, 6); });
  row("spectrum peak amplitude",
      [](const ColumnResult& c) { return SignificantText(c.peak.amplitude); });
  row("noise density (u/sqrt(Hz))",
      [](const ColumnResult& c) { return SignificantText(c.noiseDensity * 1e6); });
  row("band rms", [](const ColumnResult& c) { return SignificantText(c.bandRms); });
  return text;
}

std::string AnalysisJson(const Analysis& a, const std::string& fileName) {
  const Spectrum& s = a.columns.front().spectrum;
  JsonWriter json;
  json.BeginObject()
      .Field("file", fileName)
      .Field("kind", a.kind == AnalysisFileKind::Capture ? "capture" : "datalog");
  if (a.kind == AnalysisFileKind::Capture) json.Field("events", a.events);
  json.Field("event", a.event)
      .Field("rate", a.rate)
      .Field("rateSource", a.rateSource)
      .Field("fixedClock", a.kind == AnalysisFileKind::Capture)
      .Field("segmentLength", s.segmentLength)
      .Field("segments", s.segments)
      .Field("binHz", s.binHz)
      .Key("band")
      .BeginArray()
      .Real(a.lo)
      .Real(a.hi)
      .EndArray()
      .Key("columns")
      .BeginArray();
  for (const ColumnResult& c : a.columns) {
    json.BeginObject()
        .Field("name", c.name)
        .Unit(c.unit)
        .Field("samples", c.stats.count)
        .Field("mean", c.stats.mean)
        .Field("stdDev", c.stats.stdDev)
        .Field("rms", c.stats.rms)
        .Field("min", c.stats.min)
        .Field("max", c.stats.max)
        .Field("peakToPeak", c.stats.peakToPeak)
        .Key("peak")
        .BeginObject()
        .Field("value", c.stats.peakValue)
        .Field("sample", c.stats.peakIndex + 1)
        .Field("time", SampleTime(a, c.stats.peakIndex))
        .EndObject()
        .Key("spectrumPeak")
        .BeginObject()
        .Field("frequency", c.peak.frequency)
        .Field("amplitude", c.peak.amplitude)
        .Field("density", c.peak.density)
        .EndObject()
        .Field("noiseDensity", c.noiseDensity * 1e6)
        .Field("bandRms", c.bandRms)
        .EndObject();
  }
  json.EndArray().EndObject();
  return json.Document();
}

// The spectrum file: ".txt" gets TAB and the locale's decimal mark, anything else ",".
std::string SpectrumFileText(const Analysis& a, const std::string& outName, bool amplitude) {
  const std::string ext = Lower(std::filesystem::path(outName).extension().string());
  const char separator = ext == ".txt" ? '\t' : ',';
  std::vector<std::string> names;
  std::vector<const Spectrum*> spectra;
  for (const ColumnResult& c : a.columns) {
    const std::string unit = c.unit ? c.unit : "";
    names.push_back(c.name + (amplitude ? " (" + unit + ")" : " (" + unit + "^2/Hz)"));
    spectra.push_back(&c.spectrum);
  }
  return SpectrumCsvText(names, spectra, !amplitude, separator,
                         CaptureFileDecimalMark(separator, LocaleDecimalMark()));
}

}  // namespace

void AddAnalyzeCommand(CLI::App& app, std::string& name, AnalyzeRequest& r) {
  auto* analyze = app.add_subcommand(
      "analyze",
      "Statistics and spectrum of each column of a capture or datalog file: one row per "
      "quantity, one TAB-separated column per signal");
  analyze->callback([&name] { name = "analyze"; });
  analyze->add_option("FILE", r.file, "A capture file or a datalog file (.csv or .txt)")
      ->required();
  analyze->add_option("--band", r.band,
                      "LO:HI in Hz for the noise density and band RMS (default: every bin "
                      "above 0 Hz)");
  analyze->add_option("--segment", r.segment,
                      "Welch segment length: 256, 512, 1024, 2048, 4096 or 8192 (default 1024)");
  analyze
      ->add_option("--rate", r.rate,
                   "Samples per second (default: a capture file 1024, the sensor's rate "
                   "after reset; a datalog its samples over its seconds)")
      ->check(FiniteRange(1e-3, 1e9));
  analyze->add_option("--event", r.event, "Only this event of a capture file (1..)")
      ->check(CLI::Range(1, 1024));
  analyze->add_option("--spectrum-out", r.spectrumOut,
                      "Write the spectrum (frequency, then one column per signal) to this file; "
                      ".txt gets TAB, - prints it");
  analyze->add_flag("--amplitude", r.amplitude,
                    "The spectrum file holds sine amplitudes instead of densities");
}

bool RunAnalyzeCommand(Session& session, const std::string& name, const AnalyzeRequest& r,
                       std::ostream& out) {
  if (name != "analyze") return false;
  const Analysis a = Analyze(r);
  if (!r.spectrumOut.empty()) {
    WriteOutput(r.spectrumOut, SpectrumFileText(a, r.spectrumOut, r.amplitude), out);
  }
  out << (session.json() ? AnalysisJson(a, r.file) : AnalysisText(a, r.file));
  return true;
}

}  // namespace kva::ctl
