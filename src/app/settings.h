// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file CommPort.cfg, which holds the interface settings (State().settings).
#pragma once

#include <cstdint>
#include <string>

#include "state/program_state.h"

namespace kva {

inline constexpr const char* kSettingsFileName = "CommPort.cfg";

// Reads CommPort.cfg from the current folder into the three persistent settings. A missing or
// unreadable file changes nothing. Lines without an "=" at position 2 or later, and values
// that are not integers in the 16-bit range, are skipped; the other lines still apply.
void LoadCommSettings();
void LoadCommSettings(const std::string& path);

// Writes the three settings to CommPort.cfg in the current folder. The file is replaced
// atomically, so a failed write leaves the previous file as it was. Returns false on failure
// (the program itself reports nothing).
bool SaveCommSettings();
bool SaveCommSettings(const std::string& path);

// The numeric print form of the settings file: a blank (or "-") before and a blank after.
std::string NumberPrintForm(long value);

}  // namespace kva
