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

// env: variables to set ("" removes one). The locale variables are cleared unless given.
inline CtlResult RunCtl(const std::vector<std::string>& args, const std::string& input = "",
                        std::map<std::string, std::string> env = {}) {
  const auto cwd = std::filesystem::current_path();
  if (!env.count("XDG_CACHE_HOME")) env["XDG_CACHE_HOME"] = FastDelayCache(cwd).string();
  for (const char* var : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"}) env.try_emplace(var, "");
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    if (!env.count(entry.substr(0, entry.find('=')))) envStrings.push_back(entry);
  }
  for (const auto& [key, value] : env) {
    if (!value.empty()) envStrings.push_back(key + "=" + value);
  }

  const auto inPath = cwd / ".ctl-in", outPath = cwd / ".ctl-out", errPath = cwd / ".ctl-err";
  WriteFileBytes(inPath, input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);

  std::vector<std::string> argStrings{KVA7710CTL_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv, envp;
  for (auto& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  CtlResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, KVA7710CTL_PATH, &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFileBytes(outPath);
  result.err = ReadFileBytes(errPath);
  std::filesystem::remove(inPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return result;
}

}  // namespace kvatest
