// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's batch lines run in this process against one session, as quick as the built program
// is slow to start. Not for Qt translation units: commands.h has a member named "signals".
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "app/hooks.h"
#include "cli/commands.h"
#include "cli/ctl_error.h"
#include "cli/ctl_runner.h"
#include "cli/session.h"
#include "support/program_state.h"

namespace kvatest {

// The options of a run on the simulated board through the given interface.
inline kva::ctl::GlobalOptions Simulated(const char* interface = "usb") {
  kva::ctl::GlobalOptions options;
  options.simulate = true;
  options.interface = interface;
  return options;
}

using Failure = std::pair<int, std::string>;  // exit code, error text
inline Failure FailureOf(const CtlResult& r) { return {r.code, r.err}; }

// Lines of a batch run as the tool runs them from standard input, on a fresh program state:
// output as printed, failures as "line N: reason" with the exit code. Message boxes go to err.
// beforeLine(N) runs before line N.
inline CtlResult RunLines(const std::string& lines, kva::ctl::GlobalOptions options = Simulated(),
                          const std::function<void(int)>& beforeLine = {}) {
  FreshProgramState();
  CtlResult result{0, {}, {}};
  kva::SetMsgBoxHandler(
      [&result](const std::string& text, const std::string&) { result.err += text + "\n"; });
  std::ostringstream out;
  std::istringstream in(lines);
  try {
    kva::ctl::Session session(options);
    std::string line;
    for (int number = 1; std::getline(in, line) && result.code == 0; ++number) {
      CLI::App app;
      app.require_subcommand(1, 1);
      kva::ctl::CommandRequest request;
      kva::ctl::AddCommands(app, request);
      if (beforeLine) beforeLine(number);
      const auto fail = [&](int code, const char* what) {
        result = {code, {}, result.err + "line " + std::to_string(number) + ": " + what + "\n"};
      };
      try {
        app.parse(line, false);
        kva::ctl::RunCommand(session, request, out);
      } catch (const CLI::ParseError& e) {
        fail(kva::ctl::kExitUsage, e.what());
      } catch (const kva::ctl::CommandError& e) {
        fail(e.exitCode(), e.what());
      }
    }
    session.Finish();
  } catch (const kva::ctl::CommandError& e) {
    result = {e.exitCode(), {}, result.err + e.what() + "\n"};
  }
  kva::SetMsgBoxHandler(nullptr);
  result.out = out.str();
  return result;
}

}  // namespace kvatest
