// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's event trigger set-up: "trigger show" prints the capture length, pre-trigger,
// both trigger sources, enables, levels in the source's units and polarities with the raw
// registers; "trigger set" changes any of them, through the capture window's conversions, and
// then shows the result.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "capture/capture_config.h"

namespace CLI {
class App;
}

namespace kva::ctl {

class Session;

struct TriggerRequest {
  std::string action;  // "show" or "set"
  std::optional<int> length, preTrigger;
  std::optional<std::string> source[2], polarity[2];
  std::optional<double> level[2];
  std::optional<std::string> enable;  // none, 1, 2, both
};

// The lines "trigger show" prints for a decoded set-up, one NAME<TAB>VALUE... per line.
std::string TriggerConfigText(const TriggerConfig& config);
// The same as one JSON document on one line (for --json).
std::string TriggerConfigJson(const TriggerConfig& config);

// Adds "trigger show" and "trigger set"; a parsed one sets name to "trigger".
void AddTriggerCommands(CLI::App& app, std::string& name, TriggerRequest& request);

// Runs the command when name is "trigger"; false when it is not.
bool RunTriggerCommand(Session& session, const std::string& name, const TriggerRequest& request,
                       std::ostream& out);

}  // namespace kva::ctl
