// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built kva7710ctl in the current (temporary) folder with a delay cache that makes
// its waits instant, feeding stdin from a string and collecting stdout, stderr and the exit
// code.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

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

}  // namespace kvatest
