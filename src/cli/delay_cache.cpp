// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/delay_cache.h"

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>

#include "app/delay.h"
#include "app/file_writer.h"
#include "app/user_folders.h"

namespace kva::ctl {
namespace {

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  std::string host(name);
  for (char& c : host) {
    if (c == '/' || c == '\\') c = '_';
  }
  return host;
}

}  // namespace

std::filesystem::path DelayCachePath() {
  const std::filesystem::path folder = UserFolder("XDG_CACHE_HOME", ".cache");
  if (folder.empty()) return {};
  return folder / ("delay-" + HostName());
}

std::optional<int32_t> ReadDelayCache(const std::filesystem::path& path, std::time_t now) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  long long count = 0, stamp = 0;
  std::string key1, key2;
  if (!(in >> key1 >> count >> key2 >> stamp) || key1 != "count" || key2 != "calibrated") {
    return std::nullopt;
  }
  if (count < 1 || count > std::numeric_limits<int32_t>::max()) return std::nullopt;
  // A stamp in the future means the clock was changed: calibrate again.
  if (stamp > now || now - stamp >= kDelayCacheLifetime) return std::nullopt;
  return static_cast<int32_t>(count);
}

bool WriteDelayCache(const std::filesystem::path& path, int32_t count, std::time_t now) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) return false;
  std::ostringstream text;
  text << "count " << count << "\ncalibrated " << static_cast<long long>(now) << "\n";
  return !WriteFileAtomically(path, text.str());
}

void PrepareDelay(bool forceCalibration, bool checkAgainstClock) {
  if (State().delay.DelayCalibrated) return;
  const std::filesystem::path path = DelayCachePath();
  const std::time_t now = std::time(nullptr);
  if (!forceCalibration && !path.empty()) {
    if (auto count = ReadDelayCache(path, now)) {
      State().delay.DelayLoopCount = *count;
      State().delay.DelayCalibrated = true;
      if (!checkAgainstClock || DelayCountHolds()) return;
    }
  }
  if (::isatty(STDERR_FILENO) == 1) std::cerr << "Calibrating Delay function.\n";
  CalibrateDelay();
  // A cache that cannot be written only costs the next run another calibration.
  if (!path.empty()) WriteDelayCache(path, State().delay.DelayLoopCount, std::time(nullptr));
}

}  // namespace kva::ctl
