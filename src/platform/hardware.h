// SPDX-License-Identifier: GPL-3.0-or-later
// Installing the real backends behind the device seams. The desktop program and kva7710ctl
// call these once at start-up when they run on hardware; the simulated board installs its own
// instead.
#pragma once

namespace kva {

// The program's one LinuxPortIo behind vbOut / vbInp and the host's port permission request.
// Returns false and installs nothing where direct port I/O is not available; the port access
// step then reports why.
bool InstallRealPortIo();

// The libusb backend (one per process, living until exit) as the EZ-USB driver. Returns false,
// changing nothing, when the program was built without libusb.
bool InstallLibUsbEzUsbDriver();

}  // namespace kva
