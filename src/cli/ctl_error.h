// SPDX-License-Identifier: GPL-3.0-or-later
// Exit codes of kva7710ctl and the error that carries one out of a command.
#pragma once

#include <cctype>
#include <stdexcept>
#include <string>

namespace kva::ctl {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;   // usage or bad input
inline constexpr int kExitDevice = 3;  // no adapter, adapter not ready, port access refused
inline constexpr int kExitFile = 4;    // a file that could not be written

class CommandError : public std::runtime_error {
 public:
  CommandError(int exitCode, const std::string& message)
      : std::runtime_error(message), exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// A command's argument that cannot be used: exit 2 with the message.
[[noreturn]] inline void BadInput(const std::string& message) {
  throw CommandError(kExitUsage, message);
}

// Names and words on the command line are matched without regard to case.
inline std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace kva::ctl
