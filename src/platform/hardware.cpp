// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hardware.h"

#include "device/port_io.h"
#include "hostsetup/port_access.h"
#include "platform/linux_port_io.h"
#include "usbspi/ezusb_driver.h"
#ifdef KVA_HAVE_LIBUSB
#include "platform/libusb_ezusb_driver.h"
#endif

namespace kva {

bool InstallRealPortIo() {
  if (!DirectPortIoAvailable()) return false;
  static LinuxPortIo port;
  SetPortIo(&port);
  SetPortPermissionRequest(&HostPortPermissionRequest);
  return true;
}

bool InstallLibUsbEzUsbDriver() {
#ifdef KVA_HAVE_LIBUSB
  SetEzUsbDriver(&SystemLibUsbEzUsbDriver());
  return true;
#else
  return false;
#endif
}

}  // namespace kva
