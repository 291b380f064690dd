// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/port_io.h"

namespace kva {
namespace {
PortIo* installed = nullptr;
}

void SetPortIo(PortIo* io) { installed = io; }
PortIo* CurrentPortIo() { return installed; }

void vbOut(int32_t port, int32_t value) {
  if (installed) installed->Out(static_cast<uint16_t>(port), static_cast<uint8_t>(value));
}

int32_t vbInp(int32_t port) {
  return installed ? installed->In(static_cast<uint16_t>(port)) : 0xFF;
}

}  // namespace kva
