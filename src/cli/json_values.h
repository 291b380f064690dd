// SPDX-License-Identifier: GPL-3.0-or-later
// What kva7710ctl's --json documents share: the units of registers and trigger sources, and
// a register reading as an object. Every command that prints values writes its document with
// these and JsonWriter (cli/json_writer.h).
#pragma once

#include <cstdint>
#include <ostream>

#include "cli/json_writer.h"

namespace kva::ctl {

// "V", "g" or "C" for the output registers that carry one; nullptr for a plain count.
const char* RegisterUnit(int index);
// The unit of a trigger or alarm source's level (codes 1..8); nullptr for none.
const char* TriggerSourceUnit(int16_t code);

// The register just read (RegRawValue, RegScaledValue), as an object: name, index, address,
// hex, raw (the decoded count, signed where the register is), value (raw x scale + offset) and
// unit; with flags, also ea and nd (bits 14 and 15 of the word).
void WriteRegisterReading(JsonWriter& json, int index, bool flags = false);

// The document, on one line.
inline void PrintJson(const JsonWriter& json, std::ostream& out) { out << json.Document(); }

}  // namespace kva::ctl
