// SPDX-License-Identifier: GPL-3.0-or-later
// Reads back the files this program writes, for analysis: a capture file (the capture window's
// "Save to File", `kva7710ctl capture`) or a datalog file. Either separator (",", TAB) and
// either decimal mark; a TAB file may carry "." or ",", a "," file only ".".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kva {

enum class AnalysisFileKind { Capture, Datalog };

struct AnalysisColumn {
  std::string name;       // capture: "X", "Y", "Z"; datalog: the value column's title ("X acc")
  int registerIndex = 0;  // datalog: the register logged (1..10); capture: 0
  std::vector<double> values;
};

struct AnalysisFile {
  AnalysisFileKind kind = AnalysisFileKind::Capture;
  char separator = ',';
  std::vector<AnalysisColumn> columns;
  // Capture: where each event's samples begin in the columns (event e at eventStarts[e - 1]);
  // its samples run to the next start or the end.
  std::vector<size_t> eventStarts;
  // Datalog: End Seconds - Begin Seconds, a day added when the run passed midnight.
  double loggedSeconds = 0;

  // A file that could not be read: the 1-based line where reading stopped and why.
  int errorLine = 0;
  std::string error;
  bool ok() const { return error.empty(); }

  size_t samples() const { return columns.empty() ? 0 : columns.front().values.size(); }
};

AnalysisFile ReadAnalysisFile(std::string_view text);

// A datalog's mean sample rate: its samples over the seconds it took; 0 when that is unknown
// (no time passed, as the seconds stamps are coarse, or not a datalog).
double DatalogSampleRate(const AnalysisFile& file);

}  // namespace kva
