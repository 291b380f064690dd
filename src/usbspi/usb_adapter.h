// SPDX-License-Identifier: GPL-3.0-or-later
// The USB-SPI adapter: finding and identifying adapter boards, their SPI settings, and the SPI
// exchange that register access runs on when InterfaceType is 2. Every operation opens the
// device through the EZ-USB driver seam (usbspi/ezusb_driver.h) and closes it before returning.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usbspi/ezusb_driver.h"

namespace kva {

// The IDs taken for adapters (AdapterUsbIds, starting from kDefaultAdapterUsbIds) are in
// State().usb.
bool IsAdapterUsbId(uint16_t vendorId, uint16_t productId);

// Board type of a device descriptor's IDs: "None" (not an adapter) unless they are in
// AdapterUsbIds; then "ALDER" or "BIRCH" by the product ID, and an added ID with another
// product ID is labelled by its IDs ("04B4:1004").
std::string BoardTypeOf(uint16_t vendorId, uint16_t productId);

// The adapter records and SPI settings are State().usb (UsbAdapterRecord, UsbState).

// Adapter command bytes (pipe 0 to the board, pipe 1 back).
inline constexpr uint8_t kCmdRevision = 0x00;
inline constexpr uint8_t kCmdReadSetup = 0x01;
inline constexpr uint8_t kCmdSetWordDelay = 0x0B;
inline constexpr uint8_t kCmdSetStaticBits = 0x0C;
inline constexpr uint8_t kCmdExchangePos = 0x0D;
inline constexpr uint8_t kCmdExchangeNeg = 0x0E;
inline constexpr int kMaxSpiWords = 16;
inline constexpr size_t kSpiPacketBufferSize = 41;
inline constexpr int kCommandPipe = 0;
inline constexpr int kAnswerPipe = 1;
inline constexpr int kSpeedPipe = 3;

// Opens the named device through the current driver; kNoEzUsbHandle when that fails.
EzUsbHandle OpenUsbDevice(const std::string& deviceName);
void CloseUsbDevice(EzUsbHandle handle);

bool GetUsbPipeInfo(EzUsbHandle handle, std::array<uint8_t, kPipeInfoSize>& block);

// 0 without a handle or when the pipe information cannot be read. pipe 0..16.
int16_t GetPipeMaxPacketSize(EzUsbHandle handle, int pipe);

// One bulk transfer of length bytes of buffer on the pipe, direction from the pipe's endpoint.
// Returns -2 without a handle, else 1 on success and 0 on failure; length becomes the byte
// count the driver returned. pipe 0..16 and length within buffer are programming errors
// otherwise (std::out_of_range).
int32_t UsbBulkTransfer(EzUsbHandle handle, int32_t pipe, std::span<uint8_t> buffer,
                        int32_t& length);

// The text of string descriptor index (low byte of each code unit), or "None".
std::string GetUsbStringDescriptor(EzUsbHandle handle, int stringIndex);

void ScanUsbAdapters();
void ReadBoardInfo(EzUsbHandle handle, int slot);
void FindUsbAdapter();
// Makes slot 0..3 the adapter in use, as choosing it in the selection window does: the slot is
// copied into CurrentUsbAdapter and its board gets SpiWordDelay and SpiStaticBits (sent only
// while UsbReady). UsbReady and UsbPortIndex stay as they are.
void SelectUsbAdapterSlot(int slot);
void ReadSpiSetup();
void SetSpiWordDelay(uint8_t& delay);  // a 0 is raised to 1 in the caller's variable
void SetSpiStaticBits(uint8_t& bits);

// Sends entries 1..n of SpiTxWords and leaves the words clocked back in SpiRxWords 1..n.
// Nothing when UsbReady is false. n outside 1..16 is a programming error (std::out_of_range).
void UsbSpiTransfer(uint8_t& n);

}  // namespace kva
