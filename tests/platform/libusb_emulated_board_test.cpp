// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb backend through the real libusb, against adapter boards emulated under the
// umockdev preload: libusb enumerates them from an emulated sysfs and sends its usbfs requests
// to the handler below, which answers with the simulated board's firmware (sim_ezusb_bus).
// The program must run under libumockdev-preload; without it every test skips.
#include <gtest/gtest.h>

#ifdef KVA_HAVE_LIBUSB
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "capture/capture_readout.h"
#include "device/register_map.h"
#include "mainwindow/output_pass.h"
#include "platform/libusb_ezusb_driver.h"
#include "sim/sim_ezusb_bus.h"
#include "support/fake_sensor.h"
#include "support/sim_rig.h"

namespace kva {
namespace {

using Texts = std::vector<std::string>;

// Up to four boards on bus 1, board k on port k + 1 and in slot k of the simulated bus.
class EmulatedBoards {
 public:
  struct Knobs {
    bool stallStrings = false;  // string descriptor requests end in a stall
    bool holdBulkIn = false;    // bulk IN requests are never answered
  };

  EmulatedBoards() : testbed_(umockdev_testbed_new()) {
    bus_.RemoveAll();
    handler_ = umockdev_ioctl_base_new();
    signal_ =
        g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedBoards::OnIoctl), this);
  }
  ~EmulatedBoards() {
    for (int k = 0; k < 4; ++k) {
      if (plugged_[k]) umockdev_testbed_detach_ioctl(testbed_, DevNode(k).c_str(), nullptr);
    }
    g_signal_handler_disconnect(handler_, signal_);
    g_object_unref(handler_);
    g_object_unref(testbed_);
  }
  EmulatedBoards(const EmulatedBoards&) = delete;
  EmulatedBoards& operator=(const EmulatedBoards&) = delete;

  static bool Available() { return umockdev_in_mock_environment(); }

  void Plug(int k, const sim::SimEzUsbBoard& board = sim::SimEzUsbBoard()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      bus_.Attach(k, board);
      gone_[k] = false;
    }
    const std::string text =
        "P: " + SysPath(k) + "\nN: " + DevNode(k).substr(5) +
        "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DEVNAME=" + DevNode(k) +
        "\nE: BUSNUM=001\nE: DEVNUM=00" + std::to_string(k + 2) +
        "\nA: busnum=1\\n\nA: devnum=" + std::to_string(k + 2) +
        "\\n\nA: speed=480\\n\nA: dev=189:" + std::to_string(k + 1) +
        "\\n\nA: bConfigurationValue=1\\n\nH: " + "descriptors=" + DescriptorsHex(k) + "\n";
    GError* error = nullptr;
    ASSERT_TRUE(umockdev_testbed_add_from_string(testbed_, text.c_str(), &error))
        << (error ? error->message : "");
    ASSERT_TRUE(umockdev_testbed_attach_ioctl(testbed_, DevNode(k).c_str(), handler_, &error))
        << (error ? error->message : "");
    plugged_[k] = true;
  }

  // Pulled out: requests in flight end with ESHUTDOWN, every later one fails with ENODEV, and
  // the device leaves sysfs with a "remove" event.
  void Unplug(int k) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      gone_[k] = true;
      for (Urb& urb : pending_) {
        if (urb.board == k) Finish(urb, -ESHUTDOWN, 0);
      }
      std::erase_if(pending_, [k](const Urb& u) { return u.board == k; });
      bus_.Remove(k);
    }
    umockdev_testbed_uevent(testbed_, ("/sys" + SysPath(k)).c_str(), "remove");
    umockdev_testbed_detach_ioctl(testbed_, DevNode(k).c_str(), nullptr);
    umockdev_testbed_remove_device(testbed_, ("/sys" + SysPath(k)).c_str());
    plugged_[k] = false;
  }

  kvatest::FakeSensor& sensor() { return sensor_; }
  Knobs& knobs() { return knobs_; }
  std::mutex& mutex() { return mutex_; }

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
    std::vector<uint8_t> d(kDeviceDescriptorSize);
    std::array<uint8_t, kPipeInfoSize> pipes{};
    uint32_t n = 0;
    const EzUsbHandle h = bus_.Open("Ezusb-" + std::to_string(k));
    bus_.Request(h, kEzUsbGetDeviceDescriptor, nullptr, 0, d.data(), kDeviceDescriptorSize, n);
    bus_.Request(h, kEzUsbGetPipeInfo, pipes.data(), kPipeInfoSize, pipes.data(), kPipeInfoSize, n);
    bus_.Close(h);
    const uint32_t count = GetLe32(&pipes[8]);
    const uint16_t total = static_cast<uint16_t>(9 + 9 + 7 * count);
    d.insert(d.end(), {9, 2, static_cast<uint8_t>(total), static_cast<uint8_t>(total >> 8), 1, 1, 0,
                       0x80, 50});
    d.insert(d.end(), {9, 4, 0, 0, static_cast<uint8_t>(count), 0xFF, 0, 0, 0});
    for (uint32_t p = 0; p < count; ++p) {
      const uint8_t* e = &pipes[kPipeInfoHeaderSize + p * kPipeEntrySize];
      d.insert(d.end(), {7, 5, e[2], 2, e[0], e[1], 0});
    }
    std::string hex;
    for (const uint8_t b : d) {
      static const char digits[] = "0123456789abcdef";
      hex += digits[b >> 4];
      hex += digits[b & 15];
    }
    return hex;
  }

  static int BoardOf(UMockdevIoctlClient* client) {
    const std::string node = umockdev_ioctl_client_get_devnode(client);
    return node.back() - '2';
  }

  static void Finish(Urb& urb, int status, int actualLength) {
    auto* u = reinterpret_cast<usbdevfs_urb*>(urb.urb->data);
    u->status = status;
    u->actual_length = actualLength;
  }

  // Runs one urb against the simulated firmware; false when it stays pending.
  bool Run(Urb& urb) {
    auto* u = reinterpret_cast<usbdevfs_urb*>(urb.urb->data);
    uint8_t* data = urb.buffer->data;
    const EzUsbHandle h = bus_.Open("Ezusb-" + std::to_string(urb.board));
    uint32_t returned = 0;
    bool ok = false;
    if (u->type == USBDEVFS_URB_TYPE_CONTROL) {
      const uint16_t value = GetLe16(data + 2), length = GetLe16(data + 6);
      if (data[0] == 0x80 && data[1] == 6 && (value >> 8) == 3 && !knobs_.stallStrings) {
        const uint8_t index = static_cast<uint8_t>(value);
        ok = bus_.Request(h, kEzUsbGetStringDescriptor, &index, 1, data + 8, length, returned);
      }
    } else {
      const auto at =
          std::find(sim::kSimBoardEndpoints.begin(), sim::kSimBoardEndpoints.end(), u->endpoint);
      const bool in = (u->endpoint & 0x80) != 0;
      if (in && knobs_.holdBulkIn) {
        bus_.Close(h);
        return false;
      }
      uint8_t pipe[4] = {static_cast<uint8_t>(at - sim::kSimBoardEndpoints.begin()), 0, 0, 0};
      ok = bus_.Request(h, in ? kEzUsbBulkRead : kEzUsbBulkWrite, pipe, 4, data,
                        static_cast<uint32_t>(u->buffer_length), returned);
    }
    bus_.Close(h);
    Finish(urb, ok ? 0 : -EPIPE, static_cast<int>(returned));
    return true;
  }

  static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<EmulatedBoards*>(self)->Handle(client);
  }

  gboolean Handle(UMockdevIoctlClient* client) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int k = BoardOf(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const gulong request = umockdev_ioctl_client_get_request(client);
    if (gone_[k]) {
      umockdev_ioctl_client_complete(client, -1, ENODEV);
      return TRUE;
    }
    switch (request) {
      case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, 4, nullptr);
        if (caps != nullptr) std::memset(caps->data, 0, 4);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
      }
      case USBDEVFS_GETDRIVER:
        umockdev_ioctl_client_complete(client, -1, ENODATA);
        return TRUE;
      case USBDEVFS_DISCONNECT_CLAIM:
      case USBDEVFS_CLAIMINTERFACE:
      case USBDEVFS_RELEASEINTERFACE:
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
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
        if (buffer == nullptr) {
          umockdev_ioctl_client_complete(client, -1, EFAULT);
          return TRUE;
        }
        Urb urb{k, umockdev_ioctl_data_ref(urbData), umockdev_ioctl_data_ref(buffer)};
        if (Run(urb)) {
          done_.push_back(urb);
        } else {
          pending_.push_back(urb);
        }
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
      }
      case USBDEVFS_DISCARDURB: {
        gulong address = 0;  // the argument is the urb's address itself
        std::memcpy(&address, arg->data, std::min<size_t>(sizeof address, arg->data_len));
        const auto it = std::find_if(pending_.begin(), pending_.end(), [address](const Urb& u) {
          return u.urb->client_addr == address;
        });
        if (it == pending_.end()) {
          umockdev_ioctl_client_complete(client, -1, EINVAL);
          return TRUE;
        }
        Finish(*it, -ENOENT, 0);
        done_.push_back(*it);
        pending_.erase(it);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
      }
      case USBDEVFS_REAPURBNDELAY: {
        const auto it =
            std::find_if(done_.begin(), done_.end(), [k](const Urb& u) { return u.board == k; });
        if (it == done_.end()) {
          umockdev_ioctl_client_complete(client, -1, EAGAIN);
          return TRUE;
        }
        // The argument is where the client wants the finished urb's address.
        UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
        if (slot == nullptr) {
          umockdev_ioctl_client_complete(client, -1, EFAULT);
          return TRUE;
        }
        umockdev_ioctl_data_set_ptr(slot, 0, it->urb);
        umockdev_ioctl_data_unref(it->buffer);
        umockdev_ioctl_data_unref(it->urb);
        done_.erase(it);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
      }
      default:
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }
  }

  UMockdevTestbed* testbed_;
  UMockdevIoctlBase* handler_;
  gulong signal_ = 0;
  std::mutex mutex_;
  kvatest::FakeSensor sensor_;
  sim::SimEzUsbBus bus_{sensor_};
  Knobs knobs_;
  bool gone_[4] = {};
  bool plugged_[4] = {};
  std::deque<Urb> pending_, done_;
};

class EmulatedAdapter : public kvatest::SimRig {
 protected:
  void SetUp() override {
    boards_ = std::make_unique<EmulatedBoards>();  // before libusb starts
    if (!EmulatedBoards::Available()) {
      boards_.reset();
      GTEST_SKIP() << "not running under libumockdev-preload";
    }
    SimRig::SetUp();
    api_ = MakeSystemLibUsbApi();
    driver_ = std::make_unique<LibUsbEzUsbDriver>(*api_);
    SetEzUsbDriver(driver_.get());
    UseInterface(kva::Interface::Usb);
  }
  void TearDown() override {
    if (!boards_) return;
    SetEzUsbDriver(nullptr);
    driver_.reset();  // closes the devices before the library goes
    api_.reset();
    boards_.reset();
    SimRig::TearDown();
  }

  void SetWord(int16_t index, uint16_t word) {
    std::lock_guard<std::mutex> lock(boards_->mutex());
    boards_->sensor().SetWord(static_cast<uint8_t>(State().registers.RegisterMap[index].BaseAddr),
                              word);
  }

  std::unique_ptr<EmulatedBoards> boards_;
  std::unique_ptr<LibUsbApi> api_;
  std::unique_ptr<LibUsbEzUsbDriver> driver_;
};

TEST_F(EmulatedAdapter, SearchFindsBoardsInPortOrderAndReadsRegisters) {
  sim::SimEzUsbBoard second;
  second.descriptor2 = "SECOND";
  second.usb2 = false;
  boards_->Plug(1, second);
  FindUsbAdapter();
  EXPECT_EQ(messages, Texts{});
  ASSERT_TRUE(State().usb.UsbReady);
  EXPECT_EQ(State().usb.UsbPortIndex, 0);  // the only board is the first device
  EXPECT_EQ((Texts{State().usb.CurrentUsbAdapter.Descript0, State().usb.CurrentUsbAdapter.Descript1,
                   State().usb.CurrentUsbAdapter.Speed}),
            (Texts{"KVA7710 USB-SPI Adapter", "SECOND", "1.1"}));

  boards_->Plug(0);
  FindUsbAdapter();
  ASSERT_EQ(State().usb.UsbAdapterCount, 2);
  EXPECT_EQ((Texts{State().usb.UsbAdapterSlots[0].Descript1, State().usb.UsbAdapterSlots[0].Speed,
                   State().usb.UsbAdapterSlots[1].Descript1, State().usb.UsbAdapterSlots[1].Speed}),
            (Texts{"SIMULATED", "2", "SECOND", "1.1"}));
  EXPECT_EQ(State().usb.UsbAdapterSlots[0].DriverRev, 2.3f);

  // Set-up read and written through the firmware, then a register exchange.
  ReadSpiSetup();
  EXPECT_EQ(State().usb.SpiWordDelay, 10);
  uint8_t delay = 40;
  SetSpiWordDelay(delay);
  ReadSpiSetup();
  EXPECT_EQ(State().usb.SpiWordDelay, 40);
  SetWord(ZACCL_OUT, 0x8013);
  EXPECT_EQ(Read(ZACCL_OUT), 0x13);
  EXPECT_EQ(messages, Texts{});
}

TEST_F(EmulatedAdapter, StallAndTimeoutFailTheirStepWithoutDroppingTheBoard) {
  boards_->Plug(0);
  boards_->knobs().stallStrings = true;
  FindUsbAdapter();
  EXPECT_EQ(messages, (Texts{"Error getting Board Info",
                             "No Valid USB Buffers Found, Please Verify Setup and Restart"}));
  EXPECT_FALSE(State().usb.UsbReady);

  boards_->knobs().stallStrings = false;
  messages.clear();
  FindUsbAdapter();
  ASSERT_TRUE(State().usb.UsbReady);
  boards_->knobs().holdBulkIn = true;  // the board takes the command but never answers
  SetWord(ZACCL_OUT, 0x0013);
  EXPECT_EQ(Read(ZACCL_OUT), 0);
  EXPECT_EQ(messages, Texts{"Error Reading SPI"});
  EXPECT_FALSE(State().usb.UsbReady);
  EXPECT_EQ(driver_->HeldDevices(), 1);

  boards_->knobs().holdBulkIn = false;
  messages.clear();
  FindUsbAdapter();
  ASSERT_TRUE(State().usb.UsbReady);
  EXPECT_EQ(Read(ZACCL_OUT), 0x13);
}

// The main window's loop runs output passes; the board is pulled out half-way through one.
TEST_F(EmulatedAdapter, UnplugDuringReadLoopGivesOneMessageAndNoStaleValue) {
  boards_->Plug(0);
  FindUsbAdapter();
  ASSERT_TRUE(State().usb.UsbReady);
  SetWord(XACCL_OUT, 0x0014);
  SetWord(ZACCL_OUT, 0x0013);
  const OutputPassResult before = ReadOutputPass();
  EXPECT_EQ(OutputValueText(before.samples[ZACCL_OUT]), "0.977");

  std::vector<OutputPassResult> passes;
  for (int pass = 0; pass < 3; ++pass) {
    passes.push_back(ReadOutputPass([&](int n, float) {
      if (pass == 0 && n == XACCL_OUT) boards_->Unplug(0);
    }));
  }
  EXPECT_EQ(messages, Texts{"Error Writing SPI"});
  EXPECT_FALSE(State().usb.UsbReady);
  EXPECT_EQ(driver_->HeldDevices(), 0);
  EXPECT_EQ(OutputValueText(passes[0].samples[XACCL_OUT]), "1.028") << "read before the unplug";
  for (const OutputPassResult& p : passes) EXPECT_EQ(p.samples[ZACCL_OUT], 0.0f);

  // Plugged in again: a new search finds it and reads go on.
  messages.clear();
  boards_->Plug(0);
  FindUsbAdapter();
  EXPECT_EQ(messages, Texts{});
  ASSERT_TRUE(State().usb.UsbReady);
  EXPECT_EQ(OutputValueText(ReadOutputPass().samples[ZACCL_OUT]), "0.977");
}

TEST_F(EmulatedAdapter, UnplugDuringCaptureReadoutEndsItWithOneMessage) {
  boards_->Plug(0);
  FindUsbAdapter();
  ASSERT_TRUE(State().usb.UsbReady);
  SetWord(EVENTS, 3);
  SetWord(CAPT_CFG, 7);  // events of 8 samples
  {
    std::lock_guard<std::mutex> lock(boards_->mutex());
    for (auto& location : boards_->sensor().capture) location = {0x1234, 0x0567};
  }
  std::vector<int> progress;
  ReadCaptureMemory([&](int event, int, const std::string&) {
    progress.push_back(event);
    if (event == 2) boards_->Unplug(0);
  });
  EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(messages, Texts{"Error Writing SPI"});
  EXPECT_FALSE(State().usb.UsbReady);
  EXPECT_NE(State().capture.CaptureX(1, 1), 0.0);
  EXPECT_EQ(State().capture.CaptureX(3, 1), 0.0) << "nothing of the board's last answers is kept";

  boards_->Plug(0);
  FindUsbAdapter();
  EXPECT_TRUE(State().usb.UsbReady);
}

// A board with another ID takes no slot until its ID is added; then it is found like any.
TEST_F(EmulatedAdapter, BoardWithAnotherIdIsFoundOnceItsIdIsAdded) {
  sim::SimEzUsbBoard other;
  other.vendorId = 0x04B4;
  other.productId = 0x1004;
  boards_->Plug(0, other);
  boards_->Plug(1);
  FindUsbAdapter();
  EXPECT_EQ(State().usb.UsbAdapterCount, 1);
  EXPECT_EQ(
      (Texts{State().usb.UsbAdapterSlots[0].BoardType, State().usb.UsbAdapterSlots[1].DeviceName}),
      (Texts{"ALDER", ""}));

  State().usb.AdapterUsbIds.push_back({0x04B4, 0x1004});
  FindUsbAdapter();
  ASSERT_EQ(State().usb.UsbAdapterCount, 2);
  EXPECT_EQ(
      (Texts{State().usb.UsbAdapterSlots[0].BoardType, State().usb.UsbAdapterSlots[1].BoardType}),
      (Texts{"04B4:1004", "ALDER"}));
  ASSERT_TRUE(State().usb.UsbReady);
  EXPECT_EQ(State().usb.UsbPortIndex, 0);
  SetWord(ZACCL_OUT, 0x8013);
  EXPECT_EQ(Read(ZACCL_OUT), 0x13);
  EXPECT_EQ(messages, Texts{});
}

}  // namespace
}  // namespace kva

#else
TEST(EmulatedAdapter, NeedsLibusb) { GTEST_SKIP() << "built without libusb"; }
#endif  // KVA_HAVE_LIBUSB
