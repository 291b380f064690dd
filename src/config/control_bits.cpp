// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/control_bits.h"

#include <stdexcept>

#include "app/delay.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "mainwindow/window_startup.h"

namespace kva {

int32_t ComposeBits(std::span<const ControlBit> bits, std::span<const bool> set) {
  if (bits.size() != set.size()) throw std::invalid_argument("one flag per bit");
  int32_t value = 0;
  for (size_t i = 0; i < bits.size(); ++i) {
    if (set[i]) value += bits[i].value;
  }
  return value;
}

void WriteMiscCtrl(int32_t value) {
  WriteRegister(MISC_CTRL, value);
  WaitDelay(50.0);
}

void WriteGpioCtrl(int32_t value) {
  State().control.GpioCtrlValue = value;
  WriteRegister(GPIO_CTR, State().control.GpioCtrlValue);
  WaitDelay(100.0);
}

}  // namespace kva
