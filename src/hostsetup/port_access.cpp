// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostsetup/port_access.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include "app/hooks.h"
#include "app/number_text.h"
#include "app/settings.h"

namespace kva {
namespace {

constexpr uint16_t kPortCount = 3;           // data, status, control
constexpr uint32_t kLowestPortBase = 0x100;  // below: DMA, interrupt controllers, timers, ...

bool Granted(uint32_t port) {
  const std::vector<bool>& granted = State().seams.grantedPorts;
  return port < granted.size() && granted[port];
}

std::string Hex(uint32_t value) { return HexNoPad(static_cast<int32_t>(value)); }

std::string ProgramPath() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "<program>";
  return std::string(buf, static_cast<size_t>(n));
}

}  // namespace

void SetPortPermissionRequest(PortPermissionRequest r) {
  SeamState& seams = State().seams;
  seams.portRequest = std::move(r);
  seams.grantedPorts.clear();
  seams.refusedPorts.clear();
}

PortPermissionAnswer GrantAllPorts(uint16_t, uint16_t) { return {}; }

std::string PortAccessRefusalText(uint16_t base, const PortPermissionAnswer& answer, bool asRoot) {
  const uint32_t last = static_cast<uint32_t>(base) + kPortCount - 1;
  std::string text = "The parallel port at address " + Hex(base) + " (hex) cannot be used";
  if (last <= 0xFFFF) text += ": no access to the I/O ports " + Hex(base) + " to " + Hex(last);
  text += ".\n\n";
  const std::string pickAddress =
      "Enter the port's own address in Interface, Parallel (usually 378, 278 or 3BC; a plug-in "
      "card's address is listed as parport in /proc/ioports).";
  switch (answer.error) {
    case EPERM:
    case EACCES:
      if (asRoot) {
        text +=
            "The kernel refuses direct port access even to root (kernel lockdown, for example "
            "under Secure Boot).\n\nStart the computer with lockdown off, or use the USB adapter.";
      } else {
        text +=
            "The program is not running as root and lacks the CAP_SYS_RAWIO capability.\n\n"
            "Start it as root, or give it the capability once with:\n    sudo setcap "
            "cap_sys_rawio+ep " +
            ProgramPath() + "\nthen start it again.";
      }
      break;
    case EBUSY:
      text += "The ports are busy: they belong to " +
              (answer.holder.empty() ? std::string("another driver") : answer.holder) + ".\n\n" +
              pickAddress;
      break;
    case EINVAL:
      if (base < kLowestPortBase) {
        text +=
            "Addresses below 100 (hex) belong to the computer's own devices, not to a parallel "
            "port.\n\n" +
            pickAddress;
      } else {
        text += "The address leaves the I/O port range.\n\n" + pickAddress;
      }
      break;
    case ENOSYS:
      text += "This computer has no direct port I/O.\n\nUse the USB adapter instead.";
      break;
    default:
      text +=
          std::string("The system refused: ") + std::strerror(answer.error) + ".\n\n" + pickAddress;
      break;
  }
  return text;
}

bool RequestPortAccess(uint16_t first) {
  const uint32_t last = static_cast<uint32_t>(first) + kPortCount - 1;
  if (last <= 0xFFFF && Granted(first) && Granted(first + 1u) && Granted(last)) return true;
  if (State().seams.refusedPorts.count(first)) return false;

  PortPermissionAnswer answer;
  if (first < kLowestPortBase || last > 0xFFFF) {
    answer.error = EINVAL;
  } else if (State().seams.portRequest) {
    answer = State().seams.portRequest(first, kPortCount);
  } else {
    answer.error = ENOSYS;  // no port I/O installed in this run
  }
  if (answer.error == 0) {
    std::vector<bool>& granted = State().seams.grantedPorts;
    granted.resize(0x10000);
    for (uint32_t p = first; p <= last; ++p) granted[p] = true;
    return true;
  }
  State().seams.refusedPorts.insert(first);
  MsgBox(PortAccessRefusalText(first, answer, geteuid() == 0), "Error");
  return false;
}

bool PortAccessGranted(uint16_t port) { return Granted(port); }

bool EnsurePortAccess(uint16_t port) {
  if (PortAccessGranted(port)) return true;
  const uint16_t base = static_cast<uint16_t>(State().settings.PortAddress);
  const bool inPortRange = port >= base && port - base <= 2;
  return RequestPortAccess(inPortRange ? base : port) && PortAccessGranted(port);
}

void SetupGiveIO() { RequestPortAccess(static_cast<uint16_t>(State().settings.PortAddress)); }

void giveio() { RequestPortAccess(static_cast<uint16_t>(State().settings.PortAddress)); }

}  // namespace kva
