// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/ezusb_driver.h"

#include <algorithm>

namespace kva {
void SetEzUsbDriver(EzUsbDriver* driver) { State().seams.ezUsbDriver = driver; }

EzUsbDriver* CurrentEzUsbDriver() { return State().seams.ezUsbDriver; }

void BuildPipeInfo(const EzUsbInterfaceInfo& interface, const EzUsbPipe* pipes, size_t count,
                   std::array<uint8_t, kPipeInfoSize>& block) {
  block.fill(0);
  count = std::min(count, static_cast<size_t>(kPipeEntries));
  PutLe16(&block[0], static_cast<uint16_t>(kPipeInfoSize));
  block[2] = interface.number;
  block[3] = interface.alternateSetting;
  block[4] = interface.interfaceClass;
  block[5] = interface.interfaceSubclass;
  block[6] = interface.interfaceProtocol;
  PutLe32(&block[8], static_cast<uint32_t>(count));
  for (size_t k = 0; k < count; ++k) {
    uint8_t* e = &block[kPipeInfoHeaderSize + kPipeEntrySize * k];
    PutLe16(e, pipes[k].maxPacketSize);
    e[2] = pipes[k].endpointAddress;
    e[3] = pipes[k].interval;
    e[4] = pipes[k].transferType;
    PutLe32(e + 12, pipes[k].maxTransferSize);
  }
}

}  // namespace kva
