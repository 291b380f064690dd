// SPDX-License-Identifier: GPL-3.0-or-later
// One line of kva7710ctl's batch mode through the command parser (not run against a board).
#include <CLI/CLI.hpp>
#include <string>

#include "cli/commands.h"
#include "cli/ctl_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  CLI::App app{"batch line"};
  app.require_subcommand(1, 1);
  kva::ctl::CommandRequest request;
  kva::ctl::AddCommands(app, request);
  try {
    app.parse(line, false);
  } catch (const CLI::Error&) {
  } catch (const kva::ctl::CommandError&) {
  }
  return 0;
}
