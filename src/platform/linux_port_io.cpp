// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux_port_io.h"

#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define KVA_DIRECT_PORT_IO 1
#include <sys/io.h>
#else
#define KVA_DIRECT_PORT_IO 0
#endif

namespace kva {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// "0000:00:1f.0": a PCI device's range, which holds whatever its driver claims inside it.
bool IsPciDeviceName(std::string_view s) {
  if (s.size() != 12) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (i == 4 || i == 7) {
      if (c != ':') return false;
    } else if (i == 10) {
      if (c != '.') return false;
    } else if (!std::isxdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

bool IsContainerOrOurs(std::string_view name) {
  return StartsWith(name, "PCI Bus") || StartsWith(name, "pnp ") || StartsWith(name, "parport") ||
         IsPciDeviceName(name);
}

}  // namespace

std::optional<std::string> FindPortHolder(std::string_view ioports, uint16_t first,
                                          uint16_t count) {
  const unsigned long lo = first;
  const unsigned long hi = static_cast<unsigned long>(first) + count - 1;
  std::istringstream in{std::string(ioports)};
  std::string line;
  while (std::getline(in, line)) {
    unsigned long start = 0, end = 0;
    size_t colon = line.find(" : ");
    if (colon == std::string::npos) continue;
    std::istringstream range(line.substr(0, colon));
    char dash = 0;
    if (!(range >> std::hex >> start >> dash >> end) || dash != '-') continue;
    if (end < lo || start > hi) continue;
    std::string name = line.substr(colon + 3);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    if (IsContainerOrOurs(name)) continue;
    return name;
  }
  return std::nullopt;
}

bool DirectPortIoAvailable() { return KVA_DIRECT_PORT_IO != 0; }

PortPermissionAnswer HostPortPermissionRequest(uint16_t first, uint16_t count) {
#if KVA_DIRECT_PORT_IO
  std::ifstream file("/proc/ioports");
  if (file) {
    const std::string listing{std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>()};
    if (auto holder = FindPortHolder(listing, first, count)) return {EBUSY, *holder};
  }
  if (ioperm(first, count, 1) != 0) return {errno, {}};
  return {};
#else
  (void)first;
  (void)count;
  return {ENOSYS, {}};
#endif
}

void LinuxPortIo::Out(uint16_t port, uint8_t value) {
#if KVA_DIRECT_PORT_IO
  if (EnsurePortAccess(port)) outb(value, port);
#else
  (void)port;
  (void)value;
#endif
}

uint8_t LinuxPortIo::In(uint16_t port) {
#if KVA_DIRECT_PORT_IO
  if (EnsurePortAccess(port)) return inb(port);
#else
  (void)port;
#endif
  return 0xFF;
}

}  // namespace kva
