// SPDX-License-Identifier: GPL-3.0-or-later
// The datalog run: chosen output registers read sample after sample into a series of files
// BASE_1.ext, BASE_2.ext, ... The datalog window and kva7710ctl both drive it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/hooks.h"

namespace kva {

inline constexpr int kDatalogSignals = 10;  // check box k logs register index k

struct DatalogSignal {
  const char* caption;   // the check box
  const char* ndTitle;   // column title of the new-data flag
  const char* valTitle;  // column title of the scaled value
};
inline constexpr std::array<DatalogSignal, kDatalogSignals + 1> kDatalogSignalTable{{
    {"", "", ""},
    {"Power Supply", "PvND", "Power V"},
    {"X acceleration", "XaND", "X acc"},
    {"Y acceleration", "YaND", "Y acc"},
    {"Z acceleration", "ZaND", "Z acc"},
    {"Aux_ADC", "ADCND", "Aux_ADC"},
    {"Temperature", "TempND", "Temperature"},
    {"X Peak acceleration", "XpkND", "X acc pk"},
    {"Y Peak acceleration", "YpkND", "Y acc pk"},
    {"Z Peak acceleration", "ZpkND", "Z acc pk"},
    {"XYZ Peak acceleration", "XYZpkND", "XYZ acc pk"},
}};

inline constexpr const char* kDatalogNoSignalMessage =
    "Please check at least one DATA SELECTION box.";
inline constexpr const char* kDatalogDefaultName = "DATALOG";

// The setup boxes' limits.
inline constexpr double kMaxSampleDelayMs = 32000;
inline constexpr int kMaxSamplesPerFile = 65526;
inline constexpr int kMaxFilesPerSession = 2000;

// The change rules of the setup boxes: the text the box holds after an edit. Text that is
// not a number gets the box's default; a number outside the limits becomes the nearest limit.
std::string SampleDelayBoxText(std::string_view text);
std::string SamplesPerFileBoxText(std::string_view text);
std::string FilesPerSessionBoxText(std::string_view text);

// The separator and extension of a run, from the locale's decimal mark: a decimal comma gives
// TAB and ".txt", anything else "," and ".csv".
struct DatalogFormat {
  char separator;
  const char* extension;
};
DatalogFormat DatalogFormatFor(char decimalMark);

// Why a base name cannot be used, or nothing: the files must land in the datalog folder, so an
// empty name, "." and ".." are refused as a name with "/" is ("_1.csv" would be hidden, and
// ".._1.csv" looks like a way out of the folder).
std::optional<std::string> DatalogNameProblem(std::string_view baseName);

// dir / "BASE_f.ext".
std::filesystem::path DatalogFilePath(const std::filesystem::path& dir, const std::string& baseName,
                                      int fileNumber, const DatalogFormat& format);

// The system's short date and time texts for a local date and time, in the LC_TIME locale of
// the environment (or the named one).
std::string ShortDateText(const LocalDateTime& t, const char* localeName = nullptr);
std::string LongTimeText(const LocalDateTime& t, const char* localeName = nullptr);

// A number as the files write it: general text (7 significant digits) with the decimal mark.
std::string DatalogNumberText(float value, char decimalMark);

struct DatalogSettings {
  std::array<bool, kDatalogSignals + 1> checked{};  // 1..10
  int samplesPerFile = 1000;                        // 1..65526
  int filesPerSession = 1;                          // 1..2000
  double sampleDelayMs = 0;                         // 0..32000
  std::filesystem::path directory = ".";
  std::string baseName = kDatalogDefaultName;
};

struct DatalogCallbacks {
  std::function<void(int fileNumber)> fileStarted;  // the window shows it in txtFileNum
  std::function<bool()> cancelRequested;            // checked after every sample
  // After every sample, before its yield (the window's progress line).
  std::function<void(int fileNumber, int sample)> sampleTaken{};
};

struct DatalogResult {
  int filesWritten = 0;
  int samplesInLastFile = 0;  // of the last file written
  bool cancelled = false;
  std::optional<std::string> error;  // a file that could not be written (already shown)
};

// Runs the whole series. Each file is opened before its first sample; the run yields after that
// and after each sample. A cancel (or the program ending) makes the current sample the last:
// the current file is still written, holding the samples taken, and the run ends. A file that
// cannot be opened or written is reported through MsgBox with its name and the reason and ends
// the run; files completed before it stay as written.
DatalogResult RunDatalog(const DatalogSettings& settings, const DatalogCallbacks& callbacks = {});

// The folder the datalog window writes to: the one that holds CommPort.cfg, the current folder.
std::filesystem::path DatalogFolder();

}  // namespace kva
