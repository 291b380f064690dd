// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/status_flags.h"

#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/output_pass.h"

namespace kva {

StatusFlagState FlagState(int32_t statusWord, const StatusFlag& flag) {
  const bool set = ((statusWord >> flag.bit) & 1) != 0;
  return set ? StatusFlagState{true, "Alarm", kRgbRed} : StatusFlagState{false, "OK", kRgbGreen};
}

int32_t ReadStatusWord() {
  ReadRegister(STATUS);
  return State().registers.RegRawValue;
}

}  // namespace kva
