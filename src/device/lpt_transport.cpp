// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/lpt_transport.h"

#include "app/delay.h"
#include "app/settings.h"
#include "device/port_io.h"
#include "device/register_access.h"

namespace kva {
namespace {

// Data register levels: D0 chip select, D1 clock, D2 inverted data out.
void out(int32_t value) { vbOut(State().settings.PortAddress, value); }
void pause() { WaitDelay(0.0); }
void settle() { WaitDelay(0.1); }

}  // namespace

void LptWriteFrame(int32_t word) {
  if (State().settings.InterfaceType != Interface::Parallel) return;
  out(4), pause();
  out(5), pause();
  State().registers.LptReadAccumulator = 0;
  for (int i = 15; i >= 0; --i) {
    const bool one = (word & (1 << i)) != 0;
    out(7), pause();
    out(one ? 3 : 7), pause();
    out(one ? 1 : 5), pause();
    out(5);
  }
  out(0);
  settle();
}

int32_t LptReadWord(int16_t& address) {
  address = static_cast<int16_t>(address & 0x7F);
  if (State().settings.InterfaceType != Interface::Parallel) return 0;
  State().registers.LptReadAccumulator = 0;
  LptWriteFrame(address * 256);
  out(4);
  out(5), pause();
  for (int i = 15; i >= 0; --i) {
    out(7), pause();
    const int32_t s = vbInp(State().settings.PortAddress + 1);
    if ((s & 0x40) == 0) State().registers.LptReadAccumulator += 1 << i;
    out(5), pause();
  }
  out(0);
  settle();
  State().registers.SpiReadResult = State().registers.LptReadAccumulator;
  out(2), pause();
  out(0);
  return State().registers.LptReadAccumulator;
}

void LptInit() {
  if (State().settings.InterfaceType != Interface::Parallel) return;
  vbOut(State().settings.PortAddress + 1, 0x40);
  settle();
  out(0);
}

}  // namespace kva
