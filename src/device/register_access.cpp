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
  if (State().settings.InterfaceType == Interface::Usb) {
    State().usb.SpiTxWords[1] = frame1;
    State().usb.SpiTxWords[2] = frame2;
    State().usb.SpiChannel = 1;
    uint8_t n = 2;
    UsbSpiTransfer(n);
  } else if (State().settings.InterfaceType == Interface::Parallel) {
    LptWriteFrame(frame1);
    LptWriteFrame(frame2);
  }
}

int32_t SpiReadWord(int16_t& address) {
  State().registers.LptReadAccumulator = 0;
  address = static_cast<int16_t>(address & 0x7F);
  if (State().settings.InterfaceType == Interface::Usb) {
    State().usb.SpiTxWords[1] = address * 256;
    State().usb.SpiTxWords[2] = 0;
    State().usb.SpiChannel = 1;
    uint8_t n = 2;
    UsbSpiTransfer(n);
    // An adapter that is not ready (or just failed) exchanged nothing: what SpiRxWords still
    // holds belongs to an earlier read, possibly of another register, so the read gives 0 as
    // with no transport at all.
    State().registers.SpiReadResult =
        State().usb.UsbReady ? (State().usb.SpiRxWords[2] & 0xFFFF) : 0;
    return State().registers.SpiReadResult;
  }
  if (State().settings.InterfaceType == Interface::Parallel) return LptReadWord(address);
  return 0;
}

int32_t DecodeRegisterWord(int16_t index, int32_t raw) {
  const RegisterRow& row = State().registers.RegisterMap[index];
  if (row.TwosCompl == kTrue) {
    const int32_t p = static_cast<int32_t>(RoundHalfEven(std::pow(2.0, row.ReadLen - 1)));
    return (raw & (p - 1)) - (raw & p);
  }
  const int64_t mask = RoundHalfEven(std::pow(2.0, row.ReadLen)) - 1;
  return static_cast<int32_t>(raw & mask);
}

void ReadRegister(int16_t index) {
  const RegisterRow& row =
      State().registers.RegisterMap[index];  // throws outside 0..60, before any frame
  if (row.ReadFlag == 0) {
    State().registers.RegScaledValue = 0.0f;
    State().registers.RegRawValue = 0;
    return;
  }
  int16_t address = static_cast<int16_t>(row.BaseAddr);
  const int32_t raw = SpiReadWord(address);
  State().registers.RegHighByte = static_cast<int16_t>(raw / 256);
  State().registers.RegLowByte = static_cast<int16_t>(raw & 255);
  if (row.NDflag == kTrue) State().registers.RegNDBit = raw & -32768;
  if (row.ECflag == kTrue) State().registers.RegEABit = raw & 0x4000;
  State().registers.RegRawValue = DecodeRegisterWord(index, raw);
  State().registers.RegScaledValue =
      static_cast<float>(static_cast<double>(static_cast<float>(State().registers.RegRawValue)) *
                             static_cast<double>(row.RegScale) +
                         static_cast<double>(row.RegOffset));
  WaitDelay(0.1);
}

void WriteRegister(int16_t index, int32_t value) {
  const RegisterRow& row =
      State().registers.RegisterMap[index];  // throws outside 0..60, before any frame
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

}  // namespace kva
