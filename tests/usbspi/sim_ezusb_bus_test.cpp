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
  // Reads up to length (at most 64) bytes from pipe 1; nullopt when the read fails.
  std::optional<Bytes> Receive(EzUsbHandle h, uint32_t length) {
    uint8_t pipe[4] = {1, 0, 0, 0};
    std::array<uint8_t, 64> data{};
    uint32_t returned = 0;
    if (!bus.Request(h, kEzUsbBulkRead, pipe, 4, data.data(), length, returned)) return {};
    return Bytes(data.begin(), data.begin() + returned);
  }

  kvatest::ByteRegisterSlave sensor;
  SimEzUsbBus bus{sensor};
};

TEST_F(SimBus, FirmwareRefusesMalformedPacketsAndKeepsItsSettings) {
  const EzUsbHandle h = bus.Open("Ezusb-0");
  EXPECT_TRUE(Send(h, {0x0B, 40}));
  EXPECT_TRUE(Send(h, {0x0C, 0x18}));
  EXPECT_TRUE(Send(h, {0x01}));
  EXPECT_EQ(Receive(h, 2), (Bytes{40, 0x18}));
  EXPECT_EQ(Receive(h, 2), std::nullopt) << "an answer is read once";

  for (const Bytes& bad :
       {Bytes{}, Bytes{0x07}, Bytes{0x00, 0x00}, Bytes{0x0B}, Bytes{0x0D, 1, 0}, Bytes{0x0D, 1, 17},
        Bytes{0x0D, 1, 2, 0, 0, 0}, Bytes{0x0E, 1, 1, 0, 0, 0}}) {
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
  EXPECT_EQ(bus.Open("Ezusb-1"), kNoEzUsbHandle);
  EXPECT_EQ(bus.Open("Ezusb-4"), kNoEzUsbHandle);
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
