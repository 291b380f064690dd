#ifdef KVA_HAVE_LIBUSB

#include "platform/libusb_ezusb_driver.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/sim_rig.h"

namespace kva {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

// The libusb calls, answered from a list of pretend devices.
class FakeLibUsb : public LibUsbApi {
 public:
  struct Device {
    LibUsbDeviceInfo info;
    EzUsbInterfaceInfo interface;
    std::vector<EzUsbPipe> pipes;
    std::map<uint8_t, Bytes> strings;  // whole descriptors by index
    int openResult = 0;
    int claimResult = 0;
  };
  struct Bulk {
    uint8_t endpoint;
    Bytes data;
    unsigned timeout;
  };

  std::vector<Device> devices;
  std::vector<Bulk> bulks;
  Texts calls;  // "list", "open 1", "claim 100 0", "release 100 0", "close 100", "string 2 1033 4"
  // Answers a bulk transfer: fills data (for IN) and returns the libusb result.
  std::function<int(uint8_t endpoint, uint8_t* data, int length, int& transferred)> onBulk =
      [](uint8_t, uint8_t*, int length, int& transferred) {
        transferred = length;
        return 0;
      };

  static Device Adapter(uint8_t bus, Bytes ports, uint16_t vendor = AdapterVendorId) {
    Device d;
    d.info.bus = bus;
    d.info.ports = std::move(ports);
    d.info.address = static_cast<uint8_t>(10 + bus);
    d.info.descriptor = {18, 1, 0, 2, 0xFF, 0xFF, 0xFF, 64, 0, 0, 0x03, 0xED, 0, 1, 1, 2, 0, 1};
    PutLe16(&d.info.descriptor[8], vendor);
    d.pipes = {{512, 0x02, 0, 2, 4096},
               {512, 0x86, 0, 2, 4096},
               {512, 0x81, 1, 3, 4096},
               {64, 0x88, 0, 2, 4096}};
    d.strings[1] = {8, 3, 'K', 0, 'V', 0, 'A', 0};
    d.strings[2] = {6, 3, 'S', 0, 'N', 0};
    return d;
  }

  int Init() override { return 0; }
  int ListDevices(std::vector<LibUsbDeviceInfo>& out) override {
    calls.push_back("list");
    out.clear();
    for (const Device& d : devices) out.push_back(d.info);
    return static_cast<int>(out.size());
  }
  int FirstInterface(size_t device, EzUsbInterfaceInfo& interface,
                     std::vector<EzUsbPipe>& pipes) override {
    interface = devices.at(device).interface;
    pipes = devices.at(device).pipes;
    return 0;
  }
  int Open(size_t device, LibUsbHandle& handle) override {
    calls.push_back("open " + std::to_string(device));
    if (devices.at(device).openResult != 0) return devices[device].openResult;
    handle = 100 + device;
    return 0;
  }
  void Close(LibUsbHandle handle) override { calls.push_back("close " + std::to_string(handle)); }
  int ClaimInterface(LibUsbHandle handle, int number) override {
    calls.push_back("claim " + std::to_string(handle) + " " + std::to_string(number));
    return devices.at(handle - 100).claimResult;
  }
  void ReleaseInterface(LibUsbHandle handle, int number) override {
    calls.push_back("release " + std::to_string(handle) + " " + std::to_string(number));
  }
  int GetStringDescriptor(LibUsbHandle handle, uint8_t index, uint16_t language, uint8_t* data,
                          int length) override {
    calls.push_back("string " + std::to_string(index) + " " + std::to_string(language) + " " +
                    std::to_string(length));
    const Device& d = devices.at(handle - 100);
    const auto it = d.strings.find(index);
    if (it == d.strings.end()) return LIBUSB_ERROR_PIPE;
    const int count = std::min(length, static_cast<int>(it->second.size()));
    std::copy_n(it->second.begin(), count, data);
    return count;
  }
  int BulkTransfer(LibUsbHandle, uint8_t endpoint, uint8_t* data, int length, int& transferred,
                   unsigned timeoutMs) override {
    bulks.push_back({endpoint, Bytes(data, data + length), timeoutMs});
    return onBulk(endpoint, data, length, transferred);
  }
};

class LibUsbDriver : public kvatest::SimRig {
 protected:
  // One request with the given input bytes; output has room for length bytes.
  bool Req(EzUsbHandle h, uint32_t code, Bytes input, uint8_t* output, uint32_t length) {
    return driver.Request(h, code, input.data(), static_cast<uint32_t>(input.size()), output,
                          length, returned);
  }
  // Every bulk transfer from now on fails with rc.
  void FailBulk(int rc) {
    usb.onBulk = [rc](uint8_t, uint8_t*, int, int& transferred) {
      transferred = 0;
      return rc;
    };
  }

  FakeLibUsb usb;
  LibUsbEzUsbDriver driver{usb};
  uint32_t returned = 0;
};

TEST_F(LibUsbDriver, DevicesAreNumberedByBusAndPortAmongAdaptersOnly) {
  usb.devices = {FakeLibUsb::Adapter(2, {3}), FakeLibUsb::Adapter(1, {4, 1}, 0x0001),
                 FakeLibUsb::Adapter(1, {4, 2}), FakeLibUsb::Adapter(1, {1})};
  const auto claimed = [this](const std::string& name) {
    const EzUsbHandle h = driver.Open(name);
    if (h == kNoEzUsbHandle) return std::string("none");
    driver.Close(h);
    return usb.calls.back();
  };
  EXPECT_EQ(claimed("Ezusb-0"), "claim 103 0") << "bus 1 port 1";
  EXPECT_EQ(claimed("Ezusb-1"), "claim 102 0") << "bus 1 port 4.2";
  EXPECT_EQ(claimed("Ezusb-2"), "claim 100 0") << "bus 2";
  EXPECT_EQ(claimed("Ezusb-3"), "none");
  EXPECT_EQ(claimed("Ezusb-7"), "none");
  EXPECT_EQ(claimed("usb"), "none");
  EXPECT_EQ(driver.HeldDevices(), 3);
}

TEST_F(LibUsbDriver, RequestsMapToDescriptorsEndpointsAndBulkTransfers) {
  usb.devices = {FakeLibUsb::Adapter(1, {1})};
  const EzUsbHandle h = driver.Open("Ezusb-0");
  ASSERT_NE(h, kNoEzUsbHandle);

  std::array<uint8_t, kPipeInfoSize> block{};
  ASSERT_TRUE(Req(h, kEzUsbGetPipeInfo, Bytes(block.size()), block.data(), block.size()));
  EXPECT_EQ(GetLe32(&block[8]), 4u);
  EXPECT_EQ(block[16 + 2], 0x02);
  EXPECT_EQ(block[36 + 2], 0x86);
  EXPECT_EQ(block[56 + 4], 3) << "interrupt endpoint";
  EXPECT_EQ(GetLe16(&block[76]), 64);

  uint8_t head[4] = {};
  ASSERT_TRUE(Req(h, kEzUsbGetStringDescriptor, {1, 0, 0, 0, 0x1B}, head, 4));
  EXPECT_EQ(returned, 4u);
  EXPECT_EQ(usb.calls.back(), "string 1 1033 4");
  EXPECT_FALSE(Req(h, kEzUsbGetStringDescriptor, {3, 0, 0, 0, 0x1B}, head, 4));

  uint8_t packet[3] = {0x0D, 1, 0};
  ASSERT_TRUE(Req(h, kEzUsbBulkWrite, {0, 0, 0, 0}, packet, 3));
  EXPECT_EQ(returned, 3u);
  usb.onBulk = [](uint8_t, uint8_t* data, int, int& transferred) {
    data[0] = 0x12;
    data[1] = 0x34;
    transferred = 2;
    return 0;
  };
  uint8_t answer[4] = {};
  ASSERT_TRUE(Req(h, kEzUsbBulkRead, {1, 0, 0, 0}, answer, 4));
  EXPECT_EQ(returned, 2u);
  EXPECT_EQ(answer[1], 0x34);
  ASSERT_EQ(usb.bulks.size(), 2u);
  EXPECT_EQ(usb.bulks[0].endpoint, 0x02);
  EXPECT_EQ(usb.bulks[0].data, (Bytes{0x0D, 1, 0}));
  EXPECT_EQ(usb.bulks[0].timeout, kBulkTimeoutMs);
  EXPECT_EQ(usb.bulks[1].endpoint, 0x86);

  // Wrong direction, an interrupt pipe, a pipe beyond the endpoints: refused without traffic.
  EXPECT_FALSE(Req(h, kEzUsbBulkRead, {0, 0, 0, 0}, answer, 4));
  EXPECT_FALSE(Req(h, kEzUsbBulkWrite, {1, 0, 0, 0}, answer, 4));
  EXPECT_FALSE(Req(h, kEzUsbBulkRead, {2, 0, 0, 0}, answer, 4));
  EXPECT_FALSE(Req(h, kEzUsbBulkRead, {9, 0, 0, 0}, answer, 4));
  EXPECT_EQ(usb.bulks.size(), 2u);

  FailBulk(LIBUSB_ERROR_TIMEOUT);
  EXPECT_FALSE(Req(h, kEzUsbBulkRead, {1, 0, 0, 0}, answer, 4));
  EXPECT_EQ(driver.HeldDevices(), 1) << "a timeout does not drop the board";
  driver.Close(h);
  EXPECT_FALSE(Req(h, kEzUsbBulkRead, {1, 0, 0, 0}, answer, 4));
}

TEST_F(LibUsbDriver, HandleIsHeldAcrossOperationsUntilTheDeviceGoesAway) {
  usb.devices = {FakeLibUsb::Adapter(1, {1})};
  for (int i = 0; i < 3; ++i) driver.Close(driver.Open("Ezusb-0"));
  EXPECT_EQ(std::count(usb.calls.begin(), usb.calls.end(), "open 0"), 1);

  // Unplugged: the next open lets go of it.
  usb.devices.clear();
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  EXPECT_EQ(driver.HeldDevices(), 0);
  EXPECT_EQ(usb.calls.end()[-2], "release 100 0");
  EXPECT_EQ(usb.calls.back(), "close 100");

  // Gone in the middle of an operation: the transfer says so and the handle is dropped.
  usb.devices = {FakeLibUsb::Adapter(1, {1})};
  const EzUsbHandle h = driver.Open("Ezusb-0");
  FailBulk(LIBUSB_ERROR_NO_DEVICE);
  uint8_t data[18] = {};
  EXPECT_FALSE(Req(h, kEzUsbBulkWrite, {0, 0, 0, 0}, data, 1));
  EXPECT_EQ(driver.HeldDevices(), 0);
  EXPECT_FALSE(Req(h, kEzUsbGetDeviceDescriptor, {}, data, 18));
  driver.Close(h);

  // Replugged at a new address: a fresh handle.
  usb.devices[0].info.address = 40;
  usb.calls.clear();
  driver.Close(driver.Open("Ezusb-0"));
  EXPECT_EQ(usb.calls, (Texts{"list", "open 0", "claim 100 0"}));
}

TEST_F(LibUsbDriver, PermissionFailureExplainsTheUdevRuleOnce) {
  usb.devices = {FakeLibUsb::Adapter(1, {1})};
  usb.devices[0].openResult = LIBUSB_ERROR_ACCESS;
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("packaging/60-kva7710-usbspi.rules"), std::string::npos);
  EXPECT_NE(messages[0].find("/etc/udev/rules.d/"), std::string::npos);
  EXPECT_NE(messages[0].find("udevadm control --reload-rules"), std::string::npos);

  // Another program holds the interface: no handle is kept.
  usb.devices[0].openResult = 0;
  usb.devices[0].claimResult = LIBUSB_ERROR_BUSY;
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  EXPECT_EQ(usb.calls.back(), "close 100");
  EXPECT_EQ(driver.HeldDevices(), 0);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(LibUsbDriver, AdapterLayerRunsOverTheBackend) {
  usb.devices = {FakeLibUsb::Adapter(1, {1})};
  // Firmware: revision 1.4, and an exchange answers each word inverted.
  Bytes pending;
  usb.onBulk = [&pending](uint8_t endpoint, uint8_t* data, int length, int& transferred) {
    if (endpoint == 0x02) {
      if (data[0] == 0x00) pending = {1, 4};
      if (data[0] == 0x0D) {
        pending.clear();
        for (int i = 3; i < length; ++i) pending.push_back(static_cast<uint8_t>(~data[i]));
      }
      transferred = length;
      return 0;
    }
    std::copy(pending.begin(), pending.end(), data);
    transferred = static_cast<int>(pending.size());
    return 0;
  };
  SetEzUsbDriver(&driver);
  FindUsbAdapter();
  EXPECT_TRUE(messages.empty());
  ASSERT_TRUE(UsbReady);
  EXPECT_EQ(CurrentUsbAdapter.Descript0, "KVA");
  EXPECT_EQ(CurrentUsbAdapter.Descript1, "SN");
  EXPECT_EQ(CurrentUsbAdapter.DriverRev, 1.4f);
  EXPECT_EQ(CurrentUsbAdapter.Speed, "1.1");  // pipe 3 of this board has 64-byte packets
  usb.calls.clear();
  usb.bulks.clear();
  SpiTxWords[1] = 0x1200;
  SpiTxWords[2] = 0x00FF;
  uint8_t n = 2;
  UsbSpiTransfer(n);
  EXPECT_EQ(SpiRxWords[1], 0xEDFF);
  EXPECT_EQ(SpiRxWords[2], 0xFF00);
  // One exchange is one write and one read on the bus, and no reopening underneath.
  ASSERT_EQ(usb.bulks.size(), 2u);
  EXPECT_EQ(usb.bulks[0].data, (Bytes{0x0D, 1, 2, 0x12, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(usb.bulks[1].data.size(), 4u);
  EXPECT_EQ(usb.calls, Texts{"list"});
}

TEST_F(LibUsbDriver, RealEnumerationWithoutABoardFindsNone) {
  ASSERT_TRUE(InstallLibUsbEzUsbDriver());
  FindUsbAdapter();
  EXPECT_FALSE(UsbReady);
  EXPECT_EQ(UsbPortIndex, -1);
  EXPECT_EQ(messages, Texts{"No USB Buffers Found, Please Verify Setup and Restart"});
}

}  // namespace
}  // namespace kva

#endif  // KVA_HAVE_LIBUSB
