// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated sensor's flash image as found on file at power-on; the sensor then answers a
// read of every register.
#include "fuzz_input.h"
#include "sim/kva7710.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kvafuzz::MemoryFile file(data, size);
  double now = 0.0;
  kva::sim::Kva7710 sensor([&now] { return now; }, file.path());
  for (uint16_t address = 0; address < 0x80; address += 2) {
    sensor.Transfer(static_cast<uint16_t>(address << 8));
    now += 1e-4;
  }
  sensor.Transfer(0);
  return 0;
}
