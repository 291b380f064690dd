// SPDX-License-Identifier: GPL-3.0-or-later
// Faults on the parallel port's data-in line, for reaching the transport's failure behaviour
// in tests: a line stuck at a level (an unplugged or unpowered device), one status read in
// error, or status reads in error at random with a seeded, repeatable sequence. Everything
// else passes straight through to the wrapped port.
#pragma once

#include <cstdint>

#include "device/port_io.h"
#include "sim/seeded_chance.h"

namespace kva::sim {

class PortFaults : public PortIo {
 public:
  // base: the port's data register; faults act on status reads at base + 1.
  PortFaults(PortIo& inner, uint16_t base = 0x378, uint64_t seed = 1);

  void Out(uint16_t port, uint8_t value) override;
  uint8_t In(uint16_t port) override;

  // Status bit 6 reads as level (0 or 1) whatever the device does; -1 frees it again.
  void StickDataIn(int level);
  // Inverts bit 6 of the n-th status read from now (1 = the next one); 0 cancels.
  void FlipStatusRead(uint64_t n);
  // Inverts bit 6 of each status read with this probability (0 = never).
  void FlipStatusReads(double probability);

  uint64_t StatusReads() const { return statusReads_; }
  uint64_t FlippedReads() const { return flipped_; }

 private:
  PortIo& inner_;
  uint16_t status_;
  SeededChance chance_;
  int stuck_ = -1;
  uint64_t flipAt_ = 0;
  double probability_ = 0.0;
  uint64_t statusReads_ = 0;
  uint64_t flipped_ = 0;
};

}  // namespace kva::sim
