// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/usb_adapter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "sim/ezusb_faults.h"
#include "sim/sim_ezusb_bus.h"
#include "support/fake_sensor.h"
#include "support/sim_rig.h"

namespace kva {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

struct UsbAdapter : kvatest::SimRig {
  void SetUp() override {
    SimRig::SetUp();
    SetEzUsbDriver(&faults);
  }
  void TearDown() override {
    EXPECT_EQ(bus.OpenHandles(), 0) << "a handle outlived its operation";
    for (const std::string& title : titles) EXPECT_EQ(title, kAppTitle);
    SimRig::TearDown();
  }

  // Finds the default board and forgets the traffic of the search.
  void Select() {
    faults.ClearFaults();
    FindUsbAdapter();
    ASSERT_TRUE(State().usb.UsbReady);
    bus.ClearLog();
    faults.ClearFaults();
    messages.clear();
  }
  // The requests of one code, in order.
  std::vector<sim::SimEzUsbRequest> RequestsOf(uint32_t code) const {
    std::vector<sim::SimEzUsbRequest> out;
    for (const auto& r : bus.Requests())
      if (r.code == code) out.push_back(r);
    return out;
  }
  static void Exchange(uint8_t n) { UsbSpiTransfer(n); }  // takes its count by reference

  kvatest::FakeSensor sensor;
  sim::SimEzUsbBus bus{sensor};
  sim::FaultyEzUsbDriver faults{bus};
};

TEST_F(UsbAdapter, DefaultBoardIsFoundWithItsBoardInformation) {
  FindUsbAdapter();
  ASSERT_TRUE(messages.empty() && State().usb.UsbReady);
  // What the record holds, the two adapter windows show; here, the requests that fill it.
  // String descriptors: the 5-byte input, a 4-byte head, then the whole descriptor.
  const auto strings = RequestsOf(kEzUsbGetStringDescriptor);
  EXPECT_EQ(strings.at(0).input, (Bytes{1, 0, 0, 0, 0x1B}));
  EXPECT_EQ(std::make_tuple(strings.at(0).outputLength, strings.at(1).outputLength,
                            RequestsOf(kEzUsbBulkRead).at(0).outputLength),
            std::make_tuple(4u, 2u + 2u * 23u, 2u));
  EXPECT_EQ(bus.Packets(0), (std::vector<Bytes>{{0x00}}));
}

TEST_F(UsbAdapter, EachBoardInformationStepCanFail) {
  constexpr const char* kName = "KVA7710 USB-SPI Adapter";
  using Arrange = void (*)(sim::SimEzUsbBus&, sim::FaultyEzUsbDriver&);
  const std::tuple<const char*, Arrange, const char*> cases[] = {
      {"descriptor 1", [](auto& b, auto&) { b.Board(0).descriptor1.reset(); }, "None"},
      {"descriptor 2", [](auto& b, auto&) { b.Board(0).descriptor2.reset(); }, kName},
      {"revision packet", [](auto&, auto& f) { f.FailCode(kEzUsbBulkWrite); }, kName},
      {"short revision", [](auto&, auto& f) { f.TruncateCode(kEzUsbBulkRead, 1); }, kName},
      // Without pipe information the answer pipe looks like an OUT pipe and packet size is 0.
      {"pipe information", [](auto& b, auto&) { b.Board(0).pipeInfoReadable = false; }, kName},
  };
  for (const auto& [what, arrange, descript0] : cases) {
    bus.Attach(0);
    faults.ClearFaults();
    messages.clear();
    arrange(bus, faults);
    FindUsbAdapter();
    EXPECT_EQ(messages, (Texts{"Error getting Board Info",
                               "No Valid USB Buffers Found, Please Verify Setup and Restart"}))
        << what;
    EXPECT_FALSE(State().usb.UsbReady || State().usb.UsbAdapterSlots[0].Present) << what;
    EXPECT_EQ(State().usb.UsbAdapterSlots[0].Descript0, descript0) << what;
  }
}

TEST_F(UsbAdapter, SetupCommandsCarryTheirExactBytes) {
  Select();
  uint8_t delay = 0, bits = 0xFF;  // the bits are sent as passed, not masked
  SetSpiWordDelay(delay);
  SetSpiStaticBits(bits);
  bus.Firmware(0).wordDelay = 0x19;
  bus.Firmware(0).staticBits = 0x7F;
  ReadSpiSetup();
  EXPECT_EQ(std::make_pair(int(State().usb.SpiWordDelay), int(State().usb.SpiStaticBits)),
            std::make_pair(25, 0x78));
  EXPECT_EQ(bus.Packets(0), (std::vector<Bytes>{{0x0B, 0x01}, {0x0C, 0xFF}, {0x01}}));
}

TEST_F(UsbAdapter, ExchangePacketsAndAnswers) {
  Select();
  sensor.SetWord(0x12, 0xBEEF);
  State().usb.SpiTxWords[1] = 0x1200;
  State().usb.SpiTxWords[2] = 0x0000;
  Exchange(2);
  EXPECT_EQ(bus.Packets(0), (std::vector<Bytes>{{0x0D, 0x01, 0x02, 0x12, 0x00, 0x00, 0x00}}));
  EXPECT_EQ(State().usb.SpiRxWords[2], 0xBEEF);
  // One open, pipe information before each of the two transfers, a 4-byte answer.
  EXPECT_EQ(std::make_tuple(faults.OpenCount(), RequestsOf(kEzUsbGetPipeInfo).size(),
                            RequestsOf(kEzUsbBulkRead).at(0).outputLength),
            std::make_tuple(1u, 2u, 4u));
  for (int i = 1; i <= 16; ++i) State().usb.SpiTxWords[i] = 0x8000 | (i << 8) | i;  // write frames
  Exchange(16);
  EXPECT_EQ(bus.Packets(0).back().size(), 35u);
  EXPECT_THROW(Exchange(17), std::out_of_range);

  // The channel is clamped to 1..5; the input polarity chooses the command.
  State().usb.SpiChannel = 9;
  State().usb.SpiInputPolarity = false;
  Exchange(2);
  EXPECT_EQ(Bytes(bus.Packets(0).back().begin(), bus.Packets(0).back().begin() + 2),
            (Bytes{0x0E, 5}));
  // A board gone since the search: the open fails silently, the transfer reports it.
  bus.Remove(0);
  Exchange(2);
  EXPECT_EQ(messages, Texts{"Error Writing SPI"});
}

TEST_F(UsbAdapter, EveryFailureRowGivesItsMessageAndLeavesTheAdapterNotReady) {
  const auto run = [](int step) {
    uint8_t delay = 30, bits = 0x50;
    if (step == 0) ReadSpiSetup();
    if (step == 1) SetSpiWordDelay(delay);
    if (step == 2) SetSpiStaticBits(bits);
    if (step == 3) Exchange(2);
  };
  // clang-format off
  const std::tuple<const char*, uint32_t, int, Texts> rows[] = {
      // The read still follows the failed write and, with no answer waiting, fails too.
      {"setup write", kEzUsbBulkWrite, 0, {"Error Setting up SPI", "Error Reading SPI"}},
      {"setup read", kEzUsbBulkRead, 0, {"Error Reading SPI"}},
      {"word delay", kEzUsbBulkWrite, 1, {"Error Setting up SPI"}},
      {"static bits", kEzUsbBulkWrite, 2, {"Error Setting SPI Bits"}},
      {"exchange write", kEzUsbBulkWrite, 3, {"Error Writing SPI"}},
      {"exchange read", kEzUsbBulkRead, 3, {"Error Reading SPI"}},
  };
  // clang-format on
  for (const auto& [operation, failingCode, step, expected] : rows) {
    Select();
    // Reads come back short rather than failing: the answer shares the buffer with the packet.
    failingCode == kEzUsbBulkRead ? faults.TruncateCode(kEzUsbBulkRead, 1)
                                  : faults.FailCode(kEzUsbBulkWrite);
    const auto delay = State().usb.SpiWordDelay;
    State().usb.SpiRxWords[2] = 0x2222;
    run(step);
    EXPECT_EQ(messages, expected) << operation;
    EXPECT_FALSE(State().usb.UsbReady) << operation;
    // What failed replaces nothing: a zero delay would be sent to the next board.
    EXPECT_EQ(State().usb.SpiWordDelay, step == 1 ? 30 : delay) << operation;
    EXPECT_EQ(State().usb.SpiRxWords[2], 0x2222) << operation;
    // Silent and idle afterwards, until the next search.
    messages.clear();
    const uint64_t opens = bus.OpenCount();
    run(step);
    EXPECT_EQ(std::make_pair(messages.size(), bus.OpenCount()), std::make_pair(size_t{0}, opens))
        << operation;
  }
}

}  // namespace
}  // namespace kva
