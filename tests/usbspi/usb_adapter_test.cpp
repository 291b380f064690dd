#include "usbspi/usb_adapter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_ezusb_bus.h"
#include "support/sim_rig.h"
#include "usbspi/byte_register_slave.h"
#include "usbspi/ezusb_faults.h"

namespace kva {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;
constexpr const char* kNoBuffers = "No USB Buffers Found, Please Verify Setup and Restart";
constexpr const char* kBoardInfo = "Error getting Board Info";
constexpr const char* kNoValidBuffers =
    "No Valid USB Buffers Found, Please Verify Setup and Restart";

class UsbAdapter : public kvatest::SimRig {
 protected:
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
    ASSERT_TRUE(UsbReady);
    bus.ClearLog();
    faults.ClearFaults();
    messages.clear();
  }
  // The requests of one code, in order.
  std::vector<sim::SimEzUsbRequest> RequestsOf(uint32_t code) const {
    std::vector<sim::SimEzUsbRequest> out;
    for (const auto& r : bus.Requests()) {
      if (r.code == code) out.push_back(r);
    }
    return out;
  }
  static void Exchange(uint8_t n) { UsbSpiTransfer(n); }

  kvatest::ByteRegisterSlave sensor;
  sim::SimEzUsbBus bus{sensor};
  FaultyEzUsbDriver faults{bus};
};

TEST_F(UsbAdapter, DefaultBoardIsFoundWithItsBoardInformation) {
  FindUsbAdapter();
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(UsbReady);
  EXPECT_EQ(UsbPortIndex, 0);
  EXPECT_EQ(UsbAdapterCount, 1);
  const UsbAdapterRecord& r = CurrentUsbAdapter;
  EXPECT_TRUE(r.Present);
  EXPECT_EQ(Texts({r.DeviceName, r.BoardType, r.Descript0, r.Descript1, r.Speed}),
            Texts({"Ezusb-0", "ALDER", "KVA7710 USB-SPI Adapter", "SIMULATED", "2"}));
  EXPECT_EQ(r.DriverRev, 2.3f);

  // String descriptors: the 5-byte input, a 4-byte head, then the whole descriptor.
  const auto strings = RequestsOf(kEzUsbGetStringDescriptor);
  ASSERT_EQ(strings.size(), 4u);
  EXPECT_EQ(strings[0].input, (Bytes{1, 0, 0, 0, 0x1B}));
  EXPECT_EQ(strings[0].outputLength, 4u);
  EXPECT_EQ(strings[1].outputLength, 2u + 2u * 23u);
  EXPECT_EQ(strings[2].input, (Bytes{2, 0, 0, 0, 0x1B}));
  EXPECT_EQ(strings[3].outputLength, 2u + 2u * 9u);
  EXPECT_EQ(bus.Packets(0), (std::vector<Bytes>{{0x00}}));
  const auto reads = RequestsOf(kEzUsbBulkRead);
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0].input, (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(reads[0].outputLength, 2u);
}

TEST_F(UsbAdapter, FirstUsableSlotIsSelectedInSlotOrder) {
  bus.RemoveAll();
  bus.Attach(2);
  FindUsbAdapter();
  EXPECT_EQ(UsbPortIndex, 2);
  EXPECT_EQ(CurrentUsbAdapter.DeviceName, "Ezusb-2");

  sim::SimEzUsbBoard fullSpeed;
  fullSpeed.usb2 = false;
  fullSpeed.revisionMajor = 1;
  fullSpeed.revisionMinor = 0;
  bus.Attach(1, fullSpeed);
  sim::SimEzUsbBoard birch;
  birch.productId = kBirchProductId;
  bus.Attach(0, birch);
  FindUsbAdapter();
  EXPECT_EQ(UsbPortIndex, 0);
  EXPECT_EQ(UsbAdapterCount, 3);
  EXPECT_EQ(CurrentUsbAdapter.BoardType, "BIRCH");
  EXPECT_EQ(UsbAdapterSlots[1].Speed, "1.1");
  EXPECT_EQ(UsbAdapterSlots[1].DriverRev, 1.0f);
  EXPECT_TRUE(messages.empty());

  // A board whose information fails is passed over for the next one.
  bus.Board(0).descriptor1.reset();
  FindUsbAdapter();
  EXPECT_EQ(messages, Texts{kBoardInfo});
  EXPECT_EQ(UsbPortIndex, 1);
  EXPECT_EQ(UsbAdapterCount, 3);
  EXPECT_FALSE(UsbAdapterSlots[0].Present);
  EXPECT_EQ(UsbAdapterSlots[0].DeviceName, "Ezusb-0");

  // Slot 2's request fails after slot 1 filled the buffer with an adapter's IDs: it is empty.
  faults.ClearFaults();
  faults.FailCodeOccurrence(kEzUsbGetDeviceDescriptor, 3);
  FindUsbAdapter();
  EXPECT_EQ(UsbAdapterCount, 2);
  EXPECT_EQ(UsbAdapterSlots[2].DeviceName, "");
}

TEST_F(UsbAdapter, NoBoardOfOurIdsOrNoDriverGivesNoBuffersFound) {
  sim::SimEzUsbBoard unknownProduct;
  unknownProduct.productId = 0xED04;
  sim::SimEzUsbBoard otherVendor;
  otherVendor.vendorId = static_cast<uint16_t>(AdapterVendorId + 1);
  bus.Attach(0, unknownProduct);
  bus.Attach(3, otherVendor);
  FindUsbAdapter();
  EXPECT_EQ(UsbAdapterCount, 0);
  EXPECT_EQ(bus.Packets(0).size(), 0u) << "an unknown board is not spoken to";
  SetEzUsbDriver(nullptr);
  FindUsbAdapter();
  EXPECT_EQ(messages, (Texts{kNoBuffers, kNoBuffers}));
  EXPECT_FALSE(UsbReady);
  EXPECT_EQ(UsbPortIndex, -1);
}

TEST_F(UsbAdapter, EachBoardInformationStepCanFail) {
  struct Case {
    const char* what;
    void (*arrange)(sim::SimEzUsbBus&, FaultyEzUsbDriver&);
    const char* descript0;
  };
  const Case cases[] = {
      {"descriptor 1", [](auto& b, auto&) { b.Board(0).descriptor1.reset(); }, "None"},
      {"descriptor 2", [](auto& b, auto&) { b.Board(0).descriptor2.reset(); },
       "KVA7710 USB-SPI Adapter"},
      {"head of descriptor 1",
       [](auto&, auto& f) { f.FailCodeOccurrence(kEzUsbGetStringDescriptor, 1); }, "None"},
      {"revision packet", [](auto&, auto& f) { f.FailCode(kEzUsbBulkWrite); },
       "KVA7710 USB-SPI Adapter"},
      {"revision answer", [](auto&, auto& f) { f.FailCode(kEzUsbBulkRead); },
       "KVA7710 USB-SPI Adapter"},
      {"short revision answer", [](auto&, auto& f) { f.TruncateCode(kEzUsbBulkRead, 1); },
       "KVA7710 USB-SPI Adapter"},
      // Without pipe information the answer pipe looks like an OUT pipe and packet size is 0.
      {"pipe information", [](auto& b, auto&) { b.Board(0).pipeInfoReadable = false; },
       "KVA7710 USB-SPI Adapter"},
  };
  for (const Case& c : cases) {
    ResetUsbAdapter();
    bus.Attach(0);
    faults.ClearFaults();
    messages.clear();
    c.arrange(bus, faults);
    FindUsbAdapter();
    EXPECT_EQ(messages, (Texts{kBoardInfo, kNoValidBuffers})) << c.what;
    EXPECT_FALSE(UsbReady || UsbAdapterSlots[0].Present) << c.what;
    EXPECT_EQ(UsbPortIndex, -1) << c.what;
    EXPECT_EQ(UsbAdapterCount, 1) << c.what;
    EXPECT_EQ(UsbAdapterSlots[0].Descript0, c.descript0) << c.what;
  }
}

TEST_F(UsbAdapter, SetupCommandsCarryTheirExactBytes) {
  Select();
  uint8_t delay = 0;
  SetSpiWordDelay(delay);
  EXPECT_EQ(delay, 1);
  EXPECT_EQ(SpiWordDelay, 1);
  uint8_t bits = 0xFF;  // sent as passed, not masked
  SetSpiStaticBits(bits);
  bus.Firmware(0).wordDelay = 0x19;
  bus.Firmware(0).staticBits = 0x7F;
  ReadSpiSetup();
  EXPECT_EQ(SpiWordDelay, 25);
  EXPECT_EQ(SpiStaticBits, 0x78);
  EXPECT_EQ(bus.Packets(0), (std::vector<Bytes>{{0x0B, 0x01}, {0x0C, 0xFF}, {0x01}}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(UsbAdapter, ExchangePacketsAndAnswers) {
  Select();
  sensor.SetWord(0x12, 0xBEEF);
  SpiTxWords[1] = 0x1200;
  SpiTxWords[2] = 0x0000;
  Exchange(2);
  EXPECT_EQ(bus.Packets(0), (std::vector<Bytes>{{0x0D, 0x01, 0x02, 0x12, 0x00, 0x00, 0x00}}));
  ASSERT_EQ(RequestsOf(kEzUsbBulkRead).size(), 1u);
  EXPECT_EQ(RequestsOf(kEzUsbBulkRead)[0].outputLength, 4u);
  EXPECT_EQ(SpiRxWords[1], 0);
  EXPECT_EQ(SpiRxWords[2], 0xBEEF);
  EXPECT_EQ(SpiWordCount, 2);
  // One open, pipe information before each of the two transfers, one close.
  EXPECT_EQ(faults.OpenCount(), 1u);
  EXPECT_EQ(faults.RequestCount(), 4u);
  EXPECT_EQ(RequestsOf(kEzUsbGetPipeInfo).size(), 2u);

  for (int i = 1; i <= 16; ++i) SpiTxWords[i] = 0x8000 | (i << 8) | i;  // write frames
  Exchange(16);
  const Bytes& p = bus.Packets(0).back();
  ASSERT_EQ(p.size(), 35u);
  EXPECT_EQ(p[2], 16);
  EXPECT_EQ(p[33], 0x90);
  EXPECT_EQ(p[34], 0x10);
  EXPECT_EQ(RequestsOf(kEzUsbBulkRead).back().outputLength, 32u);
  EXPECT_EQ(sensor.frames.size(), 18u);
  EXPECT_EQ(sensor.bytes[16], 16);
  EXPECT_THROW(Exchange(0), std::out_of_range);
  EXPECT_THROW(Exchange(17), std::out_of_range);
}

TEST_F(UsbAdapter, ChannelIsClampedAndPolarityChoosesTheCommand) {
  Select();
  sensor.SetWord(0x04, 0x9234);
  SpiTxWords[1] = 0x0400;
  SpiTxWords[2] = 0;
  SpiChannel = 0;
  Exchange(2);
  EXPECT_EQ(SpiChannel, 1);
  EXPECT_EQ(SpiRxWords[2], 0x9234);
  SpiChannel = 9;
  Exchange(2);
  EXPECT_EQ(SpiChannel, 5);
  EXPECT_EQ(SpiRxWords[2], 0xFFFF) << "nothing drives channel 5";
  SpiChannel = 1;
  SpiInputPolarity = false;
  Exchange(2);
  EXPECT_EQ(SpiRxWords[1], 0x0001);
  EXPECT_EQ(SpiRxWords[2], 0x2469) << "sampled one bit late";
  std::vector<Bytes> heads;
  for (const Bytes& packet : bus.Packets(0)) heads.push_back({packet[0], packet[1]});
  EXPECT_EQ(heads, (std::vector<Bytes>{{0x0D, 1}, {0x0D, 5}, {0x0E, 1}}));
}

TEST_F(UsbAdapter, EveryFailureRowGivesItsMessageAndLeavesTheAdapterNotReady) {
  struct Row {
    const char* operation;
    uint32_t failingCode;
    void (*run)();
    Texts expected;
  };
  const Row rows[] = {
      // The read still follows the failed write and, with no answer waiting, fails too.
      {"setup write", kEzUsbBulkWrite, ReadSpiSetup, {"Error Setting up SPI", "Error Reading SPI"}},
      {"setup read", kEzUsbBulkRead, ReadSpiSetup, {"Error Reading SPI"}},
      {"word delay", kEzUsbBulkWrite, [] { uint8_t d = 30; SetSpiWordDelay(d); },
       {"Error Setting up SPI"}},
      {"static bits", kEzUsbBulkWrite, [] { uint8_t b = 0x50; SetSpiStaticBits(b); },
       {"Error Setting SPI Bits"}},
      {"exchange write", kEzUsbBulkWrite, [] { Exchange(2); }, {"Error Writing SPI"}},
      {"exchange read", kEzUsbBulkRead, [] { Exchange(2); }, {"Error Reading SPI"}},
  };
  for (const Row& row : rows) {
    Select();
    faults.FailCode(row.failingCode);
    row.run();
    EXPECT_EQ(messages, row.expected) << row.operation;
    EXPECT_FALSE(UsbReady) << row.operation;
    EXPECT_EQ(bus.OpenHandles(), 0) << row.operation;
    // Silent and idle afterwards, until the next search.
    messages.clear();
    const uint64_t opens = bus.OpenCount();
    row.run();
    EXPECT_TRUE(messages.empty()) << row.operation;
    EXPECT_EQ(bus.OpenCount(), opens) << row.operation;
  }
}

TEST_F(UsbAdapter, FailedOrShortReadsReplaceNothing) {
  Select();
  faults.FailCode(kEzUsbBulkRead);
  ReadSpiSetup();
  EXPECT_EQ(SpiWordDelay, 25) << "a failed read must not leave a zero delay behind";
  EXPECT_EQ(SpiStaticBits, 0x78);

  // The answer shares the buffer with the packet: a short one would hand back packet bytes.
  Select();
  SpiRxWords[1] = 0x1111;
  SpiRxWords[2] = 0x2222;
  faults.TruncateCode(kEzUsbBulkRead, 2);
  Exchange(2);
  EXPECT_EQ(messages, Texts{"Error Reading SPI"});
  EXPECT_EQ(SpiRxWords[1], 0x1111);
  EXPECT_EQ(SpiRxWords[2], 0x2222);
}

TEST_F(UsbAdapter, RegisterAccessOverTheAdapterWithOneMessagePerBurst) {
  UseInterface(2);
  Select();
  sensor.SetWord(0x48, 0x1234);
  SpiChannel = 3;  // the debug panel's choice does not leak into register access
  ReadRegister(SMPL_PRD);
  EXPECT_EQ(bus.Packets(0).back(), (Bytes{0x0D, 0x01, 0x02, 0x48, 0x00, 0x00, 0x00}));
  EXPECT_EQ(SpiReadResult, 0x1234);

  sensor.SetWord(0x04, 0x0005);
  faults.FailCode(kEzUsbBulkWrite);
  for (int i = 0; i < 10; ++i) ReadRegister(XACCL_OUT);
  EXPECT_EQ(SpiRxWords[2], 0x1234) << "no exchange took place";
  EXPECT_EQ(messages, Texts{"Error Writing SPI"});
  faults.ClearFaults();
  FindUsbAdapter();
  EXPECT_EQ(Read(XACCL_OUT), 5);

  // A board gone since the search: the open fails silently, the transfer reports it.
  bus.Remove(0);
  ReadRegister(XACCL_OUT);
  EXPECT_EQ(messages, (Texts{"Error Writing SPI", "Error Writing SPI"}));
}

}  // namespace
}  // namespace kva
