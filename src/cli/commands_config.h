// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's configuration commands, in engineering units: the sample rate, the axis offsets
// with auto null and factory restore, the alarms and their digital indicator, and the bits of
// MISC_CTRL and GPIO_CTR by name. Each prints what the sensor holds afterwards.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kva::ctl {

class Session;

struct ConfigRequest {
  std::optional<double> rate;              // rate
  std::optional<double> offsetMg[3];       // offsets --x/--y/--z
  bool autoNull = false, factory = false;  // offsets
  int alarm = 0;                           // alarm N SOURCE LEVEL POLARITY
  std::string source, polarity;            // alarm; alarm-output's polarity too
  double level = 0;
  std::string enable, line;           // alarm-output
  std::vector<std::string> settings;  // misc, gpio: NAME=WORD
};

// Adds the commands to app; a parsed one sets name (as the other commands do).
void AddConfigCommands(CLI::App& app, std::string& name, ConfigRequest& request);

// Runs the command when name is one of these; false when it is not.
bool RunConfigCommand(Session& session, const std::string& name, const ConfigRequest& request,
                      std::ostream& out);

}  // namespace kva::ctl
