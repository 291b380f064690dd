// SPDX-License-Identifier: GPL-3.0-or-later
// Simulated adapter boards behind the EZ-USB driver seam. The bus has the four device names
// "Ezusb-0".."Ezusb-3"; each can hold one board that answers the driver requests (device and
// string descriptors, pipe information, bulk transfers) and runs the adapter firmware's
// command protocol. Channel 1 of a board carries the sensor; the other channels have nothing
// on the line, which idles high, so they read back 0xFFFF.
//
// Input polarity "Neg" (command 0x0E) samples the data line on the edge where the sensor
// changes it, one clock late: the first bit of every word is lost and the idle-high line fills
// the last, so each word comes back as (word << 1 | 1) & 0xFFFF.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/spi_slave.h"
#include "usbspi/ezusb_driver.h"
#include "usbspi/usb_adapter.h"

namespace kva::sim {

// How a board presents itself. Everything a test may want to vary is here.
struct SimEzUsbBoard {
  uint16_t vendorId = kva::AdapterVendorId;
  uint16_t productId = 0xED03;
  uint16_t deviceRelease = 0x0100;
  std::optional<std::string> descriptor1 = "KVA7710 USB-SPI Adapter";  // nullopt: unreadable
  std::optional<std::string> descriptor2 = "SIMULATED";
  uint8_t revisionMajor = 2;
  uint8_t revisionMinor = 3;
  bool usb2 = true;  // packet size 512 on the bulk pipes, else 64 (1.1)
  bool deviceDescriptorReadable = true;
  bool pipeInfoReadable = true;
  SpiSlave* channel1 = nullptr;  // nullptr: the bus's sensor
};

// What the firmware keeps between commands.
struct SimEzUsbFirmware {
  uint8_t wordDelay = 10;
  uint8_t staticBits = 0x78;
  std::vector<uint8_t> answer;  // waiting on pipe 1
};

// One request as the bus saw it.
struct SimEzUsbRequest {
  int slot;
  uint32_t code;
  std::vector<uint8_t> input;
  uint32_t outputLength;
};

class SimEzUsbBus : public kva::EzUsbDriver {
 public:
  // One "ALDER" board on Ezusb-0 (USB 2, revision 2.3) with the sensor on channel 1.
  explicit SimEzUsbBus(SpiSlave& sensor);

  // Board layout. slot 0..3 (anything else throws std::out_of_range). Attaching replaces the
  // board in the slot with a fresh one; removing one while open makes its handles fail.
  void Attach(int slot, const SimEzUsbBoard& board = SimEzUsbBoard());
  void Remove(int slot);
  void RemoveAll();
  bool HasBoard(int slot) const;
  SimEzUsbBoard& Board(int slot);  // the slot must hold a board
  SimEzUsbFirmware& Firmware(int slot);

  // Every command packet a board received on pipe 0, in order, and every request made.
  // Logging can be switched off for long runs.
  const std::vector<std::vector<uint8_t>>& Packets(int slot) const;
  const std::vector<SimEzUsbRequest>& Requests() const { return requests_; }
  void ClearLog();
  void SetLogging(bool on) { logging_ = on; }

  int OpenHandles() const;  // handles not closed yet
  uint64_t OpenCount() const { return opens_; }
  uint64_t RequestCount() const { return requestCount_; }

  // kva::EzUsbDriver
  kva::EzUsbHandle Open(const std::string& deviceName) override;
  bool Request(kva::EzUsbHandle handle, uint32_t code, const uint8_t* input, uint32_t inputLength,
               uint8_t* output, uint32_t outputLength, uint32_t& bytesReturned) override;
  void Close(kva::EzUsbHandle handle) override;

 private:
  struct Slot {
    std::optional<SimEzUsbBoard> board;
    SimEzUsbFirmware firmware;
    std::vector<std::vector<uint8_t>> packets;
    uint64_t generation = 0;  // bumped by Attach/Remove: older handles go stale
  };
  struct OpenHandle {
    int slot;
    uint64_t generation;
  };

  Slot& CheckedSlot(int slot);
  const Slot& CheckedSlot(int slot) const;
  Slot* SlotOf(kva::EzUsbHandle handle);
  bool DeviceDescriptor(const SimEzUsbBoard& board, uint8_t* output, uint32_t outputLength,
                        uint32_t& bytesReturned) const;
  bool StringDescriptor(const SimEzUsbBoard& board, const uint8_t* input, uint32_t inputLength,
                        uint8_t* output, uint32_t outputLength, uint32_t& bytesReturned) const;
  bool PipeInfo(const SimEzUsbBoard& board, uint32_t inputLength, uint8_t* output,
                uint32_t outputLength, uint32_t& bytesReturned) const;
  bool BulkWrite(Slot& slot, const uint8_t* data, uint32_t length);
  bool BulkRead(Slot& slot, uint8_t* data, uint32_t length, uint32_t& bytesReturned);
  bool RunCommand(Slot& slot, const uint8_t* packet, uint32_t length);

  SpiSlave& sensor_;
  std::array<Slot, 4> slots_{};
  std::vector<std::optional<OpenHandle>> handles_;
  std::vector<SimEzUsbRequest> requests_;
  bool logging_ = true;
  uint64_t opens_ = 0;
  uint64_t requestCount_ = 0;
};

// The pipes of a simulated board: 0 bulk OUT, 1 bulk IN, 2 bulk OUT, 3 bulk IN.
inline constexpr std::array<uint8_t, 4> kSimBoardEndpoints = {0x02, 0x86, 0x04, 0x88};

}  // namespace kva::sim
