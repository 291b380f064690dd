// SPDX-License-Identifier: GPL-3.0-or-later
// CommPort.cfg as the program reads it at start-up, then written back and read again: what was
// read must survive the round trip.
#include <cstdlib>
#include <filesystem>

#include "app/settings.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kva::State().settings = {};
  kva::State().settings.InterfaceType =
      static_cast<kva::Interface>(7);  // never produced by a valid line: shows whether one applied
  const kvafuzz::MemoryFile file(data, size);
  kva::LoadCommSettings(file.path());

  static const std::string copy =
      (std::filesystem::temp_directory_path() / ("kva-fuzz-" + std::to_string(getpid()) + ".cfg"))
          .string();
  const kva::Interface type = kva::State().settings.InterfaceType;
  const int16_t port = kva::State().settings.PortAddress,
                factory = kva::State().settings.FactoryMode;
  if (type == static_cast<kva::Interface>(7) && port == 0 && factory == 0)
    return 0;  // nothing applied: nothing to keep
  if (!kva::SaveCommSettings(copy)) return 0;
  kva::State().settings = {};
  kva::LoadCommSettings(copy);
  std::filesystem::remove(copy);
  if (kva::State().settings.InterfaceType != type || kva::State().settings.PortAddress != port ||
      kva::State().settings.FactoryMode != factory) {
    std::abort();
  }
  return 0;
}
