#include "sim/sim_ezusb_bus.h"

#include <gtest/gtest.h>

#include <vector>

#include "usbspi/byte_register_slave.h"
#include "usbspi/ezusb_faults.h"

namespace kva::sim {
namespace {

using Bytes = std::vector<uint8_t>;

class SimBus : public ::testing::Test {
 protected:
  // Writes a packet on pipe 0.
  bool Send(EzUsbHandle h, Bytes packet) {
    uint8_t pipe[4] = {0, 0, 0, 0};
    uint32_t returned = 0;
    return bus.Request(h, kEzUsbBulkWrite, pipe, 4, packet.data(),
                       static_cast<uint32_t>(packet.size()), returned);
  }
  // Reads up to length bytes from pipe 1; nullopt when the read fails.
  std::optional<Bytes> Receive(EzUsbHandle h, uint32_t length) {
    uint8_t pipe[4] = {1, 0, 0, 0};
    Bytes data(length);
    uint32_t returned = 0;
    if (!bus.Request(h, kEzUsbBulkRead, pipe, 4, data.data(), length, returned)) return {};
    data.resize(returned);
    return data;
  }

  kvatest::ByteRegisterSlave sensor;
  SimEzUsbBus bus{sensor};
};

TEST_F(SimBus, DescriptorsAndPipeInformationDescribeTheBoard) {
  SimEzUsbBoard fullSpeed;
  fullSpeed.usb2 = false;
  fullSpeed.productId = 0xEF00;
  bus.Attach(2, fullSpeed);
  for (const auto& [slot, packetSize, bcdUsb, product] :
       {std::tuple{0, 512, 0x0200, 0xED03}, std::tuple{2, 64, 0x0110, 0xEF00}}) {
    const EzUsbHandle h = bus.Open("Ezusb-" + std::to_string(slot));
    ASSERT_NE(h, kNoEzUsbHandle);
    std::array<uint8_t, kDeviceDescriptorBufferSize> d{};
    uint32_t returned = 0;
    ASSERT_TRUE(bus.Request(h, kEzUsbGetDeviceDescriptor, d.data(), d.size(), d.data(), d.size(),
                            returned));
    EXPECT_EQ(returned, 18u);
    EXPECT_EQ(GetLe16(&d[2]), bcdUsb);
    EXPECT_EQ(GetLe16(&d[8]), AdapterVendorId);
    EXPECT_EQ(GetLe16(&d[10]), product);

    std::array<uint8_t, kPipeInfoSize> block{};
    ASSERT_TRUE(bus.Request(h, kEzUsbGetPipeInfo, block.data(), block.size(), block.data(),
                            block.size(), returned));
    EXPECT_EQ(GetLe32(&block[8]), 4u);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(GetLe16(&block[16 + 20 * k]), packetSize);
      EXPECT_EQ(block[16 + 20 * k + 2], kSimBoardEndpoints[k]);
    }
    EXPECT_EQ(block[16 + 20 * 4 + 2], 0) << "no fifth pipe";

    const uint8_t languageIndex[5] = {0, 0, 0, 0, 0x1B};
    uint8_t languages[4] = {};
    ASSERT_TRUE(bus.Request(h, kEzUsbGetStringDescriptor, languageIndex, 5, languages, 4, returned));
    EXPECT_EQ(Bytes(languages, languages + 4), (Bytes{4, 3, 0x09, 0x04}));
    const uint8_t third[5] = {3, 0, 0, 0, 0x1B};
    EXPECT_FALSE(bus.Request(h, kEzUsbGetStringDescriptor, third, 5, languages, 4, returned));
    bus.Close(h);
  }
  EXPECT_EQ(bus.Open("Ezusb-1"), kNoEzUsbHandle);
  EXPECT_EQ(bus.Open("Ezusb-4"), kNoEzUsbHandle);
  EXPECT_EQ(bus.Open("\\\\.\\Ezusb-0x"), kNoEzUsbHandle);
}

TEST_F(SimBus, FirmwareRefusesMalformedPacketsAndKeepsItsSettings) {
  const EzUsbHandle h = bus.Open("Ezusb-0");
  EXPECT_TRUE(Send(h, {0x0B, 40}));
  EXPECT_TRUE(Send(h, {0x0C, 0x18}));
  EXPECT_TRUE(Send(h, {0x01}));
  EXPECT_EQ(Receive(h, 2), (Bytes{40, 0x18}));
  EXPECT_EQ(Receive(h, 2), std::nullopt) << "an answer is read once";

  for (const Bytes& bad : {Bytes{}, Bytes{0x07}, Bytes{0x00, 0x00}, Bytes{0x0B},
                           Bytes{0x0D, 1, 0}, Bytes{0x0D, 1, 17}, Bytes{0x0D, 1, 2, 0, 0, 0},
                           Bytes{0x0E, 1, 1, 0, 0, 0}}) {
    EXPECT_FALSE(Send(h, bad)) << bad.size();
  }
  EXPECT_TRUE(sensor.frames.empty());
  EXPECT_EQ(bus.Firmware(0).wordDelay, 40);
  EXPECT_EQ(bus.Firmware(0).staticBits, 0x18);

  // An answer too long for the read is lost with it.
  EXPECT_TRUE(Send(h, {0x00}));
  EXPECT_EQ(Receive(h, 1), std::nullopt);
  EXPECT_EQ(Receive(h, 2), std::nullopt);

  // Pipes must be used in their direction.
  uint8_t pipe1[4] = {1, 0, 0, 0}, pipe0[4] = {0, 0, 0, 0}, pipe5[4] = {5, 0, 0, 0};
  uint8_t data[2] = {0x00, 0};
  uint32_t returned = 0;
  EXPECT_FALSE(bus.Request(h, kEzUsbBulkWrite, pipe1, 4, data, 1, returned));
  EXPECT_FALSE(bus.Request(h, kEzUsbBulkRead, pipe0, 4, data, 2, returned));
  EXPECT_FALSE(bus.Request(h, kEzUsbBulkWrite, pipe5, 4, data, 1, returned));
  EXPECT_FALSE(bus.Request(h, 0x222008, pipe0, 4, data, 1, returned));
  bus.Close(h);
}

TEST_F(SimBus, ExchangeGivesOneFramePerWord) {
  sensor.SetWord(0x0A, 0x8001);
  const EzUsbHandle h = bus.Open("Ezusb-0");
  EXPECT_TRUE(Send(h, {0x0D, 1, 3, 0x0A, 0x00, 0x00, 0x00, 0x0A, 0x00}));
  EXPECT_EQ(sensor.frames, (std::vector<uint16_t>{0x0A00, 0x0000, 0x0A00}));
  EXPECT_EQ(Receive(h, 32), (Bytes{0x00, 0x00, 0x80, 0x01, 0x00, 0x00}));
  // "Neg": every word one bit late, the idle-high line filling the last bit.
  EXPECT_TRUE(Send(h, {0x0E, 1, 2, 0x0A, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Receive(h, 4), (Bytes{0x00, 0x03, 0x00, 0x03}));  // 0x8001 twice, bit 15 lost
  // Nothing drives the other channels.
  EXPECT_TRUE(Send(h, {0x0D, 2, 1, 0x0A, 0x00}));
  EXPECT_EQ(Receive(h, 2), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(sensor.frames.size(), 5u);
  bus.Close(h);

  // A board may carry a sensor of its own on channel 1.
  kvatest::ByteRegisterSlave other;
  other.SetWord(0x0A, 0x0042);
  SimEzUsbBoard board;
  board.channel1 = &other;
  bus.Attach(1, board);
  const EzUsbHandle h1 = bus.Open("Ezusb-1");
  EXPECT_TRUE(Send(h1, {0x0D, 1, 2, 0x0A, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Receive(h1, 4), (Bytes{0x00, 0x00, 0x00, 0x42}));
  bus.Close(h1);
  EXPECT_EQ(sensor.frames.size(), 5u);
}

TEST_F(SimBus, HandlesOfARemovedBoardStayDead) {
  const EzUsbHandle h = bus.Open("Ezusb-0");
  EXPECT_EQ(bus.OpenHandles(), 1);
  bus.Remove(0);
  bus.Attach(0);  // a new board in the same place
  EXPECT_FALSE(Send(h, {0x00}));
  bus.Close(h);
  bus.Close(h);  // twice is harmless
  EXPECT_EQ(bus.OpenHandles(), 0);
  const EzUsbHandle again = bus.Open("Ezusb-0");
  EXPECT_EQ(again, h) << "closed handles are reused";
  EXPECT_TRUE(Send(again, {0x00}));
  bus.Close(again);
  EXPECT_THROW(bus.Attach(4), std::out_of_range);
  EXPECT_THROW(bus.Board(3), std::logic_error);
}

TEST(EzUsbFaults, FailChosenRequestsAndRepeatTheirRandomPattern) {
  kvatest::ByteRegisterSlave sensor;
  SimEzUsbBus bus(sensor);
  FaultyEzUsbDriver faults(bus, 42);
  const EzUsbHandle h = faults.Open("Ezusb-0");
  std::array<uint8_t, kPipeInfoSize> block{};
  uint32_t returned = 0;
  const auto pipeInfo = [&] {
    return faults.Request(h, kEzUsbGetPipeInfo, block.data(), block.size(), block.data(),
                          block.size(), returned);
  };
  faults.FailRequestNumber(2);
  faults.FailCodeOccurrence(kEzUsbGetPipeInfo, 4);
  std::vector<bool> outcomes;
  for (int i = 0; i < 5; ++i) outcomes.push_back(pipeInfo());
  EXPECT_EQ(outcomes, (std::vector<bool>{true, false, true, false, true}));
  EXPECT_EQ(bus.RequestCount(), 3u) << "failed requests never reach the board";
  EXPECT_EQ(faults.InjectedFailures(), 2u);

  const auto pattern = [&] {
    faults.ClearFaults();
    faults.FailWithProbability(0.5);
    std::vector<bool> seen;
    for (int i = 0; i < 64; ++i) seen.push_back(pipeInfo());
    return seen;
  };
  const std::vector<bool> first = pattern();
  EXPECT_EQ(pattern(), first);
  const auto failures = std::count(first.begin(), first.end(), false);
  EXPECT_GT(failures, 16);
  EXPECT_LT(failures, 48);

  faults.ClearFaults();
  faults.FailCode(kEzUsbGetPipeInfo);
  EXPECT_FALSE(pipeInfo());
  faults.ClearFaults();
  EXPECT_TRUE(pipeInfo());
  faults.FailOpens(true);
  EXPECT_EQ(faults.Open("Ezusb-0"), kNoEzUsbHandle);
  faults.Close(h);
  EXPECT_EQ(bus.OpenHandles(), 0);
}

}  // namespace
}  // namespace kva::sim
