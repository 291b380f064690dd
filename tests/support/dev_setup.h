// SPDX-License-Identifier: GPL-3.0-or-later
// Set-up shared by the device-level core tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/hooks.h"
#include "app/settings.h"
#include "device/port_io.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "support/program_state.h"

namespace kvatest {

// The parallel-port interface at 378 on the given port, register map loaded, one-iteration
// waits that are counted rather than spent; all of it undone on destruction.
class LptSetup {
 public:
  explicit LptSetup(kva::PortIo* port) {
    FreshProgramState();
    kva::State().settings.InterfaceType = kva::Interface::Parallel;
    kva::State().settings.PortAddress = 0x378;
    kva::SetPortIo(port);
  }
  ~LptSetup() { kva::ResetProgramState(); }
};

// A monotonic clock that answers the readings in turn and then stays at the last.
inline void SetClockReadings(std::vector<double> readings) {
  auto data = std::make_shared<std::vector<double>>(std::move(readings));
  auto next = std::make_shared<size_t>(0);
  kva::SetClockHooks(
      {[data, next] { return (*data)[std::min((*next)++, data->size() - 1)]; }, nullptr, nullptr});
}

// The lines of text, each of which must end with `end`.
inline std::vector<std::string> SplitLines(const std::string& text, const std::string& end = "\n") {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t p; (p = text.find(end, start)) != std::string::npos; start = p + end.size())
    lines.push_back(text.substr(start, p - start));
  EXPECT_EQ(start, text.size()) << "unterminated last line in: " << text;
  return lines;
}

}  // namespace kvatest
