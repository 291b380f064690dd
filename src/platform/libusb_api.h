// SPDX-License-Identifier: GPL-3.0-or-later
// The few libusb-1.0 calls the adapter backend makes, behind an interface so that the mapping
// from driver requests to USB traffic can be tested without a board. Results are libusb error
// codes (0 or a count on success, negative on failure).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "usbspi/ezusb_driver.h"

namespace kva {

// An open device; 0 is none.
using LibUsbHandle = uintptr_t;

struct LibUsbDeviceInfo {
  uint8_t bus = 0;
  std::vector<uint8_t> ports;  // port numbers from the root hub down
  uint8_t address = 0;
  std::array<uint8_t, kDeviceDescriptorSize> descriptor{};  // as the device sends it
};

class LibUsbApi {
 public:
  virtual ~LibUsbApi() = default;

  virtual int Init() = 0;
  // The attached devices. The position in the list names a device for FirstInterface and
  // Open until the next call.
  virtual int ListDevices(std::vector<LibUsbDeviceInfo>& devices) = 0;
  // The first interface (alternate setting 0) of the active configuration and its endpoints.
  virtual int FirstInterface(size_t device, EzUsbInterfaceInfo& interface,
                             std::vector<EzUsbPipe>& pipes) = 0;
  virtual int Open(size_t device, LibUsbHandle& handle) = 0;
  virtual void Close(LibUsbHandle handle) = 0;
  // Claims the interface, detaching a kernel driver that holds it.
  virtual int ClaimInterface(LibUsbHandle handle, int number) = 0;
  virtual void ReleaseInterface(LibUsbHandle handle, int number) = 0;
  // GET_DESCRIPTOR of a string with wLength = length; the byte count received.
  virtual int GetStringDescriptor(LibUsbHandle handle, uint8_t index, uint16_t language,
                                  uint8_t* data, int length) = 0;
  virtual int BulkTransfer(LibUsbHandle handle, uint8_t endpoint, uint8_t* data, int length,
                           int& transferred, unsigned timeoutMs) = 0;
};

// The real library, with a context of its own.
std::unique_ptr<LibUsbApi> MakeSystemLibUsbApi();

}  // namespace kva
