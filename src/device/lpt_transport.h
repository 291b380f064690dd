// SPDX-License-Identifier: GPL-3.0-or-later
// SPI over the PC parallel port: the program drives chip select (D0), clock (D1) and the
// inverted data-out line (D2) itself and samples the inverted data-in line on status bit 6.
#pragma once

#include <cstdint>

#include "state/program_state.h"

namespace kva {

// Sends bits 15..0 of word as one chip-select period. Nothing unless InterfaceType is 1.
void LptWriteFrame(int32_t word);

// Sends the read command for address (masked in place to 7 bits) and clocks in the answer.
// Returns 0..65535 and sets SpiReadResult; returns 0 without port access unless InterfaceType
// is 1.
int32_t LptReadWord(int16_t& address);

// Idle line levels. Nothing unless InterfaceType is 1.
void LptInit();

}  // namespace kva
