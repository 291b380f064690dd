// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built kva7710ctl in the current (temporary) folder with a delay cache that makes
// its waits instant, feeding stdin from a string and collecting stdout, stderr and the exit
// code.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kvatest {

struct CtlResult {
  int code = -1;
  std::string out, err;
};

// A fresh delay cache of one iteration per step under folder/cache, so no run calibrates.
inline std::filesystem::path FastDelayCache(const std::filesystem::path& folder) {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  const auto file = folder / "cache" / "kva7710" / (std::string("delay-") + host);
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

// env: variables to set ("" removes one). The locale variables are cleared unless given, and so
// are the user's own added adapter IDs.
inline CtlResult RunCtl(const std::vector<std::string>& args, const std::string& input = "",
                        std::map<std::string, std::string> env = {}) {
  const auto cwd = std::filesystem::current_path();
  if (!env.count("XDG_CACHE_HOME")) env["XDG_CACHE_HOME"] = FastDelayCache(cwd).string();
  env.try_emplace("XDG_CONFIG_HOME", (cwd / "config").string());
  for (const char* var : {"KVA7710_USB_IDS", "LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"})
    env.try_emplace(var, "");
  std::string command = "env", set;
  for (const auto& [key, value] : env) {
    if (value.empty()) command.append(" -u ").append(key);
    if (!value.empty()) set.append(" ").append(ShellWord(key + "=" + value));
  }
  command.append(set).append(" ").append(ShellWord(KVA7710CTL_PATH));
  for (const std::string& arg : args) command.append(" ").append(ShellWord(arg));
  command += " <.ctl-in >.ctl-out 2>.ctl-err";
  WriteFileBytes(".ctl-in", input);
  const int status = std::system(command.c_str());  // a signal that ended it: 128 + the signal
  const CtlResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(".ctl-out"),
                         ReadFileBytes(".ctl-err")};
  for (const char* file : {".ctl-in", ".ctl-out", ".ctl-err"}) std::filesystem::remove(file);
  return result;
}

}  // namespace kvatest
