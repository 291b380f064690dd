// SPDX-License-Identifier: GPL-3.0-or-later
#ifdef KVA_HAVE_LIBUSB

#include "platform/libusb_ezusb_driver.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/hardware.h"
#include "support/sim_rig.h"

namespace kva {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

// The libusb calls, answered from a list of pretend adapters (strings 1 "KVA" and 2 "SN").
class FakeLibUsb : public LibUsbApi {
 public:
  struct Device {
    LibUsbDeviceInfo info;
    int openResult = 0, claimResult = 0;
  };

  explicit FakeLibUsb(std::vector<Device> present) : devices(std::move(present)) {}
  std::vector<Device> devices;
  std::vector<std::pair<uint8_t, Bytes>> bulks;  // endpoint and bytes given
  Texts calls;  // "list", "open 1", "claim 100 0", "release 100 0", "close 100"
  int bulkResult = 0;
  Bytes inAnswer = {1, 4};  // what every IN transfer returns: firmware revision 1.4

  static Device Adapter(uint8_t bus, Bytes ports, uint16_t vendor = AdapterVendorId) {
    Device d;
    d.info.bus = bus;
    d.info.ports = std::move(ports);
    d.info.address = static_cast<uint8_t>(10 + bus);
    d.info.descriptor = {18, 1, 0, 2, 0xFF, 0xFF, 0xFF, 64, 0, 0, 0x03, 0xED, 0, 1, 1, 2, 0, 1};
    PutLe16(&d.info.descriptor[8], vendor);
    return d;
  }

  int Init() override { return 0; }
  int ListDevices(std::vector<LibUsbDeviceInfo>& out) override {
    calls.push_back("list");
    out.clear();
    for (const Device& d : devices) out.push_back(d.info);
    return static_cast<int>(out.size());
  }
  int FirstInterface(size_t, EzUsbInterfaceInfo&, std::vector<EzUsbPipe>& pipes) override {
    pipes = {{512, 0x02, 0, 2, 4096},
             {512, 0x86, 0, 2, 4096},
             {512, 0x81, 1, 3, 4096},
             {64, 0x88, 0, 2, 4096}};
    return 0;
  }
  int Open(size_t device, LibUsbHandle& handle) override {
    calls.push_back("open " + std::to_string(device));
    handle = 100 + device;
    return devices.at(device).openResult;
  }
  void Close(LibUsbHandle handle) override { calls.push_back("close " + std::to_string(handle)); }
  int ClaimInterface(LibUsbHandle handle, int number) override {
    calls.push_back("claim " + std::to_string(handle) + " " + std::to_string(number));
    return devices.at(handle - 100).claimResult;
  }
  void ReleaseInterface(LibUsbHandle handle, int number) override {
    calls.push_back("release " + std::to_string(handle) + " " + std::to_string(number));
  }
  int GetStringDescriptor(LibUsbHandle, uint8_t index, uint16_t language, uint8_t* data,
                          int length) override {
    if (language != 1033) return LIBUSB_ERROR_PIPE;  // US English only
    const Bytes s = index == 1 ? Bytes{8, 3, 'K', 0, 'V', 0, 'A', 0} : Bytes{6, 3, 'S', 0, 'N', 0};
    const int count = std::min(length, static_cast<int>(s.size()));
    std::copy_n(s.begin(), count, data);
    return count;
  }
  int BulkTransfer(LibUsbHandle, uint8_t endpoint, uint8_t* data, int length, int& transferred,
                   unsigned) override {
    bulks.emplace_back(endpoint, Bytes(data, data + length));
    if (endpoint & 0x80) std::copy(inAnswer.begin(), inAnswer.end(), data);
    transferred = endpoint & 0x80 ? static_cast<int>(inAnswer.size()) : length;
    return bulkResult;
  }
};

class LibUsbDriver : public kvatest::SimRig {
 protected:
  // One request with the given input bytes; output has room for length bytes.
  bool Req(EzUsbHandle h, uint32_t code, Bytes input, uint8_t* output, uint32_t length) {
    return driver.Request(h, code, input.data(), static_cast<uint32_t>(input.size()), output,
                          length, returned);
  }

  FakeLibUsb usb{{FakeLibUsb::Adapter(1, {1})}};
  LibUsbEzUsbDriver driver{usb};
  uint32_t returned = 0;
};

TEST_F(LibUsbDriver, DevicesAreNumberedByBusAndPortAmongAdaptersOnly) {
  usb.devices = {FakeLibUsb::Adapter(2, {3}), FakeLibUsb::Adapter(1, {4, 1}, 0x0001),
                 FakeLibUsb::Adapter(1, {4, 2}), FakeLibUsb::Adapter(1, {1})};
  const auto claimed = [this](const std::string& name) {  // the claim of the handle opened
    const EzUsbHandle h = driver.Open(name);
    driver.Close(h);
    return h == kNoEzUsbHandle ? std::string("none") : usb.calls.back();
  };
  EXPECT_EQ((Texts{claimed("Ezusb-0"), claimed("Ezusb-1"), claimed("Ezusb-2"), claimed("Ezusb-3")}),
            (Texts{"claim 103 0", "claim 102 0", "claim 100 0", "none"}));
}

TEST_F(LibUsbDriver, RequestsMapToDescriptorsEndpointsAndBulkTransfers) {
  const EzUsbHandle h = driver.Open("Ezusb-0");
  ASSERT_NE(h, kNoEzUsbHandle);

  std::array<uint8_t, kPipeInfoSize> block{};
  ASSERT_TRUE(Req(h, kEzUsbGetPipeInfo, Bytes(block.size()), block.data(), block.size()));
  EXPECT_EQ(GetLe32(&block[8]), 4u);
  EXPECT_EQ(block[36 + 2], 0x86);
  EXPECT_EQ(GetLe16(&block[76]), 64);

  // Wrong direction, an interrupt pipe, a pipe beyond the endpoints: refused without traffic.
  uint8_t answer[4] = {};
  for (const auto& [code, pipe] : std::vector<std::pair<uint32_t, uint8_t>>{
           {kEzUsbBulkRead, 0}, {kEzUsbBulkWrite, 1}, {kEzUsbBulkRead, 2}, {kEzUsbBulkRead, 9}}) {
    EXPECT_FALSE(Req(h, code, {pipe, 0, 0, 0}, answer, 4)) << int(pipe);
  }
  EXPECT_TRUE(usb.bulks.empty());

  usb.bulkResult = LIBUSB_ERROR_TIMEOUT;
  EXPECT_FALSE(Req(h, kEzUsbBulkRead, {1, 0, 0, 0}, answer, 4));
  EXPECT_EQ(driver.HeldDevices(), 1) << "a timeout does not drop the board";
  usb.bulkResult = LIBUSB_ERROR_NO_DEVICE;  // gone in the middle of an operation
  EXPECT_FALSE(Req(h, kEzUsbBulkWrite, {0, 0, 0, 0}, answer, 1));
  EXPECT_EQ(driver.HeldDevices(), 0);
  driver.Close(h);
}

TEST_F(LibUsbDriver, HandleIsHeldAcrossOperationsUntilTheDeviceGoesAway) {
  for (int i = 0; i < 3; ++i) driver.Close(driver.Open("Ezusb-0"));
  EXPECT_EQ(std::count(usb.calls.begin(), usb.calls.end(), "open 0"), 1);

  // Unplugged: the next open lets go of it.
  usb.devices.clear();
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  EXPECT_EQ(Texts(usb.calls.end() - 2, usb.calls.end()), (Texts{"release 100 0", "close 100"}));
}

TEST_F(LibUsbDriver, PermissionFailureExplainsTheUdevRuleOnce) {
  usb.devices[0].openResult = LIBUSB_ERROR_ACCESS;
  for (int i = 0; i < 2; ++i) EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  ASSERT_EQ(messages.size(), 1u);
  for (const char* part : {"kva7710ctl udev-rule", "/etc/udev/rules.d/60-kva7710-usbspi.rules",
                           "udevadm control --reload-rules"}) {
    EXPECT_NE(messages[0].find(part), std::string::npos) << part;
  }

  usb.devices[0] = {usb.devices[0].info, 0, LIBUSB_ERROR_BUSY};  // another program holds it
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  EXPECT_EQ(usb.calls.back(), "close 100") << "no handle is kept";
}

}  // namespace
}  // namespace kva

#endif  // KVA_HAVE_LIBUSB
