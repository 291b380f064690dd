// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/os_name.h"

namespace kva {

std::string OsNameFor(const OsFacts& facts) {
  if (facts.platformId == 1) return facts.build <= 2000 ? "Win95" : "Win98";
  return facts.version <= 5.0 ? "WinNT" : "WinXP";
}

OsFacts HostOsFacts() {
  // Ports need a permission grant here, and nothing of the older releases' limits applies.
  return {2, 5.1, 0};
}

std::string DetermineOsName() { return OsNameFor(HostOsFacts()); }

}  // namespace kva
