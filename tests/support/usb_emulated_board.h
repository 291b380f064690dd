// SPDX-License-Identifier: GPL-3.0-or-later
// Adapter boards emulated for the real libusb under the umockdev preload: libusb enumerates
// them from an emulated sysfs and sends its usbfs requests to a handler that answers with the
// simulated board's firmware (sim_ezusb_bus). The program must run under libumockdev-preload;
// without it the fixture skips.
#pragma once

#include <gtest/gtest.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/number_text.h"
#include "platform/libusb_ezusb_driver.h"
#include "sim/sim_ezusb_bus.h"
#include "support/fake_sensor.h"
#include "support/sim_rig.h"

namespace kvatest {

// Up to four boards on bus 1, board k on port k + 1 and in slot k of the simulated bus.
class EmulatedBoards {
 public:
  EmulatedBoards() : testbed_(umockdev_testbed_new()) {
    bus_.RemoveAll();
    handler_ = umockdev_ioctl_base_new();
    signal_ =
        g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedBoards::OnIoctl), this);
  }
  ~EmulatedBoards() {
    for (int k = 0; k < 4; ++k)
      if (plugged_[k]) umockdev_testbed_detach_ioctl(testbed_, DevNode(k).c_str(), nullptr);
    g_signal_handler_disconnect(handler_, signal_);
    g_object_unref(handler_);
    g_object_unref(testbed_);
  }

  void Plug(int k, const kva::sim::SimEzUsbBoard& board = kva::sim::SimEzUsbBoard()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      bus_.Attach(k, board);
    }
    const std::string n = std::to_string(k + 2);
    const std::string text =
        "P: " + SysPath(k) + "\nN: bus/usb/001/00" + n +
        "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DEVNAME=" + DevNode(k) +
        "\nE: BUSNUM=001\nE: DEVNUM=00" + n + "\nA: busnum=1\\n\nA: devnum=" + n +
        "\\n\nA: speed=480\\n\nA: dev=189:" + std::to_string(k + 1) +
        "\\n\nA: bConfigurationValue=1\\n\nH: descriptors=" + DescriptorsHex(k) + "\n";
    GError* error = nullptr;
    ASSERT_TRUE(umockdev_testbed_add_from_string(testbed_, text.c_str(), &error))
        << (error ? error->message : "");
    ASSERT_TRUE(umockdev_testbed_attach_ioctl(testbed_, DevNode(k).c_str(), handler_, &error))
        << (error ? error->message : "");
    plugged_[k] = true;
  }

  // A register word of the board's sensor, set between requests.
  void SetWord(uint8_t address, uint16_t word) {
    std::lock_guard<std::mutex> lock(mutex_);
    sensor_.SetWord(address, word);
  }

 private:
  struct Urb {
    int board;
    UMockdevIoctlData* urb;  // the client's usbdevfs_urb, referenced until reaped
    UMockdevIoctlData* buffer;
  };

  static std::string SysPath(int k) {
    return "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(k + 1);
  }
  static std::string DevNode(int k) { return "/dev/bus/usb/001/00" + std::to_string(k + 2); }

  // The device descriptor the firmware reports, then one configuration with one interface
  // whose endpoints are the board's pipes.
  std::string DescriptorsHex(int k) {
    std::vector<uint8_t> d(kva::kDeviceDescriptorSize);
    std::array<uint8_t, kva::kPipeInfoSize> pipes{};
    uint32_t n = 0;
    const kva::EzUsbHandle h = bus_.Open("Ezusb-" + std::to_string(k));
    bus_.Request(h, kva::kEzUsbGetDeviceDescriptor, nullptr, 0, d.data(), 18, n);
    bus_.Request(h, kva::kEzUsbGetPipeInfo, pipes.data(), kva::kPipeInfoSize, pipes.data(),
                 kva::kPipeInfoSize, n);
    bus_.Close(h);
    const auto count = static_cast<uint8_t>(kva::GetLe32(&pipes[8]));
    const auto total = static_cast<uint8_t>(9 + 9 + 7 * count);
    d.insert(d.end(), {9, 2, total, 0, 1, 1, 0, 0x80, 50, 9, 4, 0, 0, count, 0xFF, 0, 0, 0});
    for (uint32_t p = 0; p < count; ++p) {
      const uint8_t* e = &pipes[kva::kPipeInfoHeaderSize + p * kva::kPipeEntrySize];
      d.insert(d.end(), {7, 5, e[2], 2, e[0], e[1], 0});
    }
    std::string hex;
    for (const uint8_t b : d) hex += kva::Hex4(b).substr(2);
    return hex;
  }

  static int BoardOf(UMockdevIoctlClient* client) {
    return std::string(umockdev_ioctl_client_get_devnode(client)).back() - '2';
  }

  // Answers one urb from the simulated firmware: a string descriptor request, or a bulk
  // transfer on the pipe of its endpoint; anything else stalls.
  void Run(const Urb& urb) {
    auto* u = reinterpret_cast<usbdevfs_urb*>(urb.urb->data);
    uint8_t* data = urb.buffer->data;
    const kva::EzUsbHandle h = bus_.Open("Ezusb-" + std::to_string(urb.board));
    uint32_t returned = 0;
    bool ok = false;
    if (u->type == USBDEVFS_URB_TYPE_CONTROL) {
      const uint16_t value = kva::GetLe16(data + 2);
      const auto index = static_cast<uint8_t>(value);
      ok = data[0] == 0x80 && data[1] == 6 && (value >> 8) == 3 &&
           bus_.Request(h, kva::kEzUsbGetStringDescriptor, &index, 1, data + 8,
                        kva::GetLe16(data + 6), returned);
    } else {
      const auto& endpoints = kva::sim::kSimBoardEndpoints;
      const uint8_t pipe[4] = {static_cast<uint8_t>(
          std::find(endpoints.begin(), endpoints.end(), u->endpoint) - endpoints.begin())};
      ok = bus_.Request(h, (u->endpoint & 0x80) ? kva::kEzUsbBulkRead : kva::kEzUsbBulkWrite, pipe,
                        4, data, static_cast<uint32_t>(u->buffer_length), returned);
    }
    bus_.Close(h);
    u->status = ok ? 0 : -EPIPE;
    u->actual_length = static_cast<int>(returned);
  }

  static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    auto* boards = static_cast<EmulatedBoards*>(self);
    std::lock_guard<std::mutex> lock(boards->mutex_);
    const int error = boards->Answer(client, BoardOf(client));
    umockdev_ioctl_client_complete(client, error == 0 ? 0 : -1, error);
    return TRUE;
  }

  // The errno a usbfs request of board k ends with; 0 for success.
  int Answer(UMockdevIoctlClient* client, int k) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    switch (umockdev_ioctl_client_get_request(client)) {
      case USBDEVFS_DISCONNECT_CLAIM:  // the interface is claimed, there being no driver to detach
        return 0;
      case USBDEVFS_SUBMITURB: {
        // The argument is the address of the client's urb, whose buffer is another address.
        UMockdevIoctlData* urbData =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
        UMockdevIoctlData* buffer = nullptr;
        if (urbData != nullptr) {
          const auto* u = reinterpret_cast<const usbdevfs_urb*>(urbData->data);
          buffer = umockdev_ioctl_data_resolve(urbData, offsetof(usbdevfs_urb, buffer),
                                               static_cast<gsize>(u->buffer_length), nullptr);
        }
        if (buffer == nullptr) return EFAULT;
        done_.push_back({k, umockdev_ioctl_data_ref(urbData), umockdev_ioctl_data_ref(buffer)});
        Run(done_.back());
        return 0;
      }
      case USBDEVFS_REAPURBNDELAY: {
        const auto it =
            std::find_if(done_.begin(), done_.end(), [k](const Urb& u) { return u.board == k; });
        if (it == done_.end()) return EAGAIN;
        // The argument is where the client wants the finished urb's address.
        UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
        if (slot == nullptr) return EFAULT;
        umockdev_ioctl_data_set_ptr(slot, 0, it->urb);
        umockdev_ioctl_data_unref(it->buffer);
        umockdev_ioctl_data_unref(it->urb);
        done_.erase(it);
        return 0;
      }
      default:
        return ENOTTY;
    }
  }

  UMockdevTestbed* testbed_;
  UMockdevIoctlBase* handler_;
  gulong signal_ = 0;
  std::mutex mutex_;
  kvatest::FakeSensor sensor_;
  kva::sim::SimEzUsbBus bus_{sensor_};
  bool plugged_[4] = {};
  std::deque<Urb> done_;
};

// Program state with the libusb backend over emulated boards, none plugged in yet.
class EmulatedAdapter : public SimRig {
 protected:
  void SetUp() override {
    boards_ = std::make_unique<EmulatedBoards>();  // before libusb starts
    if (!umockdev_in_mock_environment()) {
      boards_.reset();
      GTEST_SKIP() << "not running under libumockdev-preload";
    }
    SimRig::SetUp();
    api_ = kva::MakeSystemLibUsbApi();
    driver_ = std::make_unique<kva::LibUsbEzUsbDriver>(*api_);
    kva::SetEzUsbDriver(driver_.get());
    UseInterface(kva::Interface::Usb);
  }
  void TearDown() override {
    if (!boards_) return;
    kva::SetEzUsbDriver(nullptr);
    driver_.reset();  // closes the devices before the library goes
    api_.reset();
    boards_.reset();
    SimRig::TearDown();
  }

  std::unique_ptr<EmulatedBoards> boards_;
  std::unique_ptr<kva::LibUsbApi> api_;
  std::unique_ptr<kva::LibUsbEzUsbDriver> driver_;
};

}  // namespace kvatest
