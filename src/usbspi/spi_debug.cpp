// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/spi_debug.h"

#include <algorithm>
#include <stdexcept>

#include "app/number_text.h"

namespace kva {
namespace {

// Rounded after the limits are applied, so that any typed size fits the byte.
uint8_t Limited(double typed, double lo, double hi) {
  return static_cast<uint8_t>(RoundHalfEven(std::clamp(typed, lo, hi)));
}

}  // namespace

std::string StaticBitNames(uint8_t bits) {
  std::string names;
  for (int k = kFirstStaticBox; k <= kLastStaticBox; ++k) {
    if ((bits & StaticBitOfBox(k)) == 0) continue;
    if (!names.empty()) names += ' ';
    names += "CS" + std::to_string(k);
  }
  return names;
}

uint8_t SpiWordCountFor(double typed) { return Limited(typed, 1, kMaxSpiWords); }

uint8_t SpiWordDelayFor(double typed) { return Limited(typed, 1, 255); }

SlotRowTexts SlotRowTextsOf(const UsbAdapterRecord& slot, int slotIndex) {
  const std::string& speed = slot.Speed;
  return {slot.BoardType + " - " + std::to_string(slotIndex), slot.Descript0, slot.Descript1,
          FormatNumber(slot.DriverRev, "0.0"),
          IsNumber(speed) ? FormatNumber(LeadingNumber(speed), "0.0") : speed};
}

std::vector<uint16_t> ExchangeSpiWords(std::span<const uint16_t> words) {
  if (words.empty() || words.size() > static_cast<size_t>(kMaxSpiWords)) {
    throw std::out_of_range("an SPI exchange carries 1 to 16 words");
  }
  uint8_t n = static_cast<uint8_t>(words.size());
  for (uint8_t i = 1; i <= n; ++i) State().usb.SpiTxWords[i] = words[i - 1];
  UsbSpiTransfer(n);
  std::vector<uint16_t> back;
  for (uint8_t i = 1; i <= n; ++i) back.push_back(static_cast<uint16_t>(State().usb.SpiRxWords[i]));
  return back;
}

}  // namespace kva
