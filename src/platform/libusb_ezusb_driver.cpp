// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libusb_ezusb_driver.h"

#include <libusb.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "app/hooks.h"
#include "usbspi/usb_adapter.h"

namespace kva {

std::string UsbPermissionMessage() {
  return "No permission to open the USB adapter board. Install the udev rule as root (kva7710ctl "
         "udev-rule | sudo tee /etc/udev/rules.d/60-kva7710-usbspi.rules, then sudo udevadm "
         "control --reload-rules and sudo udevadm trigger) and plug the board in again.";
}

LibUsbEzUsbDriver::LibUsbEzUsbDriver(LibUsbApi& api) : api_(api) {}

LibUsbEzUsbDriver::~LibUsbEzUsbDriver() {
  while (!held_.empty()) Drop(held_.begin()->first);
}

void LibUsbEzUsbDriver::Drop(const DeviceKey& key) {
  const auto it = held_.find(key);
  if (it == held_.end()) return;
  api_.ReleaseInterface(it->second.handle, it->second.interface.number);
  api_.Close(it->second.handle);
  held_.erase(it);
}

void LibUsbEzUsbDriver::CheckGone(const DeviceKey& key, int rc) {
  if (rc == LIBUSB_ERROR_NO_DEVICE) Drop(key);
}

EzUsbHandle LibUsbEzUsbDriver::Open(const std::string& deviceName) {
  if (deviceName.size() != 7 || deviceName.compare(0, 6, "Ezusb-") != 0) return kNoEzUsbHandle;
  const size_t wanted = static_cast<size_t>(deviceName[6] - '0');
  if (wanted > 3) return kNoEzUsbHandle;
  if (!initialized_) {
    if (api_.Init() != 0) return kNoEzUsbHandle;
    initialized_ = true;
  }
  std::vector<LibUsbDeviceInfo> devices;
  if (api_.ListDevices(devices) < 0) return kNoEzUsbHandle;

  std::vector<std::pair<DeviceKey, size_t>> boards;  // key, position in the list
  for (size_t i = 0; i < devices.size(); ++i) {
    const uint8_t* d = devices[i].descriptor.data();
    if (!IsAdapterUsbId(GetLe16(d + 8), GetLe16(d + 10))) continue;
    boards.emplace_back(DeviceKey{devices[i].bus, devices[i].ports, devices[i].address}, i);
  }
  std::sort(boards.begin(), boards.end());

  // Boards that are no longer attached (or came back at a new address) let go of their handle.
  std::vector<DeviceKey> gone;
  for (const auto& entry : held_) {
    const DeviceKey& key = entry.first;
    if (std::none_of(boards.begin(), boards.end(),
                     [&key](const auto& b) { return b.first == key; })) {
      gone.push_back(key);
    }
  }
  for (const DeviceKey& key : gone) Drop(key);

  if (wanted >= boards.size()) return kNoEzUsbHandle;
  const auto& [key, position] = boards[wanted];
  if (held_.count(key) == 0) {
    Held held;
    held.descriptor = devices[position].descriptor;
    if (api_.FirstInterface(position, held.interface, held.pipes) != 0) return kNoEzUsbHandle;
    const int rc = api_.Open(position, held.handle);
    if (rc != 0) {
      if (rc == LIBUSB_ERROR_ACCESS && !permissionReported_) {
        permissionReported_ = true;
        MsgBox(UsbPermissionMessage());
      }
      return kNoEzUsbHandle;
    }
    if (api_.ClaimInterface(held.handle, held.interface.number) != 0) {
      api_.Close(held.handle);
      return kNoEzUsbHandle;
    }
    held_.emplace(key, std::move(held));
  }
  EzUsbHandle handle = nextHandle_;
  nextHandle_ = nextHandle_ == std::numeric_limits<EzUsbHandle>::max() ? 0 : nextHandle_ + 1;
  open_[handle] = key;
  return handle;
}

void LibUsbEzUsbDriver::Close(EzUsbHandle handle) { open_.erase(handle); }

bool LibUsbEzUsbDriver::Request(EzUsbHandle handle, uint32_t code, const uint8_t* input,
                                uint32_t inputLength, uint8_t* output, uint32_t outputLength,
                                uint32_t& bytesReturned) {
  bytesReturned = 0;
  const auto open = open_.find(handle);
  if (open == open_.end()) return false;
  const auto held = held_.find(open->second);
  if (held == held_.end()) return false;  // the device went away since the open
  const DeviceKey key = held->first;
  return Transfer(key, held->second, code, input, inputLength, output, outputLength, bytesReturned);
}

bool LibUsbEzUsbDriver::Transfer(const DeviceKey& key, Held& held, uint32_t code,
                                 const uint8_t* input, uint32_t inputLength, uint8_t* output,
                                 uint32_t outputLength, uint32_t& bytesReturned) {
  switch (code) {
    case kEzUsbGetPipeInfo: {
      if (inputLength < kPipeInfoSize || outputLength < kPipeInfoSize) return false;
      std::array<uint8_t, kPipeInfoSize> block;
      BuildPipeInfo(held.interface, held.pipes.data(), held.pipes.size(), block);
      std::memcpy(output, block.data(), block.size());
      bytesReturned = kPipeInfoSize;
      return true;
    }
    case kEzUsbGetDeviceDescriptor:
      if (outputLength < kDeviceDescriptorSize) return false;
      std::memcpy(output, held.descriptor.data(), kDeviceDescriptorSize);
      bytesReturned = kDeviceDescriptorSize;
      return true;
    case kEzUsbGetStringDescriptor: {
      if (inputLength < 1) return false;
      const int length = static_cast<int>(std::min<uint32_t>(outputLength, 255));
      const int rc =
          api_.GetStringDescriptor(held.handle, input[0], kStringLanguage, output, length);
      if (rc < 0) {
        CheckGone(key, rc);
        return false;
      }
      bytesReturned = static_cast<uint32_t>(rc);
      return true;
    }
    case kEzUsbBulkRead:
    case kEzUsbBulkWrite: {
      if (inputLength != 4) return false;
      const uint32_t pipe = GetLe32(input);
      if (pipe >= held.pipes.size() || held.pipes[pipe].transferType != 2) return false;
      const uint8_t endpoint = held.pipes[pipe].endpointAddress;
      if (((endpoint & 0x80) != 0) != (code == kEzUsbBulkRead)) return false;
      if (outputLength > static_cast<uint32_t>(std::numeric_limits<int>::max())) return false;
      int transferred = 0;
      const int rc = api_.BulkTransfer(held.handle, endpoint, output,
                                       static_cast<int>(outputLength), transferred, kBulkTimeoutMs);
      bytesReturned = static_cast<uint32_t>(std::max(transferred, 0));
      if (rc != 0) {
        CheckGone(key, rc);
        return false;
      }
      return true;
    }
    default:
      return false;
  }
}

LibUsbEzUsbDriver& SystemLibUsbEzUsbDriver() {
  // The library outlives the driver, which lets go of its handles first.
  static const std::unique_ptr<LibUsbApi> api = MakeSystemLibUsbApi();
  static LibUsbEzUsbDriver driver(*api);
  return driver;
}

}  // namespace kva
