// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb backend's own decisions and the failures only a pretend library can stage; the
// emulated boards prove the working paths through the real library.
#ifdef KVA_HAVE_LIBUSB

#include "platform/libusb_ezusb_driver.h"

#include <gtest/gtest.h>
#include <libusb.h>

#include <string>
#include <vector>

#include "support/sim_rig.h"

namespace kva {
namespace {

// The libusb calls, answered for one pretend adapter while it is present; the calls that open,
// claim and let go of it are logged as "open 0, claim 100 0, release 100 0, close 100, ".
class FakeLibUsb : public LibUsbApi {
 public:
  int Init() override { return 0; }
  int ListDevices(std::vector<LibUsbDeviceInfo>& out) override {
    // IDs 1209:ed03
    out.assign(present ? 1 : 0,
               LibUsbDeviceInfo{1, {1}, 11, {18, 1, 0, 2, 0, 0, 0, 64, 0x09, 0x12, 0x03, 0xED}});
    return static_cast<int>(out.size());
  }
  int FirstInterface(size_t, EzUsbInterfaceInfo&, std::vector<EzUsbPipe>& pipes) override {
    pipes = {{512, 0x02, 0, 2, 4096}, {512, 0x86, 0, 2, 4096}, {512, 0x81, 1, 3, 4096}};
    return 0;
  }
  int Open(size_t device, LibUsbHandle& handle) override {
    calls += "open " + std::to_string(device) + ", ";
    handle = 100 + device;
    return openResult;
  }
  void Close(LibUsbHandle h) override { calls += "close " + std::to_string(h) + ", "; }
  int ClaimInterface(LibUsbHandle h, int n) override {
    calls += "claim " + std::to_string(h) + " " + std::to_string(n) + ", ";
    return claimResult;
  }
  void ReleaseInterface(LibUsbHandle h, int n) override {
    calls += "release " + std::to_string(h) + " " + std::to_string(n) + ", ";
  }
  int GetStringDescriptor(LibUsbHandle, uint8_t, uint16_t, uint8_t*, int) override { return 0; }
  int BulkTransfer(LibUsbHandle, uint8_t, uint8_t*, int, int& transferred, unsigned) override {
    ++bulks;
    transferred = 0;
    return bulkResult;
  }

  bool present = true;
  std::string calls;
  int bulks = 0, bulkResult = 0, openResult = 0, claimResult = 0;
};

class LibUsbDriver : public kvatest::SimRig {
 protected:
  FakeLibUsb usb;
  LibUsbEzUsbDriver driver{usb};
};

// Wrong direction, an interrupt pipe, a pipe beyond the endpoints: refused without traffic. A
// timeout keeps the board, the device gone in the middle of a transfer lets go of it.
TEST_F(LibUsbDriver, BulkRequestsOnTheWrongPipeAreRefusedAndOnlyAGoneDeviceIsDropped) {
  const EzUsbHandle h = driver.Open("Ezusb-0");
  uint8_t answer[4] = {};
  uint32_t returned = 0;
  const auto bulk = [&](uint32_t code, uint8_t pipe) {
    const uint8_t input[4] = {pipe, 0, 0, 0};
    return driver.Request(h, code, input, 4, answer, 4, returned);
  };
  EXPECT_FALSE(bulk(kEzUsbBulkRead, 0) || bulk(kEzUsbBulkWrite, 1) || bulk(kEzUsbBulkRead, 2) ||
               bulk(kEzUsbBulkRead, 9));
  EXPECT_EQ(usb.bulks, 0);
  usb.bulkResult = LIBUSB_ERROR_TIMEOUT;
  EXPECT_FALSE(bulk(kEzUsbBulkRead, 1));
  EXPECT_EQ(driver.HeldDevices(), 1);
  usb.bulkResult = LIBUSB_ERROR_NO_DEVICE;
  EXPECT_FALSE(bulk(kEzUsbBulkWrite, 0));
  EXPECT_EQ(driver.HeldDevices(), 0);
  EXPECT_EQ(usb.bulks, 2);
}

TEST_F(LibUsbDriver, HandleIsHeldAcrossOperationsUntilTheDeviceGoesAway) {
  for (int i = 0; i < 3; ++i) driver.Close(driver.Open("Ezusb-0"));
  usb.present = false;  // unplugged: the next open lets go of it
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  EXPECT_EQ(usb.calls, "open 0, claim 100 0, release 100 0, close 100, ");
}

TEST_F(LibUsbDriver, PermissionFailureExplainsTheUdevRuleOnceAndABusyBoardIsNotKept) {
  usb.openResult = LIBUSB_ERROR_ACCESS;
  for (int i = 0; i < 2; ++i) EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  ASSERT_EQ(messages.size(), 1u);
  for (const char* part : {"kva7710ctl udev-rule", "/etc/udev/rules.d/60-kva7710-usbspi.rules",
                           "udevadm control --reload-rules"}) {
    EXPECT_NE(messages[0].find(part), std::string::npos) << part;
  }
  usb.openResult = 0;
  usb.claimResult = LIBUSB_ERROR_BUSY;  // another program holds it
  EXPECT_EQ(driver.Open("Ezusb-0"), kNoEzUsbHandle);
  EXPECT_TRUE(usb.calls.ends_with("claim 100 0, close 100, ")) << usb.calls;
}

}  // namespace
}  // namespace kva

#endif  // KVA_HAVE_LIBUSB
