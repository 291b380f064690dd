// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libusb_api.h"

#include <libusb.h>

namespace kva {
namespace {

class SystemLibUsbApi : public LibUsbApi {
 public:
  ~SystemLibUsbApi() override {
    ReleaseList();
    if (context_ != nullptr) libusb_exit(context_);
  }

  int Init() override {
    if (context_ != nullptr) return 0;
    return libusb_init(&context_);
  }

  int ListDevices(std::vector<LibUsbDeviceInfo>& devices) override {
    devices.clear();
    ReleaseList();
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0) return static_cast<int>(count);
    for (ssize_t i = 0; i < count; ++i) {
      libusb_device* dev = list[i];
      libusb_device_descriptor d{};
      if (libusb_get_device_descriptor(dev, &d) != 0) continue;
      LibUsbDeviceInfo info;
      info.bus = libusb_get_bus_number(dev);
      info.address = libusb_get_device_address(dev);
      uint8_t ports[8];
      const int depth = libusb_get_port_numbers(dev, ports, sizeof ports);
      if (depth > 0) info.ports.assign(ports, ports + depth);
      uint8_t* b = info.descriptor.data();
      b[0] = d.bLength;
      b[1] = d.bDescriptorType;
      PutLe16(b + 2, d.bcdUSB);
      b[4] = d.bDeviceClass;
      b[5] = d.bDeviceSubClass;
      b[6] = d.bDeviceProtocol;
      b[7] = d.bMaxPacketSize0;
      PutLe16(b + 8, d.idVendor);
      PutLe16(b + 10, d.idProduct);
      PutLe16(b + 12, d.bcdDevice);
      b[14] = d.iManufacturer;
      b[15] = d.iProduct;
      b[16] = d.iSerialNumber;
      b[17] = d.bNumConfigurations;
      devices_.push_back(libusb_ref_device(dev));
      devices.push_back(std::move(info));
    }
    libusb_free_device_list(list, 1);
    return static_cast<int>(devices.size());
  }

  int FirstInterface(size_t device, EzUsbInterfaceInfo& interface,
                     std::vector<EzUsbPipe>& pipes) override {
    if (device >= devices_.size()) return LIBUSB_ERROR_NOT_FOUND;
    libusb_config_descriptor* config = nullptr;
    const int rc = libusb_get_active_config_descriptor(devices_[device], &config);
    if (rc != 0) return rc;
    int result = LIBUSB_ERROR_NOT_FOUND;
    if (config->bNumInterfaces >= 1 && config->interface[0].num_altsetting >= 1) {
      const libusb_interface_descriptor& alt = config->interface[0].altsetting[0];
      interface.number = alt.bInterfaceNumber;
      interface.alternateSetting = alt.bAlternateSetting;
      interface.interfaceClass = alt.bInterfaceClass;
      interface.interfaceSubclass = alt.bInterfaceSubClass;
      interface.interfaceProtocol = alt.bInterfaceProtocol;
      pipes.clear();
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        EzUsbPipe pipe;
        pipe.maxPacketSize = static_cast<uint16_t>(ep.wMaxPacketSize & 0x7FF);
        pipe.endpointAddress = ep.bEndpointAddress;
        pipe.interval = ep.bInterval;
        pipe.transferType = static_cast<uint8_t>(ep.bmAttributes & 0x03);
        pipes.push_back(pipe);
      }
      result = 0;
    }
    libusb_free_config_descriptor(config);
    return result;
  }

  int Open(size_t device, LibUsbHandle& handle) override {
    if (device >= devices_.size()) return LIBUSB_ERROR_NOT_FOUND;
    libusb_device_handle* h = nullptr;
    const int rc = libusb_open(devices_[device], &h);
    handle = rc == 0 ? reinterpret_cast<LibUsbHandle>(h) : 0;
    return rc;
  }

  void Close(LibUsbHandle handle) override { libusb_close(Native(handle)); }

  int ClaimInterface(LibUsbHandle handle, int number) override {
    libusb_set_auto_detach_kernel_driver(Native(handle), 1);  // unsupported: nothing to detach
    return libusb_claim_interface(Native(handle), number);
  }

  void ReleaseInterface(LibUsbHandle handle, int number) override {
    libusb_release_interface(Native(handle), number);
  }

  int GetStringDescriptor(LibUsbHandle handle, uint8_t index, uint16_t language, uint8_t* data,
                          int length) override {
    return libusb_get_string_descriptor(Native(handle), index, language, data, length);
  }

  int BulkTransfer(LibUsbHandle handle, uint8_t endpoint, uint8_t* data, int length,
                   int& transferred, unsigned timeoutMs) override {
    transferred = 0;
    return libusb_bulk_transfer(Native(handle), endpoint, data, length, &transferred, timeoutMs);
  }

 private:
  static libusb_device_handle* Native(LibUsbHandle handle) {
    return reinterpret_cast<libusb_device_handle*>(handle);
  }
  void ReleaseList() {
    for (libusb_device* dev : devices_) libusb_unref_device(dev);
    devices_.clear();
  }

  libusb_context* context_ = nullptr;
  std::vector<libusb_device*> devices_;
};

}  // namespace

std::unique_ptr<LibUsbApi> MakeSystemLibUsbApi() { return std::make_unique<SystemLibUsbApi>(); }

}  // namespace kva
