// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/bring_up.h"

#include "app/settings.h"
#include "device/lpt_transport.h"
#include "device/register_map.h"
#include "hostsetup/port_access.h"
#include "usbspi/usb_adapter.h"

namespace kva {

void RunStartupSteps() {
  DebugLoopStop = true;
  PortDriverReady = false;
  SpiInputPolarity = true;
  SpiChannel = 1;
  SpiStaticBits = 120;
  SpiWordDelay = 25;
  FactoryMode = 0;
  InterfaceType = 0;
  LoadCommSettings();
  InitRegisterMap();
  CaptureFileName = "DataCapBuff";
}

bool BringUpParallelPort(const std::function<void()>& beforeIdleLevels) {
  SetupGiveIO();
  giveio();
  PortDriverReady = true;
  if (beforeIdleLevels) beforeIdleLevels();
  LptInit();
  return PortAccessGranted(static_cast<uint16_t>(PortAddress));
}

bool BringUpUsbAdapter() {
  FindUsbAdapter();
  if (!UsbReady) return false;
  SetSpiStaticBits(SpiStaticBits);
  SetSpiWordDelay(SpiWordDelay);
  return true;
}

}  // namespace kva
