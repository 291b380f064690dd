// SPDX-License-Identifier: GPL-3.0-or-later
// The EZ-USB driver requests over libusb-1.0, for real adapter boards on Linux.
//
// "Ezusb-n" is the n-th attached device whose vendor and product IDs are in AdapterUsbIds,
// counted in the order of bus number and port path (stable while the boards stay plugged in where
// they are). The requests map to USB as follows:
//   device descriptor   the descriptor the device reported when it was attached
//   string descriptor   GET_DESCRIPTOR(string, index) in language 0x0409, wLength = output size
//   pipe information    the endpoints of the active configuration's first interface, in
//                       descriptor order: pipe k is its k-th endpoint
//   bulk read / write   a bulk transfer on the pipe's endpoint, kBulkTimeoutMs at most
// The adapter layer opens and closes the device for every operation; underneath, the libusb
// handle (with the interface claimed) is kept until the device goes away or the driver ends,
// so an operation costs only its own bus traffic.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/libusb_api.h"
#include "usbspi/ezusb_driver.h"

namespace kva {

inline constexpr unsigned kBulkTimeoutMs = 1000;
inline constexpr uint16_t kStringLanguage = 0x0409;

// Shown once per run when a board may not be opened for lack of permission.
std::string UsbPermissionMessage();

class LibUsbEzUsbDriver : public EzUsbDriver {
 public:
  explicit LibUsbEzUsbDriver(LibUsbApi& api);
  ~LibUsbEzUsbDriver() override;
  LibUsbEzUsbDriver(const LibUsbEzUsbDriver&) = delete;
  LibUsbEzUsbDriver& operator=(const LibUsbEzUsbDriver&) = delete;

  EzUsbHandle Open(const std::string& deviceName) override;
  bool Request(EzUsbHandle handle, uint32_t code, const uint8_t* input, uint32_t inputLength,
               uint8_t* output, uint32_t outputLength, uint32_t& bytesReturned) override;
  void Close(EzUsbHandle handle) override;

  int HeldDevices() const { return static_cast<int>(held_.size()); }

 private:
  using DeviceKey = std::tuple<uint8_t, std::vector<uint8_t>, uint8_t>;  // bus, ports, address
  struct Held {
    LibUsbHandle handle = 0;
    std::array<uint8_t, kDeviceDescriptorSize> descriptor{};
    EzUsbInterfaceInfo interface;
    std::vector<EzUsbPipe> pipes;
  };

  void Drop(const DeviceKey& key);
  // A failed transfer that says the device is gone lets go of its handle.
  void CheckGone(const DeviceKey& key, int rc);
  bool Transfer(const DeviceKey& key, Held& held, uint32_t code, const uint8_t* input,
                uint32_t inputLength, uint8_t* output, uint32_t outputLength,
                uint32_t& bytesReturned);

  LibUsbApi& api_;
  bool initialized_ = false;
  bool permissionReported_ = false;
  std::map<DeviceKey, Held> held_;
  std::map<EzUsbHandle, DeviceKey> open_;
  EzUsbHandle nextHandle_ = 0;
};

// The process's own backend over the real library (created on first use).
LibUsbEzUsbDriver& SystemLibUsbEzUsbDriver();

}  // namespace kva
