// SPDX-License-Identifier: GPL-3.0-or-later
// The interface settings and the settings file CommPort.cfg, plus the other globals that
// start-up gives their values.
#pragma once

#include <cstdint>
#include <string>

namespace kva {

// Persistent settings (CommPort.cfg).
inline int16_t InterfaceType = 0;  // 0 none, 1 parallel port, 2 USB adapter
inline int16_t PortAddress = 0;    // parallel port base; 0x8000 and above held as negatives
inline int16_t FactoryMode = 0;    // carried through the file unchanged

// Set afresh at every start.
inline bool DebugLoopStop = true;     // no USB debug loop is running
inline bool PortDriverReady = false;  // port access not yet set up in this run
inline std::string CaptureFileName = "DataCapBuff";

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

// Every global of this module back to its start-up value (tests).
void ResetSettings();

}  // namespace kva
