// SPDX-License-Identifier: GPL-3.0-or-later
// The capture buffer file that the capture window's "Save to File" button writes: one block
// per stored event (header line, its values, then X, Y, Z per sample), lines ended by CR LF.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kva {

// ".csv" with "," between fields, or ".txt" with TAB.
struct CaptureFileFormat {
  char separator;
  const char* extension;
};
inline constexpr CaptureFileFormat kCaptureCsv{',', ".csv"};
inline constexpr CaptureFileFormat kCaptureTxt{'\t', ".txt"};

// The decimal mark numbers are written with: the locale's, except that a "," file never gets
// a decimal comma (it could not be split back into its fields).
char CaptureFileDecimalMark(char separator, char localeMark);

// The file's whole text from the capture arrays: min(CaptureEventsStored, N) event blocks.
std::string CaptureFileText(char separator, char decimalMark);

// The folder the capture window saves to: the program's own, the one that holds CommPort.cfg
// (the current folder).
std::filesystem::path CaptureFolder();

// dir / (base name + extension).
std::filesystem::path CaptureFilePath(const std::filesystem::path& dir, const std::string& baseName,
                                      const CaptureFileFormat& format);

// Writes the capture file with the locale's decimal mark, replacing the file atomically.
// Returns an error text naming the file and the reason, or nothing on success.
std::optional<std::string> WriteCaptureFile(const std::filesystem::path& path, char separator);

}  // namespace kva
