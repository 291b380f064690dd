// SPDX-License-Identifier: GPL-3.0-or-later
// The operating-system name the program acts on: "WinNT", "WinXP", "Win98" or "Win95". It
// decides whether port access must be granted before the parallel port is used ("WinNT",
// "WinXP") and whether the USB adapter is offered (not on "Win95").
#pragma once

#include <string>

#include "state/program_state.h"

namespace kva {

// Platform family 1 is the consumer family; any other id is the family where user programs
// need port access granted.
struct OsFacts {
  int platformId = 2;
  double version = 0.0;  // major.minor, e.g. 5.1
  int build = 0;
};

// Family 1: build <= 2000 "Win95", above "Win98". Other families: version <= 5.0 "WinNT",
// above "WinXP".
std::string OsNameFor(const OsFacts& facts);

// The facts of the host this program runs on. Linux is of the family that needs port access
// granted, newer than version 5.0 of it: platform 2, version 5.1, so its name is "WinXP".
OsFacts HostOsFacts();

// OsNameFor(HostOsFacts()).
std::string DetermineOsName();

}  // namespace kva
