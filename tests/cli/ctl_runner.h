// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built kva7710ctl in the current (temporary) folder with a delay cache that makes
// its waits instant, feeding stdin from a string and collecting stdout, stderr and the exit
// code.
#pragma once

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

inline std::string ShellWord(const std::string& text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// A kva7710ctl started in the background (its pid is the tool's own); WaitCtl collects what it
// did. env: variables to set ("" removes one). The locale variables are cleared unless given,
// and so are the user's own added adapter IDs.
inline pid_t StartCtl(const std::vector<std::string>& args, const std::string& input = "",
                      std::map<std::string, std::string> env = {}) {
  const auto cwd = std::filesystem::current_path();
  if (!env.count("XDG_CACHE_HOME")) env["XDG_CACHE_HOME"] = FastDelayCache(cwd).string();
  env.try_emplace("XDG_CONFIG_HOME", (cwd / "config").string());
  for (const char* var : {"KVA7710_USB_IDS", "LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"})
    env.try_emplace(var, "");
  std::string command = "exec env", set;
  for (const auto& [key, value] : env)
    (value.empty() ? command : set) +=
        value.empty() ? " -u " + key : " " + ShellWord(key + "=" + value);
  command += set;
  command += " " + ShellWord(KVA7710CTL_PATH);
  for (const std::string& arg : args) command += " " + ShellWord(arg);
  command += " <.ctl-in >.ctl-out 2>.ctl-err";
  WriteFileBytes(".ctl-in", input);
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    pid = -1;
  return pid;
}

// The exit code is 128 + the signal for a process that a signal ended.
inline CtlResult WaitCtl(pid_t pid) {
  CtlResult result;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid)
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFileBytes(".ctl-out");
  result.err = ReadFileBytes(".ctl-err");
  for (const char* file : {".ctl-in", ".ctl-out", ".ctl-err"}) std::filesystem::remove(file);
  return result;
}

inline CtlResult RunCtl(const std::vector<std::string>& args, const std::string& input = "",
                        std::map<std::string, std::string> env = {}) {
  return WaitCtl(StartCtl(args, input, std::move(env)));
}

}  // namespace kvatest
