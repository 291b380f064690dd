// SPDX-License-Identifier: GPL-3.0-or-later
// State records of the device layer: the register map and the results of the last access,
// the parallel-port transport, port access, the seams and the USB adapter. Standard library
// only, so that every layer can hold them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kva {

// The program's 16-bit Booleans.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

struct RegisterRow {
  int16_t Index = 0;
  std::string Label;
  int32_t BaseAddr = 0;
  uint8_t NumBytes = 0;
  int16_t ReadLen = 0;
  int16_t TwosCompl = kFalse;
  float RegScale = 0.0f;
  float RegOffset = 0.0f;
  int16_t ReadFlag = kFalse;
  int16_t WriteFlag = kFalse;
  int16_t ECflag = kFalse;
  int16_t NDflag = kFalse;
  int16_t Hidden = kFalse;
  int16_t EmbMemflag = kFalse;
  int32_t AuxBaseAddr = 0;
  int32_t AuxAddr = 0;

  bool operator==(const RegisterRow&) const = default;
};

inline constexpr int kRegisterSlots = 61;    // indices 0..60
inline constexpr int kDeviceRegisters = 40;  // indices 0..39 hold the device's registers

// The table. Every access is checked: an index outside 0..60 is a programming error and throws
// std::out_of_range, never wrapping to another slot.
class RegisterTable {
 public:
  RegisterRow& operator[](int index) { return rows_.at(Checked(index)); }
  const RegisterRow& operator[](int index) const { return rows_.at(Checked(index)); }
  void Clear() { rows_ = {}; }
  bool operator==(const RegisterTable&) const = default;

 private:
  static size_t Checked(int index);
  std::array<RegisterRow, kRegisterSlots> rows_{};
};

// Empty until start-up fills it (InitRegisterMap); the results of the last register access.
struct RegisterState {
  RegisterTable RegisterMap;
  int32_t RegRawValue = 0;
  float RegScaledValue = 0.0f;
  int16_t RegHighByte = 0;
  int16_t RegLowByte = 0;
  int32_t RegNDBit = 0;
  int32_t RegEABit = 0;
  int32_t SpiReadResult = 0;
  int32_t LptReadAccumulator = 0;

  bool operator==(const RegisterState&) const = default;
};

struct PortPermissionAnswer {
  int error = 0;       // 0 granted; else an errno value: EPERM / EACCES not allowed, EBUSY held
                       // by another driver, EINVAL not a usable range, ENOSYS no port I/O here
  std::string holder;  // with EBUSY: the driver that holds the ports, when known
};
using PortPermissionRequest = std::function<PortPermissionAnswer(uint16_t first, uint16_t count)>;

class PortIo;
class EzUsbDriver;
class BoardStimulus;

// Where the hardware plugs in (none installed: an empty bus, no adapter, no simulated sensor),
// and what the host has granted of its I/O ports in this run.
struct SeamState {
  PortIo* portIo = nullptr;
  EzUsbDriver* ezUsbDriver = nullptr;
  BoardStimulus* boardStimulus = nullptr;
  PortPermissionRequest portRequest;
  std::vector<bool> grantedPorts;   // by port; sized at the first grant
  std::set<uint16_t> refusedPorts;  // by first port, already reported

  bool operator==(const SeamState& o) const {
    return portIo == o.portIo && ezUsbDriver == o.ezUsbDriver && boardStimulus == o.boardStimulus &&
           !portRequest == !o.portRequest && grantedPorts == o.grantedPorts &&
           refusedPorts == o.refusedPorts;
  }
};

struct UsbAdapterRecord {
  std::string DeviceName;  // "Ezusb-0".."Ezusb-3"; empty when the slot held no adapter
  bool Present = false;
  std::string BoardType;
  std::string Descript0;
  std::string Descript1;
  float DriverRev = 0.0f;
  std::string Speed;

  bool operator==(const UsbAdapterRecord&) const = default;
};

// The USB vendor ID that marks an adapter board by default. Boards with other IDs are added at
// run time (usbspi/adapter_ids.h), without a rebuild.
inline constexpr uint16_t AdapterVendorId = 0x1209;
inline constexpr uint16_t kAlderProductId = 0xED03;
inline constexpr uint16_t kBirchProductId = 0xEF00;

struct UsbId {
  uint16_t vendor = 0;
  uint16_t product = 0;
  bool operator==(const UsbId&) const = default;
};

inline const std::vector<UsbId> kDefaultAdapterUsbIds = {{AdapterVendorId, kAlderProductId},
                                                         {AdapterVendorId, kBirchProductId}};

struct UsbState {
  // The vendor and product IDs of the boards taken for adapters: ALDER's and BIRCH's, then
  // those added at run time.
  std::vector<UsbId> AdapterUsbIds = kDefaultAdapterUsbIds;
  std::array<UsbAdapterRecord, 4> UsbAdapterSlots{};
  int16_t UsbAdapterCount = 0;
  UsbAdapterRecord CurrentUsbAdapter{};
  bool UsbReady = false;
  int16_t UsbPortIndex = 0;  // set only by FindUsbAdapter; -1 when it selected none
  uint8_t SpiChannel = 1;
  uint8_t SpiStaticBits = 120;
  uint8_t SpiWordDelay = 25;
  bool SpiInputPolarity = true;  // true "Pos", false "Neg"
  uint8_t SpiWordCount = 0;
  std::array<int32_t, 17> SpiTxWords{};  // entries 1..16 used
  std::array<int32_t, 17> SpiRxWords{};

  bool operator==(const UsbState&) const = default;
};

}  // namespace kva
