// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb backend through the real libusb, against adapter boards emulated under the
// umockdev preload; without it the test skips. Its failures are staged with a pretend library.
#include <gtest/gtest.h>

#ifdef KVA_HAVE_LIBUSB
#include <string>
#include <vector>

#include "support/usb_emulated_board.h"

namespace kva {
namespace {

using kvatest::EmulatedAdapter;
using Texts = std::vector<std::string>;

// What each board says of itself, and the exchanges, through the real library.
TEST_F(EmulatedAdapter, SearchFindsBoardsInPortOrderAndReadsRegisters) {
  sim::SimEzUsbBoard second;
  second.descriptor2 = "SECOND";
  second.usb2 = false;
  boards_->Plug(1, second);
  FindUsbAdapter();
  EXPECT_EQ(State().usb.UsbPortIndex, 0);  // the only board is the first device
  boards_->Plug(0);
  FindUsbAdapter();
  ASSERT_TRUE(State().usb.UsbReady);
  ASSERT_EQ(State().usb.UsbAdapterCount, 2);
  const auto& slots = State().usb.UsbAdapterSlots;
  EXPECT_EQ((Texts{slots[0].Descript0, slots[0].Descript1, slots[0].Speed, slots[1].Descript1,
                   slots[1].Speed, std::to_string(slots[0].DriverRev)}),
            (Texts{"KVA7710 USB-SPI Adapter", "SIMULATED", "2", "SECOND", "1.1", "2.300000"}));

  // Set-up read and written through the firmware, then a register exchange.
  uint8_t delay = 40;
  SetSpiWordDelay(delay);
  State().usb.SpiWordDelay = 0;
  ReadSpiSetup();
  boards_->SetWord(static_cast<uint8_t>(State().registers.RegisterMap[ZACCL_OUT].BaseAddr), 0x8013);
  EXPECT_EQ(std::make_pair(int(State().usb.SpiWordDelay), Read(ZACCL_OUT)),
            std::make_pair(40, 0x13));
  EXPECT_EQ(messages, Texts{});
}

}  // namespace
}  // namespace kva

#else
TEST(EmulatedAdapter, NeedsLibusb) { GTEST_SKIP() << "built without libusb"; }
#endif  // KVA_HAVE_LIBUSB
