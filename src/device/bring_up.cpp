// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/bring_up.h"

#include "app/settings.h"
#include "device/lpt_transport.h"
#include "device/register_map.h"
#include "hostsetup/port_access.h"
#include "usbspi/usb_adapter.h"

namespace kva {

void RunStartupSteps() {
  // The settings and the adapter's SPI settings start from their start values, whatever an
  // earlier run in this process left.
  ProgramState& state = State();
  state.settings = {};
  const UsbState fresh;
  state.usb.SpiInputPolarity = fresh.SpiInputPolarity;
  state.usb.SpiChannel = fresh.SpiChannel;
  state.usb.SpiStaticBits = fresh.SpiStaticBits;
  state.usb.SpiWordDelay = fresh.SpiWordDelay;
  LoadCommSettings();
  InitRegisterMap();
}

bool BringUpParallelPort(const std::function<void()>& beforeIdleLevels) {
  SetupGiveIO();
  giveio();
  State().settings.PortDriverReady = true;
  if (beforeIdleLevels) beforeIdleLevels();
  LptInit();
  return PortAccessGranted(static_cast<uint16_t>(State().settings.PortAddress));
}

bool BringUpUsbAdapter() {
  FindUsbAdapter();
  if (!State().usb.UsbReady) return false;
  SetSpiStaticBits(State().usb.SpiStaticBits);
  SetSpiWordDelay(State().usb.SpiWordDelay);
  return true;
}

}  // namespace kva
