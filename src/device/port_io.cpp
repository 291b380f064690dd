// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/port_io.h"

namespace kva {
void SetPortIo(PortIo* io) { State().seams.portIo = io; }
PortIo* CurrentPortIo() { return State().seams.portIo; }

void vbOut(int32_t port, int32_t value) {
  if (PortIo* io = State().seams.portIo)
    io->Out(static_cast<uint16_t>(port), static_cast<uint8_t>(value));
}

int32_t vbInp(int32_t port) {
  PortIo* io = State().seams.portIo;
  return io ? io->In(static_cast<uint16_t>(port)) : 0xFF;
}

}  // namespace kva
