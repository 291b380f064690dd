// SPDX-License-Identifier: GPL-3.0-or-later
#include "datalog/datalog_run.h"

#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/delay.h"
#include "app/file_writer.h"
#include "app/number_text.h"
#include "app/run_mode.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/output_pass.h"

namespace kva {
namespace {

// The box rule: not a number gives the default, then the limits are applied in the box's order.
std::string BoxText(std::string_view text, const char* defaultText, double min, double max,
                    bool maxFirst, const char* minText, const char* maxText) {
  if (!IsNumber(text)) return defaultText;
  std::string out(text);
  const auto apply = [&](bool testMax) {
    const double v = LeadingNumber(out);
    if (testMax && v > max) out = maxText;
    if (!testMax && v < min) out = minText;
  };
  apply(maxFirst);
  apply(!maxFirst);
  return out;
}

const char* EnvironmentTimeLocale() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* name = std::getenv(var);
    if (name != nullptr && *name != '\0') return name;
  }
  return "C";
}

std::string FormatLocalTime(const LocalDateTime& t, const char* format, const char* localeName) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  std::tm normalised = tm;
  std::mktime(&normalised);  // fills in the weekday and day of year that some formats use
  tm.tm_wday = normalised.tm_wday;
  tm.tm_yday = normalised.tm_yday;

  locale_t loc =
      newlocale(LC_TIME_MASK, localeName != nullptr ? localeName : EnvironmentTimeLocale(),
                static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) loc = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  char buf[128];
  const size_t n = strftime_l(buf, sizeof buf, format, &tm, loc);
  freelocale(loc);
  return std::string(buf, n);
}

}  // namespace

std::string SampleDelayBoxText(std::string_view text) {
  return BoxText(text, "0", 0, kMaxSampleDelayMs, true, "0", "32000");
}

std::string SamplesPerFileBoxText(std::string_view text) {
  return BoxText(text, "1000", 1, kMaxSamplesPerFile, false, "1", "65526");
}

std::string FilesPerSessionBoxText(std::string_view text) {
  return BoxText(text, "1", 1, kMaxFilesPerSession, false, "1", "2000");
}

DatalogFormat DatalogFormatFor(char decimalMark) {
  return decimalMark == ',' ? DatalogFormat{'\t', ".txt"} : DatalogFormat{',', ".csv"};
}

std::optional<std::string> DatalogNameProblem(std::string_view baseName) {
  if (!baseName.empty() && baseName != "." && baseName != ".." &&
      baseName.find('/') == std::string_view::npos) {
    return std::nullopt;
  }
  return "must be a file name without a folder, not \"" + std::string(baseName) + "\"";
}

std::filesystem::path DatalogFilePath(const std::filesystem::path& dir, const std::string& baseName,
                                      int fileNumber, const DatalogFormat& format) {
  return dir / (baseName + "_" + std::to_string(fileNumber) + format.extension);
}

std::string ShortDateText(const LocalDateTime& t, const char* localeName) {
  return FormatLocalTime(t, "%x", localeName);
}

std::string LongTimeText(const LocalDateTime& t, const char* localeName) {
  return FormatLocalTime(t, "%X", localeName);
}

std::string DatalogNumberText(float value, char decimalMark) {
  std::string text = GeneralText(value);
  if (decimalMark != '.') std::replace(text.begin(), text.end(), '.', decimalMark);
  return text;
}

DatalogResult RunDatalog(const DatalogSettings& settings, const DatalogCallbacks& callbacks) {
  DatalogResult result;
  const char mark = LocaleDecimalMark();
  const DatalogFormat format = DatalogFormatFor(mark);
  const std::string S(1, format.separator);
  const int samples = std::clamp(settings.samplesPerFile, 1, kMaxSamplesPerFile);
  const int files = std::clamp(settings.filesPerSession, 1, kMaxFilesPerSession);
  const double delayMs = std::clamp(settings.sampleDelayMs, 0.0, kMaxSampleDelayMs);

  std::string titles = "Sample #" + S;
  for (int k = 1; k <= kDatalogSignals; ++k) {
    if (settings.checked[static_cast<size_t>(k)]) {
      titles += std::string(kDatalogSignalTable[static_cast<size_t>(k)].ndTitle) + S +
                kDatalogSignalTable[static_cast<size_t>(k)].valTitle + S;
    }
  }

  std::vector<std::string> lines(static_cast<size_t>(samples));
  for (int f = 1; f <= files && !result.cancelled; ++f) {
    if (callbacks.fileStarted) callbacks.fileStarted(f);
    const std::filesystem::path path =
        DatalogFilePath(settings.directory, settings.baseName, f, format);
    // The file is opened before its first sample: a path that cannot be written must not cost
    // a file's worth of sampling first.
    OutputFile file;
    const auto fail = [&](int err) {
      result.error = FileErrorText(path, err);
      MsgBox(*result.error);
    };
    if (const int err = file.Open(path)) {
      fail(err);
      return result;
    }
    Yield();
    if (ProgramEnding()) break;
    const float beginSeconds = Timer();

    int taken = 0;
    for (int s = 1; s <= samples; ++s) {
      std::string line = std::to_string(s) + S;
      for (int k = 1; k <= kDatalogSignals; ++k) {
        if (!settings.checked[static_cast<size_t>(k)]) continue;
        ReadRegister(static_cast<int16_t>(k));
        const float value = State().registers.RegScaledValue;
        line +=
            (State().registers.RegNDBit != 0 ? "1" : "0") + S + DatalogNumberText(value, mark) + S;
        if (k == SUPPLY_OUT) SetAuxScaleFromSupply(value);
      }
      lines[static_cast<size_t>(s - 1)] = std::move(line);
      taken = s;
      if (callbacks.sampleTaken) callbacks.sampleTaken(f, s);
      WaitDelay(delayMs);
      Yield();
      // The program ending stops the run as a cancel does, so the samples taken are kept.
      if (ProgramEnding() || (callbacks.cancelRequested && callbacks.cancelRequested())) {
        result.cancelled = true;
        break;
      }
    }
    const float endSeconds = Timer();

    // Only the samples of this file: a cancelled file must not carry lines of the one before.
    const LocalDateTime now = LocalNow();
    std::string text = "File Name," + path.filename().string() + "\r\n";
    text += "Date" + S + ShortDateText(now) + "\r\n";
    text += "Time" + S + LongTimeText(now) + "\r\n";
    text += "Begin Seconds" + S + DatalogNumberText(beginSeconds, mark) + "\r\n";
    text += "End Seconds" + S + DatalogNumberText(endSeconds, mark) + "\r\n";
    text += " \r\n";
    text += titles + "\r\n";
    for (int s = 1; s <= taken; ++s) text += lines[static_cast<size_t>(s - 1)] + "\r\n";

    file.Write(text);
    if (const int err = file.Commit()) {
      fail(err);
      return result;
    }
    ++result.filesWritten;
    result.samplesInLastFile = taken;
  }
  return result;
}

std::filesystem::path DatalogFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : folder;
}

}  // namespace kva
