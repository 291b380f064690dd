// The USB-SPI adapter: finding and identifying adapter boards, their SPI settings, and the SPI
// exchange that register access runs on when InterfaceType is 2.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kva {

struct UsbAdapterRecord {
  std::string DeviceName;  // "Ezusb-0".."Ezusb-3"; empty when the slot held no adapter
  bool Present = false;
  std::string BoardType;
  std::string Descript0;
  std::string Descript1;
  float DriverRev = 0.0f;
  std::string Speed;
};

inline std::array<UsbAdapterRecord, 4> UsbAdapterSlots{};
inline int16_t UsbAdapterCount = 0;
inline UsbAdapterRecord CurrentUsbAdapter{};
inline bool UsbReady = false;
inline int16_t UsbPortIndex = 0;
inline uint8_t SpiChannel = 1;
inline uint8_t SpiStaticBits = 120;
inline uint8_t SpiWordDelay = 25;
inline bool SpiInputPolarity = true;  // true "Pos", false "Neg"
inline uint8_t SpiWordCount = 0;
inline std::array<int32_t, 17> SpiTxWords{};  // entries 1..16 used
inline std::array<int32_t, 17> SpiRxWords{};

// Sends entries 1..n of SpiTxWords and leaves the words clocked back in SpiRxWords 1..n.
// Nothing when UsbReady is false.
void UsbSpiTransfer(uint8_t& n);

}  // namespace kva
