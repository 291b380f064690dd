// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/capture_file.h"

#include <algorithm>

#include "app/file_writer.h"
#include "app/number_text.h"
#include "capture/capture_readout.h"

namespace kva {
namespace {

std::string Number(double value, char decimalMark) {
  std::string text = GeneralText(value);
  if (decimalMark != '.') std::replace(text.begin(), text.end(), '.', decimalMark);
  return text;
}

}  // namespace

char CaptureFileDecimalMark(char separator, char localeMark) {
  return separator == ',' && localeMark == ',' ? '.' : localeMark;
}

std::string CaptureFileText(char separator, char decimalMark) {
  const std::string S(1, separator);
  const auto num = [decimalMark](double v) { return Number(v, decimalMark); };
  const int count =
      std::min<int>(State().capture.CaptureEventsStored, State().capture.CaptureBufferCount);
  const int samples = State().capture.CaptureEventLength - kCaptureHeaderWords;
  std::string out;
  for (int e = 1; e <= count; ++e) {
    const CaptureHeader& h = State().capture.CaptureHeaders.at(static_cast<size_t>(e));
    out += "\r\n";
    out += "Event #" + S + "XYZ" + S + "Time" + S + "Date" + S + "Temp" + S + "Voltage" + S +
           "Aux\r\n";
    out += std::to_string(e) + S + num(h.XYZ) + S + num(h.Time) + S + num(h.Date) + S +
           num(h.Temp) + S + num(h.Voltage) + S + num(h.Aux) + "\r\n";
    out += "Xg" + S + "Yg" + S + "Zg\r\n";
    for (int j = 1; j <= samples; ++j) {
      out += num(State().capture.CaptureX(e, j)) + S + num(State().capture.CaptureY(e, j)) + S +
             num(State().capture.CaptureZ(e, j)) + "\r\n";
    }
  }
  return out;
}

std::filesystem::path CaptureFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : folder;
}

std::filesystem::path CaptureFilePath(const std::filesystem::path& dir, const std::string& baseName,
                                      const CaptureFileFormat& format) {
  return dir / (baseName + format.extension);
}

std::optional<std::string> WriteCaptureFile(const std::filesystem::path& path, char separator) {
  return WriteFileAtomically(
      path, CaptureFileText(separator, CaptureFileDecimalMark(separator, LocaleDecimalMark())));
}

}  // namespace kva
