// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl analyze: statistics and spectrum of each column of a capture or datalog file, as
// the capture analysis window shows them.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace kva::ctl {

class Session;

struct AnalyzeRequest {
  std::string file;
  std::string band;  // "LO:HI" in Hz; empty: every bin above 0 Hz
  int segment = 1024;
  std::optional<double> rate;
  std::optional<int> event;  // one event of a capture file
  std::string spectrumOut;
  bool amplitude = false;  // the spectrum file holds amplitudes, not densities
};

// Adds "analyze"; a parsed one sets name to "analyze".
void AddAnalyzeCommand(CLI::App& app, std::string& name, AnalyzeRequest& request);

// Runs the command when name is "analyze"; false when it is not.
bool RunAnalyzeCommand(Session& session, const std::string& name, const AnalyzeRequest& request,
                       std::ostream& out);

}  // namespace kva::ctl
