// SPDX-License-Identifier: GPL-3.0-or-later
// The real parallel port: byte writes and reads straight to the I/O ports (outb / inb) after
// the port access step has been granted (hostsetup/port_access.h). Only on x86 Linux; other
// builds have no direct port I/O and the request answers ENOSYS.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/port_io.h"
#include "hostsetup/port_access.h"

namespace kva {

// True where this build can reach I/O ports directly (x86 Linux).
bool DirectPortIoAvailable();

// The host's permission request: refuses ranges that another driver holds (from
// /proc/ioports), then asks the kernel with ioperm. The grant belongs to the calling thread
// (and threads it starts later): all port I/O runs on the thread that asked, the UI thread.
PortPermissionAnswer HostPortPermissionRequest(uint16_t first, uint16_t count);

// The driver that holds any of first .. first + count - 1 in a /proc/ioports listing; empty
// when none does. Bus windows, PCI device ranges, plug-and-play reservations and the kernel's
// own parallel-port driver do not count: the port itself sits inside them.
std::optional<std::string> FindPortHolder(std::string_view ioports, uint16_t first, uint16_t count);

// vbOut / vbInp on the real port. Each access asks the port access policy first
// (EnsurePortAccess); a port that stays refused behaves as an empty address: writes are
// dropped and reads give 0xFF.
class LinuxPortIo : public PortIo {
 public:
  void Out(uint16_t port, uint8_t value) override;
  uint8_t In(uint16_t port) override;
};

}  // namespace kva
