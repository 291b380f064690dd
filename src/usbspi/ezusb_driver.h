// SPDX-License-Identifier: GPL-3.0-or-later
// The EZ-USB driver seam: everything the adapter layer needs from the platform is to open a
// device by name, make a control request on it and close it. Simulated boards, the libusb
// backend and test doubles all sit behind this one interface, so the adapter code above it
// runs unchanged over each of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "state/program_state.h"

namespace kva {

// An open device. Handles are small non-negative numbers chosen by the driver.
using EzUsbHandle = int32_t;
inline constexpr EzUsbHandle kNoEzUsbHandle = -1;

// The driver's request codes (device type 0x22).
inline constexpr uint32_t kEzUsbGetPipeInfo = 0x222000;          // 0x800, buffered
inline constexpr uint32_t kEzUsbGetDeviceDescriptor = 0x222004;  // 0x801, buffered
inline constexpr uint32_t kEzUsbGetStringDescriptor = 0x222044;  // 0x811, buffered
inline constexpr uint32_t kEzUsbBulkRead = 0x22204E;             // 0x813, direct out
inline constexpr uint32_t kEzUsbBulkWrite = 0x222051;            // 0x814, direct in

// Sizes of the driver's data blocks.
inline constexpr size_t kPipeInfoSize = 356;
inline constexpr size_t kPipeInfoHeaderSize = 16;
inline constexpr size_t kPipeEntrySize = 20;
inline constexpr int kPipeEntries = 17;
inline constexpr size_t kDeviceDescriptorBufferSize = 147;
inline constexpr size_t kDeviceDescriptorSize = 18;

class EzUsbDriver {
 public:
  virtual ~EzUsbDriver() = default;

  // Opens "Ezusb-0".."Ezusb-3" (any other name fails). kNoEzUsbHandle when it cannot.
  virtual EzUsbHandle Open(const std::string& deviceName) = 0;

  // One synchronous request. The output buffer is filled by reading requests and is the data
  // to send for kEzUsbBulkWrite. Returns success; bytesReturned is what the driver reports
  // (0 on failure).
  virtual bool Request(EzUsbHandle handle, uint32_t code, const uint8_t* input,
                       uint32_t inputLength, uint8_t* output, uint32_t outputLength,
                       uint32_t& bytesReturned) = 0;

  virtual void Close(EzUsbHandle handle) = 0;
};

// The driver the adapter layer uses. Not owned; nullptr (the start value) means no driver at
// all, and then every open fails.
void SetEzUsbDriver(EzUsbDriver* driver);
EzUsbDriver* CurrentEzUsbDriver();

// The pipe-information block: a 16-byte interface header, then 17 pipe entries of 20 bytes.
// Only the packet size (+0) and endpoint address (+2) of an entry are read by the program;
// the rest of the layout is this driver's own.
//   header: +0 block length (16 bits), +2 interface number, +3 alternate setting, +4 class,
//           +5 subclass, +6 protocol, +8 number of pipes (32 bits)
//   entry:  +0 maximum packet size (16 bits), +2 endpoint address, +3 interval,
//           +4 transfer type (0 control, 1 isochronous, 2 bulk, 3 interrupt),
//           +12 maximum transfer size (32 bits)
struct EzUsbPipe {
  uint16_t maxPacketSize = 0;
  uint8_t endpointAddress = 0;  // bit 7 set: IN
  uint8_t interval = 0;
  uint8_t transferType = 2;
  uint32_t maxTransferSize = 4096;
};
struct EzUsbInterfaceInfo {
  uint8_t number = 0;
  uint8_t alternateSetting = 0;
  uint8_t interfaceClass = 0xFF;
  uint8_t interfaceSubclass = 0;
  uint8_t interfaceProtocol = 0;
};

// Fills the block from up to 17 pipes (extra ones are left out).
void BuildPipeInfo(const EzUsbInterfaceInfo& interface, const EzUsbPipe* pipes, size_t count,
                   std::array<uint8_t, kPipeInfoSize>& block);

// Little-endian helpers for the driver's byte layouts.
inline uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace kva
