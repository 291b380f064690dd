// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_ezusb_bus.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kva::sim {
namespace {

constexpr uint8_t kLanguageTable[4] = {4, 3, 0x09, 0x04};  // English (US) only

}  // namespace

SimEzUsbBus::SimEzUsbBus(SpiSlave& sensor) : sensor_(sensor) { Attach(0); }

SimEzUsbBus::Slot& SimEzUsbBus::CheckedSlot(int slot) {
  if (slot < 0 || slot >= 4) throw std::out_of_range("simulated USB slot out of range");
  return slots_[static_cast<size_t>(slot)];
}

const SimEzUsbBus::Slot& SimEzUsbBus::CheckedSlot(int slot) const {
  if (slot < 0 || slot >= 4) throw std::out_of_range("simulated USB slot out of range");
  return slots_[static_cast<size_t>(slot)];
}

void SimEzUsbBus::Attach(int slot, const SimEzUsbBoard& board) {
  Slot& s = CheckedSlot(slot);
  s.board = board;
  s.firmware = SimEzUsbFirmware();
  ++s.generation;
}

void SimEzUsbBus::Remove(int slot) {
  Slot& s = CheckedSlot(slot);
  s.board.reset();
  s.firmware = SimEzUsbFirmware();
  ++s.generation;
}

void SimEzUsbBus::RemoveAll() {
  for (int n = 0; n < 4; ++n) Remove(n);
}

bool SimEzUsbBus::HasBoard(int slot) const { return CheckedSlot(slot).board.has_value(); }

SimEzUsbBoard& SimEzUsbBus::Board(int slot) {
  Slot& s = CheckedSlot(slot);
  if (!s.board) throw std::logic_error("no simulated board in this slot");
  return *s.board;
}

SimEzUsbFirmware& SimEzUsbBus::Firmware(int slot) { return CheckedSlot(slot).firmware; }

const std::vector<std::vector<uint8_t>>& SimEzUsbBus::Packets(int slot) const {
  return CheckedSlot(slot).packets;
}

void SimEzUsbBus::ClearLog() {
  requests_.clear();
  for (Slot& s : slots_) s.packets.clear();
}

int SimEzUsbBus::OpenHandles() const {
  return static_cast<int>(
      std::count_if(handles_.begin(), handles_.end(), [](const auto& h) { return h.has_value(); }));
}

kva::EzUsbHandle SimEzUsbBus::Open(const std::string& deviceName) {
  if (deviceName.size() != 7 || deviceName.compare(0, 6, "Ezusb-") != 0) return kva::kNoEzUsbHandle;
  const int slot = deviceName[6] - '0';
  if (slot < 0 || slot > 3 || !slots_[static_cast<size_t>(slot)].board) return kva::kNoEzUsbHandle;
  ++opens_;
  const OpenHandle entry{slot, slots_[static_cast<size_t>(slot)].generation};
  // Handles are reused once closed, so a long run of open/close keeps the table small.
  for (size_t i = 0; i < handles_.size(); ++i) {
    if (!handles_[i]) {
      handles_[i] = entry;
      return static_cast<kva::EzUsbHandle>(i);
    }
  }
  handles_.push_back(entry);
  return static_cast<kva::EzUsbHandle>(handles_.size() - 1);
}

void SimEzUsbBus::Close(kva::EzUsbHandle handle) {
  if (handle >= 0 && static_cast<size_t>(handle) < handles_.size()) handles_[handle].reset();
}

SimEzUsbBus::Slot* SimEzUsbBus::SlotOf(kva::EzUsbHandle handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= handles_.size() || !handles_[handle]) {
    return nullptr;
  }
  Slot& s = slots_[static_cast<size_t>(handles_[handle]->slot)];
  if (!s.board || s.generation != handles_[handle]->generation) return nullptr;
  return &s;
}

bool SimEzUsbBus::Request(kva::EzUsbHandle handle, uint32_t code, const uint8_t* input,
                          uint32_t inputLength, uint8_t* output, uint32_t outputLength,
                          uint32_t& bytesReturned) {
  bytesReturned = 0;
  ++requestCount_;
  Slot* slot = SlotOf(handle);
  if (slot == nullptr) return false;
  if (logging_) {
    requests_.push_back({static_cast<int>(slot - slots_.data()), code,
                         std::vector<uint8_t>(input, input + inputLength), outputLength});
  }
  const SimEzUsbBoard& board = *slot->board;
  switch (code) {
    case kva::kEzUsbGetPipeInfo:
      return PipeInfo(board, inputLength, output, outputLength, bytesReturned);
    case kva::kEzUsbGetDeviceDescriptor:
      return DeviceDescriptor(board, output, outputLength, bytesReturned);
    case kva::kEzUsbGetStringDescriptor:
      return StringDescriptor(board, input, inputLength, output, outputLength, bytesReturned);
    case kva::kEzUsbBulkRead:
    case kva::kEzUsbBulkWrite: {
      if (inputLength != 4) return false;
      const uint32_t pipe = kva::GetLe32(input);
      if (pipe >= kSimBoardEndpoints.size()) return false;
      const bool in = (kSimBoardEndpoints[pipe] & 0x80) != 0;
      if (in != (code == kva::kEzUsbBulkRead)) return false;
      if (in) {
        // Only pipe 1 carries answers; a read anywhere else waits for nothing and times out.
        if (pipe != 1) return false;
        return BulkRead(*slot, output, outputLength, bytesReturned);
      }
      if (pipe == 0 && !BulkWrite(*slot, output, outputLength)) return false;
      bytesReturned = outputLength;  // pipe 2 is accepted and ignored by the firmware
      return true;
    }
    default:
      return false;
  }
}

bool SimEzUsbBus::DeviceDescriptor(const SimEzUsbBoard& board, uint8_t* output,
                                   uint32_t outputLength, uint32_t& bytesReturned) const {
  if (!board.deviceDescriptorReadable || outputLength < kva::kDeviceDescriptorSize) return false;
  uint8_t d[kva::kDeviceDescriptorSize] = {18, 1, 0, 0, 0xFF, 0xFF, 0xFF, 64, 0,
                                           0,  0, 0, 0, 0,    1,    2,    0,  1};
  kva::PutLe16(&d[2], board.usb2 ? 0x0200 : 0x0110);
  kva::PutLe16(&d[8], board.vendorId);
  kva::PutLe16(&d[10], board.productId);
  kva::PutLe16(&d[12], board.deviceRelease);
  std::memcpy(output, d, sizeof d);
  bytesReturned = sizeof d;
  return true;
}

bool SimEzUsbBus::StringDescriptor(const SimEzUsbBoard& board, const uint8_t* input,
                                   uint32_t inputLength, uint8_t* output, uint32_t outputLength,
                                   uint32_t& bytesReturned) const {
  if (inputLength < 1) return false;
  std::vector<uint8_t> descriptor;
  if (input[0] == 0) {
    descriptor.assign(std::begin(kLanguageTable), std::end(kLanguageTable));
  } else {
    const std::optional<std::string>* text = input[0] == 1   ? &board.descriptor1
                                             : input[0] == 2 ? &board.descriptor2
                                                             : nullptr;
    if (text == nullptr || !text->has_value()) return false;
    const size_t chars = std::min<size_t>((*text)->size(), 126);
    descriptor.push_back(static_cast<uint8_t>(2 + 2 * chars));
    descriptor.push_back(3);
    for (size_t i = 0; i < chars; ++i) {
      descriptor.push_back(static_cast<uint8_t>((**text)[i]));
      descriptor.push_back(0);
    }
  }
  const uint32_t count = std::min<uint32_t>(outputLength, static_cast<uint32_t>(descriptor.size()));
  std::memcpy(output, descriptor.data(), count);
  bytesReturned = count;
  return true;
}

bool SimEzUsbBus::PipeInfo(const SimEzUsbBoard& board, uint32_t inputLength, uint8_t* output,
                           uint32_t outputLength, uint32_t& bytesReturned) const {
  if (!board.pipeInfoReadable || inputLength < kva::kPipeInfoSize ||
      outputLength < kva::kPipeInfoSize) {
    return false;
  }
  std::array<kva::EzUsbPipe, kSimBoardEndpoints.size()> pipes{};
  for (size_t k = 0; k < pipes.size(); ++k) {
    pipes[k].maxPacketSize = board.usb2 ? 512 : 64;
    pipes[k].endpointAddress = kSimBoardEndpoints[k];
  }
  std::array<uint8_t, kva::kPipeInfoSize> block;
  kva::BuildPipeInfo(kva::EzUsbInterfaceInfo{}, pipes.data(), pipes.size(), block);
  std::memcpy(output, block.data(), block.size());
  bytesReturned = kva::kPipeInfoSize;
  return true;
}

bool SimEzUsbBus::BulkWrite(Slot& slot, const uint8_t* data, uint32_t length) {
  if (logging_) slot.packets.emplace_back(data, data + length);
  return RunCommand(slot, data, length);
}

bool SimEzUsbBus::BulkRead(Slot& slot, uint8_t* data, uint32_t length, uint32_t& bytesReturned) {
  std::vector<uint8_t>& answer = slot.firmware.answer;
  if (answer.empty()) return false;  // nothing to send: the read times out
  if (length < answer.size()) {      // the packet overflows the buffer: it is lost
    answer.clear();
    return false;
  }
  std::memcpy(data, answer.data(), answer.size());
  bytesReturned = static_cast<uint32_t>(answer.size());
  answer.clear();
  return true;
}

bool SimEzUsbBus::RunCommand(Slot& slot, const uint8_t* packet, uint32_t length) {
  SimEzUsbFirmware& fw = slot.firmware;
  const SimEzUsbBoard& board = *slot.board;
  if (length == 0) return false;
  switch (packet[0]) {
    case kva::kCmdRevision:
      if (length != 1) return false;
      fw.answer = {board.revisionMajor, board.revisionMinor};
      return true;
    case kva::kCmdReadSetup:
      if (length != 1) return false;
      fw.answer = {fw.wordDelay, fw.staticBits};
      return true;
    case kva::kCmdSetWordDelay:
      if (length != 2) return false;
      fw.wordDelay = packet[1];
      return true;
    case kva::kCmdSetStaticBits:
      if (length != 2) return false;
      fw.staticBits = packet[1];
      return true;
    case kva::kCmdExchangePos:
    case kva::kCmdExchangeNeg: {
      if (length < 3) return false;
      const uint8_t channel = packet[1];
      const uint32_t n = packet[2];
      if (n < 1 || n > kva::kMaxSpiWords || length != 3 + 2 * n) return false;
      SpiSlave& slave = board.channel1 != nullptr ? *board.channel1 : sensor_;
      fw.answer.resize(2 * n);
      for (uint32_t i = 0; i < n; ++i) {
        const uint16_t word = static_cast<uint16_t>(packet[3 + 2 * i] << 8 | packet[4 + 2 * i]);
        uint16_t back = channel == 1 ? slave.Transfer(word) : 0xFFFF;
        if (packet[0] == kva::kCmdExchangeNeg) back = static_cast<uint16_t>(back << 1 | 1);
        fw.answer[2 * i] = static_cast<uint8_t>(back >> 8);
        fw.answer[2 * i + 1] = static_cast<uint8_t>(back);
      }
      return true;
    }
    default:
      return false;  // unknown command: the firmware stalls the pipe
  }
}

}  // namespace kva::sim
