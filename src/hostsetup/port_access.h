// SPDX-License-Identifier: GPL-3.0-or-later
// Port access for the parallel-port transport. On this host a user program reaches I/O ports
// after one request for I/O permission (ioperm on Linux, which needs root or the
// CAP_SYS_RAWIO capability); nothing has to be installed. SetupGiveIO and giveio, which the
// port dialog and the main window's start-up call in that order, both reduce to that one
// request for PortAddress .. PortAddress + 2: whichever runs first makes it, the other finds
// it made. A refusal is reported once per run and address, in a message that names the
// address, the reason and the fix; the program goes on, and the port reads as an empty
// address (every word 0x0000) until the cause is fixed and the program restarted.
//
// The request itself is a seam: none until one is installed (every request then answers
// ENOSYS), the real backend installs the host's, the simulated board one that grants
// everything, tests one that refuses.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "state/program_state.h"

namespace kva {

// The host's answer to a request for the ports first .. first + count - 1 is a
// PortPermissionAnswer; the request, the grants and the refusals are in State().seams.

// Replaces the request (empty: none, so nothing is granted). Forgets earlier grants and
// refusals, as a new run would.
void SetPortPermissionRequest(PortPermissionRequest request);

// A request that grants everything, for the simulated board.
PortPermissionAnswer GrantAllPorts(uint16_t first, uint16_t count);

// Asks once per run for first .. first + 2 (the data, status and control registers). True when
// access is granted, now or earlier. A refusal shows its message the first time only; later
// calls for the same address return false quietly. Addresses below 0x100 belong to the system
// board's own devices and addresses above 0xFFFD leave the I/O space: both are refused
// without asking the host.
bool RequestPortAccess(uint16_t first);

// Whether this port has been granted in this run (every port access of the real backend
// checks it first, so a wrong address can never fault the program).
bool PortAccessGranted(uint16_t port);

// For a port backend before each access: whether the port is granted, asking once when it is
// not (for PortAddress .. PortAddress + 2 when the port lies there, else for the port alone).
bool EnsurePortAccess(uint16_t port);

// The refusal message for base with the given answer (shown through MsgBox, title "Error").
// asRoot: the program runs as root, so a refusal of permission comes from kernel lockdown.
std::string PortAccessRefusalText(uint16_t base, const PortPermissionAnswer& answer, bool asRoot);

// The port-I/O driver set-up and the driver call of the port dialog and the main window's
// start-up: each requests access for PortAddress .. PortAddress + 2 (see above).
void SetupGiveIO();
void giveio();

}  // namespace kva
