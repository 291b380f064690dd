// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's commands: their arguments (shared by the command line and batch lines) and
// what each does against a session.
#pragma once

#include <signal.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands_analyze.h"
#include "cli/commands_config.h"
#include "cli/commands_spi.h"
#include "cli/commands_trigger.h"

namespace CLI {
class App;
class Validator;
}  // namespace CLI

namespace kva::ctl {

class Session;

struct CommandRequest {
  std::string name;  // the command given; empty when none was

  std::vector<std::string> registers;  // read
  std::string reg, hex;                // write
  bool force = false;
  std::string deviceCommand;  // command
  int count = 1;              // watch
  double delayMs = 5;
  bool sync = false;  // time
  std::string out;    // capture
  bool tab = false;
  std::string signals;  // datalog
  int samples = 0;
  int files = 0;
  double sampleDelayMs = 0;
  std::string baseName = "DATALOG";
  std::string dir = ".";
  std::string simAction;  // sim
  std::vector<std::string> simArgs;
  SpiRequest spi;          // spi, spi-setup
  ConfigRequest config;    // rate, offsets, alarms, alarm, alarm-output, misc, gpio
  TriggerRequest trigger;  // trigger show, trigger set
  AnalyzeRequest analyze;  // analyze
};

// Adds every command to app, filling request when one is parsed.
void AddCommands(CLI::App& app, CommandRequest& request);

// Runs one command; its output goes to out. Failures throw CommandError.
void RunCommand(Session& session, const CommandRequest& request, std::ostream& out);

// SIGINT and SIGTERM end a long command the way its stop button does, for as long as this
// lives: the command still writes what it has and returns, and the tool then exits with
// 128 + the signal (130 / 143), so that a script can tell a cut-short result from a whole one.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
  bool requested() const;

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};

// The stop signal received while a StopSignals lived, or 0.
int StopSignal();

// Number options' checks. CLI11's own let NaN through, and NaN passes every range test.
CLI::Validator FiniteRange(double min, double max);  // a number within min..max
// A number, not infinite; one too large for a double becomes the largest of its sign (a
// transform: add it with Option::transform).
CLI::Validator FiniteNumber();

// Writes a command's one output file; the name "-" writes to out instead. A file that cannot
// be written throws CommandError (a file error).
void WriteOutput(const std::string& name, std::string_view bytes, std::ostream& out);

// A register named by label (case-insensitive, "_" for a blank) or by index 0..39 (leading
// zeros allowed).
int ParseRegister(const std::string& text);

// The comma-separated datalog signal list, indices 1..10.
std::vector<int> ParseSignals(const std::string& text);

}  // namespace kva::ctl
