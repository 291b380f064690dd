// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/usb_adapter.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "app/hooks.h"

namespace kva {
namespace {

using PacketBuffer = std::array<uint8_t, kSpiPacketBufferSize>;

// Answers are read into the buffer that held the command packet: a short answer would leave
// command bytes where answer bytes belong, so it counts as a failed read.
bool ReadAnswer(EzUsbHandle handle, PacketBuffer& buffer, int32_t count) {
  int32_t length = count;
  return UsbBulkTransfer(handle, kAnswerPipe, buffer, length) == 1 && length == count;
}

bool SendPacket(EzUsbHandle handle, PacketBuffer& buffer, int32_t count) {
  int32_t length = count;
  return UsbBulkTransfer(handle, kCommandPipe, buffer, length) == 1;
}

// A failed step of an adapter operation: its message, and the adapter stays not ready (and
// silent) until the user selects it again.
void StepFailed(const char* message) {
  MsgBox(message);
  State().usb.UsbReady = false;
}

void CheckPipe(int pipe) {
  if (pipe < 0 || pipe >= kPipeEntries) throw std::out_of_range("USB pipe index out of range");
}

}  // namespace

bool IsAdapterUsbId(uint16_t vendorId, uint16_t productId) {
  return std::find(State().usb.AdapterUsbIds.begin(), State().usb.AdapterUsbIds.end(),
                   UsbId{vendorId, productId}) != State().usb.AdapterUsbIds.end();
}

std::string BoardTypeOf(uint16_t vendorId, uint16_t productId) {
  if (!IsAdapterUsbId(vendorId, productId)) return "None";
  if (productId == kAlderProductId) return "ALDER";
  if (productId == kBirchProductId) return "BIRCH";
  char label[10];
  std::snprintf(label, sizeof label, "%04X:%04X", vendorId, productId);
  return label;
}

EzUsbHandle OpenUsbDevice(const std::string& deviceName) {
  EzUsbDriver* driver = CurrentEzUsbDriver();
  if (driver == nullptr) return kNoEzUsbHandle;
  return driver->Open(deviceName);
}

void CloseUsbDevice(EzUsbHandle handle) {
  EzUsbDriver* driver = CurrentEzUsbDriver();
  if (driver != nullptr && handle != kNoEzUsbHandle) driver->Close(handle);
}

bool GetUsbPipeInfo(EzUsbHandle handle, std::array<uint8_t, kPipeInfoSize>& block) {
  EzUsbDriver* driver = CurrentEzUsbDriver();
  if (driver == nullptr || handle == kNoEzUsbHandle) return false;
  uint32_t returned = 0;
  return driver->Request(handle, kEzUsbGetPipeInfo, block.data(), kPipeInfoSize, block.data(),
                         kPipeInfoSize, returned);
}

int16_t GetPipeMaxPacketSize(EzUsbHandle handle, int pipe) {
  CheckPipe(pipe);
  if (handle == kNoEzUsbHandle) return 0;
  std::array<uint8_t, kPipeInfoSize> block{};
  if (!GetUsbPipeInfo(handle, block)) return 0;
  return static_cast<int16_t>(GetLe16(&block[kPipeInfoHeaderSize + kPipeEntrySize * pipe]));
}

int32_t UsbBulkTransfer(EzUsbHandle handle, int32_t pipe, std::span<uint8_t> buffer,
                        int32_t& length) {
  CheckPipe(pipe);
  if (length < 0 || static_cast<size_t>(length) > buffer.size()) {
    throw std::out_of_range("USB bulk transfer longer than its buffer");
  }
  if (handle == kNoEzUsbHandle) return -2;
  // A block that cannot be read stays zero, which makes the transfer a write.
  std::array<uint8_t, kPipeInfoSize> block{};
  GetUsbPipeInfo(handle, block);
  const uint8_t endpoint = block[kPipeInfoHeaderSize + kPipeEntrySize * pipe + 2];
  const uint32_t code = endpoint > 0x80 ? kEzUsbBulkRead : kEzUsbBulkWrite;
  uint8_t input[4];
  PutLe32(input, static_cast<uint32_t>(pipe));
  uint32_t returned = 0;
  const bool ok = CurrentEzUsbDriver()->Request(handle, code, input, sizeof input, buffer.data(),
                                                static_cast<uint32_t>(length), returned);
  length = static_cast<int32_t>(returned);
  return ok ? 1 : 0;
}

std::string GetUsbStringDescriptor(EzUsbHandle handle, int stringIndex) {
  EzUsbDriver* driver = CurrentEzUsbDriver();
  if (driver == nullptr || handle == kNoEzUsbHandle) return "None";
  const uint8_t input[5] = {static_cast<uint8_t>(stringIndex), 0, 0, 0, 0x1B};
  uint8_t head[4] = {};
  uint32_t returned = 0;
  if (!driver->Request(handle, kEzUsbGetStringDescriptor, input, sizeof input, head, sizeof head,
                       returned)) {
    return "None";
  }
  const uint32_t total = head[0];
  std::array<uint8_t, 256> whole{};
  if (!driver->Request(handle, kEzUsbGetStringDescriptor, input, sizeof input, whole.data(), total,
                       returned)) {
    return "None";
  }
  std::string text;
  for (uint32_t i = 2; i + 1 <= total; i += 2) text += static_cast<char>(whole[i]);
  return text;
}

void ScanUsbAdapters() {
  State().usb.UsbAdapterCount = 0;
  for (UsbAdapterRecord& slot : State().usb.UsbAdapterSlots) {
    slot.DeviceName.clear();
    slot.Present = false;
  }
  std::array<uint8_t, kDeviceDescriptorBufferSize> descriptor{};
  for (int n = 0; n < 4; ++n) {
    const std::string name = "Ezusb-" + std::to_string(n);
    const EzUsbHandle handle = OpenUsbDevice(name);
    if (handle == kNoEzUsbHandle) continue;
    // Cleared per slot, and a failed request leaves the slot empty: otherwise a slot would be
    // judged by the previous slot's descriptor.
    descriptor.fill(0);
    uint32_t returned = 0;
    const bool ok = CurrentEzUsbDriver()->Request(
        handle, kEzUsbGetDeviceDescriptor, descriptor.data(), kDeviceDescriptorBufferSize,
        descriptor.data(), kDeviceDescriptorBufferSize, returned);
    if (ok) {
      const std::string type = BoardTypeOf(GetLe16(&descriptor[8]), GetLe16(&descriptor[10]));
      if (type != "None") {
        ++State().usb.UsbAdapterCount;
        UsbAdapterRecord& slot = State().usb.UsbAdapterSlots[n];
        slot.Present = true;
        slot.DeviceName = name;
        slot.BoardType = type;
        ReadBoardInfo(handle, n);
      }
    }
    CloseUsbDevice(handle);
  }
}

void ReadBoardInfo(EzUsbHandle handle, int slotIndex) {
  UsbAdapterRecord& slot = State().usb.UsbAdapterSlots.at(static_cast<size_t>(slotIndex));
  if (!slot.Present || handle == kNoEzUsbHandle) return;
  const auto fail = [&slot] {
    MsgBox("Error getting Board Info");
    slot.Present = false;
  };
  slot.Descript0 = GetUsbStringDescriptor(handle, 1);
  if (slot.Descript0 == "None") return fail();
  slot.Descript1 = GetUsbStringDescriptor(handle, 2);
  if (slot.Descript1 == "None") return fail();
  PacketBuffer buffer{};
  buffer[0] = kCmdRevision;
  if (!SendPacket(handle, buffer, 1)) return fail();
  if (!ReadAnswer(handle, buffer, 2)) return fail();
  slot.DriverRev = static_cast<float>(buffer[0]) + static_cast<float>(buffer[1]) / 10.0f;
  const int16_t packetSize = GetPipeMaxPacketSize(handle, kSpeedPipe);
  if (packetSize == 0) return fail();
  slot.Speed = packetSize <= 64 ? "1.1" : "2";
}

void FindUsbAdapter() {
  State().usb.UsbReady = false;
  State().usb.UsbPortIndex = -1;
  ScanUsbAdapters();
  if (State().usb.UsbAdapterCount == 0) {
    MsgBox("No USB Buffers Found, Please Verify Setup and Restart");
    return;
  }
  for (int n = 0; n < 4; ++n) {
    if (State().usb.UsbAdapterSlots[n].Present) {
      State().usb.CurrentUsbAdapter = State().usb.UsbAdapterSlots[n];
      State().usb.UsbReady = true;
      State().usb.UsbPortIndex = static_cast<int16_t>(n);
      return;
    }
  }
  MsgBox("No Valid USB Buffers Found, Please Verify Setup and Restart");
}

void SelectUsbAdapterSlot(int slot) {
  State().usb.CurrentUsbAdapter = State().usb.UsbAdapterSlots.at(static_cast<size_t>(slot));
  SetSpiWordDelay(State().usb.SpiWordDelay);
  SetSpiStaticBits(State().usb.SpiStaticBits);
}

void ReadSpiSetup() {
  if (!State().usb.UsbReady) return;
  // The delay is only replaced by what the board answers: clearing it first would leave 0 after
  // a failed read, and the next selection of a board would then send a 1 us delay.
  const EzUsbHandle handle = OpenUsbDevice(State().usb.CurrentUsbAdapter.DeviceName);
  PacketBuffer buffer{};
  buffer[0] = kCmdReadSetup;
  if (!SendPacket(handle, buffer, 1)) StepFailed("Error Setting up SPI");
  if (!ReadAnswer(handle, buffer, 2)) {
    StepFailed("Error Reading SPI");
    CloseUsbDevice(handle);
    return;
  }
  State().usb.SpiWordDelay = buffer[0];
  State().usb.SpiStaticBits = buffer[1] & 0x78;
  CloseUsbDevice(handle);
}

void SetSpiWordDelay(uint8_t& delay) {
  if (!State().usb.UsbReady) return;
  if (delay < 1) delay = 1;
  State().usb.SpiWordDelay = delay;
  const EzUsbHandle handle = OpenUsbDevice(State().usb.CurrentUsbAdapter.DeviceName);
  PacketBuffer buffer{};
  buffer[0] = kCmdSetWordDelay;
  buffer[1] = delay;
  if (!SendPacket(handle, buffer, 2)) StepFailed("Error Setting up SPI");
  CloseUsbDevice(handle);
}

void SetSpiStaticBits(uint8_t& bits) {
  if (!State().usb.UsbReady) return;
  const EzUsbHandle handle = OpenUsbDevice(State().usb.CurrentUsbAdapter.DeviceName);
  PacketBuffer buffer{};
  buffer[0] = kCmdSetStaticBits;
  buffer[1] = bits;  // sent as passed; only the read-back is masked
  const bool sent = SendPacket(handle, buffer, 2);
  State().usb.SpiStaticBits = bits;
  if (!sent) StepFailed("Error Setting SPI Bits");
  CloseUsbDevice(handle);
}

void UsbSpiTransfer(uint8_t& n) {
  if (n < 1 || n > kMaxSpiWords) throw std::out_of_range("SPI exchange of more than 16 words");
  if (!State().usb.UsbReady) return;
  if (State().usb.SpiChannel == 0) State().usb.SpiChannel = 1;
  if (State().usb.SpiChannel > 5) State().usb.SpiChannel = 5;
  State().usb.SpiWordCount = n;
  const int32_t packetLength = 2 * n + 3;
  const EzUsbHandle handle = OpenUsbDevice(State().usb.CurrentUsbAdapter.DeviceName);
  PacketBuffer buffer{};
  buffer[0] = State().usb.SpiInputPolarity ? kCmdExchangePos : kCmdExchangeNeg;
  buffer[1] = State().usb.SpiChannel;
  buffer[2] = n;
  for (int i = 1; i <= n; ++i) {
    buffer[2 * i + 1] = static_cast<uint8_t>((State().usb.SpiTxWords[i] >> 8) & 0xFF);
    buffer[2 * i + 2] = static_cast<uint8_t>(State().usb.SpiTxWords[i] & 0xFF);
  }
  if (!SendPacket(handle, buffer, packetLength)) {
    StepFailed("Error Writing SPI");
    CloseUsbDevice(handle);
    return;
  }
  if (!ReadAnswer(handle, buffer, 2 * n)) {
    StepFailed("Error Reading SPI");
    CloseUsbDevice(handle);
    return;
  }
  for (int i = 0; i < n; ++i)
    State().usb.SpiRxWords[i + 1] = buffer[2 * i] * 256 + buffer[2 * i + 1];
  CloseUsbDevice(handle);
}

}  // namespace kva
