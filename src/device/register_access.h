// SPDX-License-Identifier: GPL-3.0-or-later
// The one road to the sensor's registers: frames are built here, handed to the transport that
// InterfaceType selects at that moment, and answers decoded with the register map's columns.
#pragma once

#include <cstdint>

#include "state/program_state.h"

namespace kva {

// Results of the last call are left in State().registers; callers copy them at once.

// index 0..60 (anything else throws std::out_of_range before a frame is sent).
void ReadRegister(int16_t index);
void WriteRegister(int16_t index, int32_t value);

// Frame layer. Arguments are masked in place (addresses to 7 bits, data to 8). The transport
// is the one InterfaceType names at the moment of the call: 1 parallel port, 2 USB adapter,
// anything else none (writes send nothing, reads give 0).
void SpiWriteFrames(int16_t& address1, int16_t& data1, int16_t& address2, int16_t& data2);
// The word (0..65535) answered to a read command for address; also left in SpiReadResult. A
// USB adapter that is not ready, or fails during this exchange, gives 0.
int32_t SpiReadWord(int16_t& address);

// Decodes a raw 16-bit word with the columns of register index (the decode step of
// ReadRegister, for callers that hold a word already).
int32_t DecodeRegisterWord(int16_t index, int32_t raw);

}  // namespace kva
