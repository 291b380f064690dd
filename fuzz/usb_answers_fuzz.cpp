// SPDX-License-Identifier: GPL-3.0-or-later
// What adapter boards answer, as the libusb backend and the adapter layer above it parse it:
// the device list and descriptors, the interface's endpoints, string descriptors and the
// firmware's bulk answers, each taken from the input. The program then searches, reads and
// changes the SPI set-up, exchanges words and reads registers, as the windows would.
#include <fuzzer/FuzzedDataProvider.h>
#include <libusb.h>

#include <algorithm>

#include "app/hooks.h"
#include "app/settings.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "platform/libusb_ezusb_driver.h"
#include "usbspi/usb_adapter.h"

namespace {

constexpr int kResults[] = {0,
                            LIBUSB_ERROR_TIMEOUT,
                            LIBUSB_ERROR_PIPE,
                            LIBUSB_ERROR_NO_DEVICE,
                            LIBUSB_ERROR_IO,
                            LIBUSB_ERROR_ACCESS,
                            LIBUSB_ERROR_OVERFLOW};

class FuzzedLibUsb : public kva::LibUsbApi {
 public:
  explicit FuzzedLibUsb(FuzzedDataProvider& in) : in_(in) {}

  int Init() override { return Result(); }
  int ListDevices(std::vector<kva::LibUsbDeviceInfo>& devices) override {
    devices.clear();
    const int count = in_.ConsumeIntegralInRange(0, 5);
    for (int i = 0; i < count; ++i) {
      kva::LibUsbDeviceInfo d;
      d.bus = in_.ConsumeIntegral<uint8_t>();
      d.ports = in_.ConsumeBytes<uint8_t>(in_.ConsumeIntegralInRange(0, 7));
      d.address = in_.ConsumeIntegral<uint8_t>();
      const auto bytes = in_.ConsumeBytes<uint8_t>(d.descriptor.size());
      std::copy(bytes.begin(), bytes.end(), d.descriptor.begin());
      if (in_.ConsumeBool()) {
        kva::PutLe16(&d.descriptor[8], kva::AdapterVendorId);
        kva::PutLe16(&d.descriptor[10], kva::kAlderProductId);
      }
      devices.push_back(std::move(d));
    }
    return in_.ConsumeBool() ? count : Result();
  }
  int FirstInterface(size_t, kva::EzUsbInterfaceInfo& interface,
                     std::vector<kva::EzUsbPipe>& pipes) override {
    interface.number = in_.ConsumeIntegral<uint8_t>();
    pipes.resize(in_.ConsumeIntegralInRange<size_t>(0, 20));
    for (kva::EzUsbPipe& p : pipes) {
      p.maxPacketSize = in_.ConsumeIntegral<uint16_t>();
      p.endpointAddress = in_.ConsumeIntegral<uint8_t>();
      p.transferType = in_.ConsumeIntegralInRange<uint8_t>(0, 3);
    }
    return Result();
  }
  int Open(size_t, kva::LibUsbHandle& handle) override {
    handle = 1;
    return Result();
  }
  void Close(kva::LibUsbHandle) override {}
  int ClaimInterface(kva::LibUsbHandle, int) override { return Result(); }
  void ReleaseInterface(kva::LibUsbHandle, int) override {}
  int GetStringDescriptor(kva::LibUsbHandle, uint8_t, uint16_t, uint8_t* data,
                          int length) override {
    const int rc = Result();
    if (rc != 0) return rc;
    const auto bytes = in_.ConsumeBytes<uint8_t>(in_.ConsumeIntegralInRange(0, length));
    std::copy(bytes.begin(), bytes.end(), data);
    return static_cast<int>(bytes.size());
  }
  int BulkTransfer(kva::LibUsbHandle, uint8_t endpoint, uint8_t* data, int length, int& transferred,
                   unsigned) override {
    // Like the library: never more than asked for, and some bytes may arrive before a failure.
    transferred = in_.ConsumeIntegralInRange(0, length);
    if (endpoint & 0x80) {
      const auto bytes = in_.ConsumeBytes<uint8_t>(static_cast<size_t>(transferred));
      std::copy(bytes.begin(), bytes.end(), data);
    }
    return Result();
  }

 private:
  int Result() { return in_.ConsumeBool() ? 0 : in_.PickValueInArray(kResults); }
  FuzzedDataProvider& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool mapped = (kva::InitRegisterMap(), true);
  (void)mapped;
  FuzzedDataProvider in(data, size);
  kva::SetMsgBoxHandler([](const std::string&, const std::string&) {});
  kva::State().usb = {};
  kva::State().settings.InterfaceType = kva::Interface::Usb;
  FuzzedLibUsb usb(in);
  kva::LibUsbEzUsbDriver driver(usb);
  kva::SetEzUsbDriver(&driver);

  kva::FindUsbAdapter();
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0:
        kva::ReadSpiSetup();
        break;
      case 1: {
        uint8_t delay = in.ConsumeIntegral<uint8_t>();
        kva::SetSpiWordDelay(delay);
        break;
      }
      case 2: {
        uint8_t n = in.ConsumeIntegralInRange<uint8_t>(1, kva::kMaxSpiWords);
        kva::UsbSpiTransfer(n);
        break;
      }
      case 3:
        kva::ReadRegister(in.ConsumeIntegralInRange<int16_t>(0, 39));
        break;
      default:
        kva::FindUsbAdapter();
        break;
    }
  }
  kva::SetEzUsbDriver(nullptr);
  return 0;
}
