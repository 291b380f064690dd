// SPDX-License-Identifier: GPL-3.0-or-later
// The port I/O seam: vbOut / vbInp reach whatever PortIo is installed, the simulated parallel
// port, the real one, or a test recorder. With none installed the bus is empty: writes go
// nowhere and reads return 0xFF.
#pragma once

#include <cstdint>

#include "state/program_state.h"

namespace kva {

class PortIo {
 public:
  virtual ~PortIo() = default;
  virtual void Out(uint16_t port, uint8_t value) = 0;
  virtual uint8_t In(uint16_t port) = 0;
};

// Not owned; the installer keeps it alive while installed. nullptr uninstalls.
void SetPortIo(PortIo* io);
PortIo* CurrentPortIo();

// Write one byte to an I/O port / read one byte from it. Port addresses are 16-bit values
// (negative numbers stand for 0x8000 and above).
void vbOut(int32_t port, int32_t value);
int32_t vbInp(int32_t port);

}  // namespace kva
