// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/analysis_file.h"

#include <charconv>
#include <cmath>

#include "datalog/datalog_run.h"

namespace kva {
namespace {

// The file's lines without their CR LF (a lone LF is taken too); a last line without an end
// counts when it holds something.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::vector<std::string_view> Fields(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t end = line.find(separator);
    fields.push_back(line.substr(0, end));
    if (end == std::string_view::npos) return fields;
    line.remove_prefix(end + 1);
  }
}

// A whole field as a finite number, with "." or "," as its decimal mark.
bool ParseNumber(std::string_view field, double& value) {
  std::string text(field);
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  const char* begin = text.data();
  const char* end = begin + text.size();
  const auto res = std::from_chars(begin, end, value);
  return !text.empty() && res.ec == std::errc() && res.ptr == end && std::isfinite(value);
}

class Reader {
 public:
  explicit Reader(std::string_view text) : lines_(Lines(text)) {}

  AnalysisFile Read() {
    if (!lines_.empty() && lines_[0].starts_with("File Name,")) {
      ReadDatalog();
    } else {
      ReadCapture();
    }
    if (file_.ok() && file_.samples() == 0) Fail(0, "no samples in the file");
    if (!file_.ok()) file_.columns.clear();
    return file_;
  }

 private:
  bool Fail(size_t index, std::string reason) {
    if (file_.ok()) {
      file_.errorLine = static_cast<int>(index + 1);
      file_.error = std::move(reason);
    }
    return false;
  }

  bool Expect(size_t i, std::string_view line) {
    if (i < lines_.size() && lines_[i] == line) return true;
    return Fail(i, (i < lines_.size() ? "expected \"" : "the file ends before \"") +
                       std::string(line) + "\"");
  }

  bool Number(size_t index, std::string_view field, double& value) {
    return ParseNumber(field, value) || Fail(index, "not a number: \"" + std::string(field) + "\"");
  }

  // Per event: an empty line, the header titles, the header values, "Xg S Yg S Zg", samples.
  void ReadCapture() {
    file_.kind = AnalysisFileKind::Capture;
    file_.columns = {{"X", 0, {}}, {"Y", 0, {}}, {"Z", 0, {}}};
    if (lines_.size() > 1 && lines_[1].size() > 7) file_.separator = lines_[1][7];
    const std::string S(1, file_.separator);
    size_t i = 0;
    while (i < lines_.size() && file_.ok()) {
      if (lines_[i].empty() && i + 1 == lines_.size()) break;  // the file's last line end
      const int event = static_cast<int>(file_.eventStarts.size()) + 1;
      if (!Expect(i, "") || !Expect(i + 1, "Event #" + S + "XYZ" + S + "Time" + S + "Date" + S +
                                               "Temp" + S + "Voltage" + S + "Aux")) {
        return;
      }
      i += 2;
      const auto header =
          i < lines_.size() ? Fields(lines_[i], file_.separator) : std::vector<std::string_view>{};
      double number = 0;
      if (header.size() != 7 || !Number(i, header[0], number) || number != event) {
        Fail(i, "expected the header of event " + std::to_string(event));
        return;
      }
      for (size_t f = 1; f < header.size(); ++f) {
        if (!Number(i, header[f], number)) return;
      }
      if (!Expect(i + 1, "Xg" + S + "Yg" + S + "Zg")) return;
      i += 2;
      file_.eventStarts.push_back(file_.samples());
      for (; i < lines_.size() && !lines_[i].empty() && file_.ok(); ++i) ReadRow(i, 0, 1, 3);
    }
  }

  // Fields first, first + step, ... (count of them) of line i into the columns.
  void ReadRow(size_t i, size_t first, size_t step, size_t fieldCount) {
    const auto fields = Fields(lines_[i], file_.separator);
    if (fields.size() != fieldCount) {
      Fail(i, "expected " + std::to_string(fieldCount) + " fields, not " +
                  std::to_string(fields.size()));
      return;
    }
    for (size_t c = 0; c < file_.columns.size(); ++c) {
      double value = 0;
      if (!Number(i, fields[first + c * step], value)) return;
      file_.columns[c].values.push_back(value);
    }
  }

  // "File Name,", Date, Time, Begin Seconds, End Seconds, " ", the titles, then the samples:
  // the sample number, then flag and value per logged register, each followed by S.
  void ReadDatalog() {
    file_.kind = AnalysisFileKind::Datalog;
    if (StartsWith(1, "Date\t", false)) file_.separator = '\t';
    const std::string S(1, file_.separator);
    double begin = 0, end = 0;
    if (!StartsWith(1, "Date" + S) || !StartsWith(2, "Time" + S) ||
        !StartsWith(3, "Begin Seconds" + S) || !Number(3, lines_[3].substr(14), begin) ||
        !StartsWith(4, "End Seconds" + S) || !Number(4, lines_[4].substr(12), end) ||
        !Expect(5, " ") || !StartsWith(6, "Sample #" + S)) {
      return;
    }
    file_.loggedSeconds = end >= begin ? end - begin : end + 86400 - begin;

    const auto titles = Fields(lines_[6], file_.separator);
    if (titles.size() < 4 || titles.size() % 2 != 0 || !titles.back().empty()) {
      Fail(6, "expected a flag and a value title per register, each followed by \"" + S + "\"");
      return;
    }
    for (size_t f = 2; f + 1 < titles.size(); f += 2) {
      file_.columns.push_back({std::string(titles[f]), RegisterOf(titles[f]), {}});
    }
    size_t i = 7;
    for (double number = 0; i < lines_.size() && !lines_[i].empty() && file_.ok(); ++i) {
      ReadRow(i, 2, 2, titles.size());
      if (file_.ok() && (!ParseNumber(Fields(lines_[i], file_.separator)[0], number) ||
                         number != static_cast<double>(i - 6))) {
        Fail(i, "expected sample " + std::to_string(i - 6));
      }
    }
    for (; i < lines_.size() && file_.ok(); ++i) {
      if (!lines_[i].empty()) Fail(i, "a line after the samples' end");
    }
  }

  bool StartsWith(size_t i, const std::string& prefix, bool required = true) {
    if (i < lines_.size() && lines_[i].starts_with(prefix)) return true;
    return required &&
           Fail(i, (i < lines_.size() ? "expected \"" : "the file ends before \"") + prefix + "\"");
  }

  static int RegisterOf(std::string_view title) {
    for (int k = 1; k <= kDatalogSignals; ++k) {
      if (title == kDatalogSignalTable[static_cast<size_t>(k)].valTitle) return k;
    }
    return 0;
  }

  std::vector<std::string_view> lines_;
  AnalysisFile file_;
};

}  // namespace

AnalysisFile ReadAnalysisFile(std::string_view text) { return Reader(text).Read(); }

double DatalogSampleRate(const AnalysisFile& file) {
  if (file.kind != AnalysisFileKind::Datalog || file.loggedSeconds <= 0) return 0;
  return static_cast<double>(file.samples()) / file.loggedSeconds;
}

}  // namespace kva
