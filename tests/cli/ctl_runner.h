// SPDX-License-Identifier: GPL-3.0-or-later
// Runs kva7710ctl in the current (temporary) folder: the built program with a delay cache that
// makes its waits instant, feeding stdin from a string and collecting stdout, stderr and the
// exit code; or, much quicker, a batch of lines against one session in this process.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <sstream>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/hooks.h"
#include "cli/commands.h"
#include "cli/ctl_error.h"
#include "cli/session.h"
#include "support/program_state.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kvatest {

struct CtlResult {
  int code = -1;
  std::string out, err;
};

// The delay cache file the tool keeps for this machine under the given cache folder.
inline std::filesystem::path DelayCacheFile(const std::filesystem::path& cacheHome) {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  return cacheHome / "kva7710" / (std::string("delay-") + host);
}

// A fresh delay cache of one iteration per step under folder/cache, so no run calibrates.
inline std::filesystem::path FastDelayCache(const std::filesystem::path& folder) {
  const auto file = DelayCacheFile(folder / "cache");
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "count 1\ncalibrated " << static_cast<long long>(std::time(nullptr))
                      << "\n";
  return folder / "cache";
}

// A kva7710ctl started in the background; WaitCtl collects what it did.
struct CtlProcess {
  pid_t pid = -1;
  std::filesystem::path in, out, err;
};

// env: variables to set ("" removes one). The locale variables are cleared unless given.
inline CtlProcess StartCtl(const std::vector<std::string>& args, const std::string& input = "",
                           std::map<std::string, std::string> env = {}) {
  const auto cwd = std::filesystem::current_path();
  if (!env.count("XDG_CACHE_HOME")) env["XDG_CACHE_HOME"] = FastDelayCache(cwd).string();
  // The user's own added adapter IDs stay out of the tests.
  env.try_emplace("XDG_CONFIG_HOME", (cwd / "config").string());
  env.try_emplace("KVA7710_USB_IDS", "");
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"}) env.try_emplace(var, "");
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    if (!env.count(entry.substr(0, entry.find('=')))) envStrings.push_back(entry);
  }
  for (const auto& [key, value] : env) {
    if (!value.empty()) envStrings.push_back(key + "=" + value);
  }

  CtlProcess p{-1, cwd / ".ctl-in", cwd / ".ctl-out", cwd / ".ctl-err"};
  WriteFileBytes(p.in, input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, p.in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, p.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, p.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<std::string> argStrings{KVA7710CTL_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv, envp;
  for (auto& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  if (posix_spawn(&p.pid, KVA7710CTL_PATH, &actions, nullptr, argv.data(), envp.data()) != 0) {
    p.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return p;
}

// The exit code is 128 + the signal for a process that a signal ended.
inline CtlResult WaitCtl(const CtlProcess& p) {
  CtlResult result;
  int status = 0;
  if (p.pid > 0 && waitpid(p.pid, &status, 0) == p.pid) {
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.out = ReadFileBytes(p.out);
  result.err = ReadFileBytes(p.err);
  for (const auto& path : {p.in, p.out, p.err}) std::filesystem::remove(path);
  return result;
}

inline CtlResult RunCtl(const std::vector<std::string>& args, const std::string& input = "",
                        std::map<std::string, std::string> env = {}) {
  return WaitCtl(StartCtl(args, input, std::move(env)));
}

// The options of a run on the simulated board through the given interface.
inline kva::ctl::GlobalOptions Simulated(const char* interface = "usb") {
  kva::ctl::GlobalOptions options;
  options.simulate = true;
  options.interface = interface;
  return options;
}

// Lines of a batch run as the tool runs them from standard input, on a fresh program state:
// output as printed, failures as "line N: reason" with the exit code. Message boxes go to err.
// beforeLine(N) runs before line N.
inline CtlResult RunLines(const std::string& lines, kva::ctl::GlobalOptions options = Simulated(),
                          const std::function<void(int)>& beforeLine = {}) {
  FreshProgramState();
  CtlResult result{0, {}, {}};
  kva::SetMsgBoxHandler([&result](const std::string& text, const std::string&) {
    result.err += text + "\n";
  });
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
      try {
        try {
          app.parse(line, false);
        } catch (const CLI::ParseError& e) {
          throw kva::ctl::CommandError(kva::ctl::kExitUsage, e.what());
        }
        kva::ctl::RunCommand(session, request, out);
      } catch (const kva::ctl::CommandError& e) {
        result = {e.exitCode(), {}, result.err + "line " + std::to_string(number) + ": " + e.what() + "\n"};
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
