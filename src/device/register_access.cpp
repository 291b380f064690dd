// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/register_access.h"

#include <cmath>

#include "app/delay.h"
#include "app/number_text.h"
#include "app/settings.h"
#include "device/lpt_transport.h"
#include "device/register_map.h"
#include "usbspi/usb_adapter.h"

namespace kva {

void SpiWriteFrames(int16_t& address1, int16_t& data1, int16_t& address2, int16_t& data2) {
  address1 = static_cast<int16_t>(address1 & 0x7F);
  data1 = static_cast<int16_t>(data1 & 0xFF);
  address2 = static_cast<int16_t>(address2 & 0x7F);
  data2 = static_cast<int16_t>(data2 & 0xFF);
  const int32_t frame1 = 0x8000 + address1 * 256 + data1;
  const int32_t frame2 = 0x8000 + address2 * 256 + data2;
  if (InterfaceType == 2) {
    SpiTxWords[1] = frame1;
    SpiTxWords[2] = frame2;
    SpiChannel = 1;
    uint8_t n = 2;
    UsbSpiTransfer(n);
  } else if (InterfaceType == 1) {
    LptWriteFrame(frame1);
    LptWriteFrame(frame2);
  }
}

int32_t SpiReadWord(int16_t& address) {
  LptReadAccumulator = 0;
  address = static_cast<int16_t>(address & 0x7F);
  if (InterfaceType == 2) {
    SpiTxWords[1] = address * 256;
    SpiTxWords[2] = 0;
    SpiChannel = 1;
    uint8_t n = 2;
    UsbSpiTransfer(n);
    // An adapter that is not ready (or just failed) exchanged nothing: what SpiRxWords still
    // holds belongs to an earlier read, possibly of another register, so the read gives 0 as
    // with no transport at all.
    SpiReadResult = UsbReady ? (SpiRxWords[2] & 0xFFFF) : 0;
    return SpiReadResult;
  }
  if (InterfaceType == 1) return LptReadWord(address);
  return 0;
}

int32_t DecodeRegisterWord(int16_t index, int32_t raw) {
  const RegisterRow& row = RegisterMap[index];
  if (row.TwosCompl == kTrue) {
    const int32_t p = static_cast<int32_t>(RoundHalfEven(std::pow(2.0, row.ReadLen - 1)));
    return (raw & (p - 1)) - (raw & p);
  }
  const int64_t mask = RoundHalfEven(std::pow(2.0, row.ReadLen)) - 1;
  return static_cast<int32_t>(raw & mask);
}

void ReadRegister(int16_t index) {
  const RegisterRow& row = RegisterMap[index];  // throws outside 0..60, before any frame
  if (row.ReadFlag == 0) {
    RegScaledValue = 0.0f;
    RegRawValue = 0;
    return;
  }
  int16_t address = static_cast<int16_t>(row.BaseAddr);
  const int32_t raw = SpiReadWord(address);
  RegHighByte = static_cast<int16_t>(raw / 256);
  RegLowByte = static_cast<int16_t>(raw & 255);
  if (row.NDflag == kTrue) RegNDBit = raw & -32768;
  if (row.ECflag == kTrue) RegEABit = raw & 0x4000;
  RegRawValue = DecodeRegisterWord(index, raw);
  RegScaledValue = static_cast<float>(static_cast<double>(static_cast<float>(RegRawValue)) *
                                          static_cast<double>(row.RegScale) +
                                      static_cast<double>(row.RegOffset));
  WaitDelay(0.1);
}

void WriteRegister(int16_t index, int32_t value) {
  const RegisterRow& row = RegisterMap[index];  // throws outside 0..60, before any frame
  int16_t a = static_cast<int16_t>(row.BaseAddr);
  int16_t a1 = static_cast<int16_t>(a + 1);
  int16_t hi = static_cast<int16_t>((value >> 8) & 0xFF);
  int16_t lo = static_cast<int16_t>(value & 0xFF);
  if (index == CAPT_PNTR) {
    SpiWriteFrames(a, lo, a1, hi);
  } else {
    SpiWriteFrames(a1, hi, a, lo);
  }
  WaitDelay(0.1);
}

void ResetRegisterAccess() {
  RegRawValue = 0;
  RegScaledValue = 0.0f;
  RegHighByte = 0;
  RegLowByte = 0;
  RegNDBit = 0;
  RegEABit = 0;
  SpiReadResult = 0;
  LptReadAccumulator = 0;
}

}  // namespace kva
