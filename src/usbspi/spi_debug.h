// SPDX-License-Identifier: GPL-3.0-or-later
// What the USB SPI debug panel does to the adapter, without the window, so that kva7710ctl
// does exactly the same: the chip-select bit of each static-bit box, the limits of a typed word
// count and word delay, the texts of a slot's row, and one raw exchange of up to 16 words.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usbspi/usb_adapter.h"

namespace kva {

inline constexpr const char* kSelectBufferMessage = "Please Select a Buffer first";

// Static-bit boxes 2..5 are CS2..CS5; box k holds bit 2^(k + 1) of SpiStaticBits.
inline constexpr int kFirstStaticBox = 2;
inline constexpr int kLastStaticBox = 5;
inline constexpr uint8_t StaticBitOfBox(int k) { return static_cast<uint8_t>(1u << (k + 1)); }
inline constexpr uint8_t kStaticBitsMask = 0x78;

// "CS2 CS3 CS4 CS5" for 0x78, "CS3" for 0x10, "" for none.
std::string StaticBitNames(uint8_t bits);

// A typed word count (rounded) limited to 1..16, and a typed word delay (rounded) to 1..255.
uint8_t SpiWordCountFor(double typed);
uint8_t SpiWordDelayFor(double typed);

// The texts a slot list shows for a slot: the device column ("ALDER - 2" for an ALDER board
// in slot 2), the two descriptors, and revision and speed with one decimal.
struct SlotRowTexts {
  std::string device, descript0, descript1, rev, speed;
};
SlotRowTexts SlotRowTextsOf(const UsbAdapterRecord& slot, int slotIndex);

// One raw exchange on the selected adapter with the current SpiChannel and SpiInputPolarity:
// the words (1..16; more is a programming error, std::out_of_range) go into SpiTxWords and
// out in one packet. Returns the words SpiRxWords then holds, which after a failed exchange are
// those of the last good one.
std::vector<uint16_t> ExchangeSpiWords(std::span<const uint16_t> words);

}  // namespace kva
