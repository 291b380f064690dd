// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl: the headless tool for test benches and scripts. One command per run, or, with
// no command, one command per line of standard input against one device session.
#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>

#include "app/hooks.h"
#include "cli/commands.h"
#include "cli/ctl_error.h"
#include "cli/session.h"
#include "usbspi/adapter_ids.h"

namespace {

using kva::ctl::CommandError;
using kva::ctl::CommandRequest;

constexpr const char* kFooter =
    R"(Without a command, commands are read from standard input, one per line, against one
device session; blank lines and lines starting with # are skipped, and the first failing line
stops the run with "line N: <reason>" on standard error.

With --json, each of those commands prints one JSON document on one line (a batch prints one
per command); other commands print as without it. Values that are not finite are null.

Exit codes: 0 success, 2 usage or bad input, 3 device or transport failure (no adapter, adapter
not ready, port access refused), 4 file error, 130 / 143 a watch or datalog ended by SIGINT /
SIGTERM (the datalog still writes the samples taken).

Examples:
  kva7710ctl --simulate --interface usb read SUPPLY_OUT XACCL_OUT temp_out
  kva7710ctl --interface usb watch --count 10 --delay 100
  kva7710ctl list-adapters
  kva7710ctl --adapter 1 --json read XACCL_OUT YACCL_OUT ZACCL_OUT
  kva7710ctl --interface parallel --port 278 status
  printf 'write CAPT_CFG 0023\nwrite ALM_MAG1 8064\nwrite ALM_CTRL 0410\nsim shock z 20 5\nsim wait 500\ncapture --out cap.csv\n' |
      kva7710ctl --simulate --interface parallel)";

// The last message the program showed, so that an error is not printed twice.
std::string lastMessage;

// The text of a failure, once: what a message already said is not repeated.
void ReportOnce(const std::string& text) {
  if (text != lastMessage) std::cerr << "kva7710ctl: " << text << "\n";
}

int RunBatch(kva::ctl::Session& session) {
  std::string line;
  for (int number = 1; std::getline(std::cin, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;

    CLI::App lineApp{"batch line"};
    lineApp.require_subcommand(1, 1);
    CommandRequest request;
    kva::ctl::AddCommands(lineApp, request);
    try {
      try {
        lineApp.parse(line.substr(first), false);
      } catch (const CLI::Success& e) {  // --help on a line: its help, and on to the next
        lineApp.exit(e, std::cout, std::cerr);
        continue;
      } catch (const CLI::ParseError& e) {
        throw CommandError(kva::ctl::kExitUsage, e.what());
      }
      kva::ctl::RunCommand(session, request, std::cout);
      std::cout << std::flush;
      if (const int signal = kva::ctl::StopSignal()) return 128 + signal;
    } catch (const CommandError& e) {
      std::cout << std::flush;
      std::cerr << "line " << number << ": " << e.what() << "\n";
      return e.exitCode();
    }
  }
  return kva::ctl::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"kva7710ctl " KVA_VERSION ": the KVA7710 evaluation board from the command line",
               "kva7710ctl"};
  app.footer(kFooter);
  app.require_subcommand(0, 1);
  kva::ctl::GlobalOptions options;
  bool showVersion = false;
  app.add_flag("--simulate", options.simulate,
               "Use the built-in simulated board (scenario bench), through the USB adapter "
               "unless --interface or CommPort.cfg chooses the parallel port");
  app.add_option("--interface", options.interface,
                 "usb or parallel (default: Interface of CommPort.cfg)")
      ->check(CLI::IsMember({"usb", "parallel"}));
  app.add_option("--port", options.port,
                 "Parallel port base in hex (default: CommPort.cfg's, else 378)");
  app.add_option("--sim-flash", options.simFlash, "Flash image file of the simulated sensor");
  app.add_option("--seed", options.seed,
                 "Seed of the simulated board's random sequences (default 1)");
  app.add_option("--vcd", options.vcd,
                 "Write a trace of the parallel-port lines (VCD) to this file");
  app.add_option("--adapter", options.adapter,
                 "USB adapter board slot 0..3 (Ezusb-0..3) to use, as chosen in the selection "
                 "window (default: the first usable one); an empty slot is refused (exit 3)")
      ->check(CLI::Range(0, 3));
  app.add_option("--sim-adapters", options.simAdapters,
                 "Slots of the simulated adapter boards, e.g. 0,1 (default 0); each carries the "
                 "simulated sensor and reports \"SIMULATED n\" as its second descriptor")
      ->type_name("SLOTS");
  app.add_option("--usb-id", options.usbIds,
                 "Also take USB boards with this vendor and product ID (hex VID:PID, repeatable) "
                 "for adapter boards, besides those of KVA7710_USB_IDS (comma separated) and "
                 "~/.config/kva7710/usb-ids")
      ->type_name("VID:PID");
  app.add_flag("--json", options.json,
               "Before the command: read, write, list, status, time, rate, offsets, alarms, alarm, "
               "alarm-output, misc, gpio, spi, spi-setup, trigger and list-adapters print one "
               "JSON document (one line) with raw and scaled values and units");
  app.add_flag("--calibrate", options.calibrate,
               "Calibrate the delay again instead of using the cached count");
  app.add_flag("--version", showVersion, "Show the version and exit");
  CommandRequest request;
  kva::ctl::AddCommands(app, request);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kva::ctl::kExitUsage;
  }
  if (showVersion) {
    std::cout << "kva7710ctl " << KVA_VERSION << "\n";
    return 0;
  }
  if (const std::string error = kva::AddAdapterUsbIds(options.usbIds); !error.empty()) {
    std::cerr << "kva7710ctl: " << error << "\n";
    return kva::ctl::kExitUsage;
  }

  kva::SetMsgBoxHandler([](const std::string& text, const std::string&) {
    lastMessage = text;
    std::cerr << text << "\n";
  });

  int code = kva::ctl::kExitOk;
  try {
    kva::ctl::Session session(options);
    if (request.name.empty()) {
      code = RunBatch(session);
    } else {
      kva::ctl::RunCommand(session, request, std::cout);
      std::cout << std::flush;
    }
    session.Finish();
    // Output that did not arrive (a full disk behind a redirection) is not a success.
    if (!std::cout) throw CommandError(kva::ctl::kExitFile, "standard output could not be written");
    if (const int signal = kva::ctl::StopSignal()) code = 128 + signal;
  } catch (const CommandError& e) {
    std::cout << std::flush;
    ReportOnce(e.what());
    return e.exitCode();
  }
  return code;
}
