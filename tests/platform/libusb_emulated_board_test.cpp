// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb backend through the real libusb, against adapter boards emulated under the
// umockdev preload; without it every test skips.
#include <gtest/gtest.h>

#ifdef KVA_HAVE_LIBUSB
#include <mutex>
#include <string>
#include <vector>

#include "mainwindow/output_pass.h"
#include "support/usb_emulated_board.h"

namespace kva {
namespace {

using kvatest::EmulatedAdapter;
using Texts = std::vector<std::string>;

TEST_F(EmulatedAdapter, SearchFindsBoardsInPortOrderAndReadsRegisters) {
  sim::SimEzUsbBoard second;
  second.descriptor2 = "SECOND";
  second.usb2 = false;
  boards_->Plug(1, second);
  FindUsbAdapter();
  EXPECT_EQ(messages, Texts{});
  ASSERT_TRUE(State().usb.UsbReady);
  EXPECT_EQ(State().usb.UsbPortIndex, 0);  // the only board is the first device
  EXPECT_EQ((Texts{State().usb.CurrentUsbAdapter.Descript0, State().usb.CurrentUsbAdapter.Descript1,
                   State().usb.CurrentUsbAdapter.Speed}),
            (Texts{"KVA7710 USB-SPI Adapter", "SECOND", "1.1"}));

  boards_->Plug(0);
  FindUsbAdapter();
  ASSERT_EQ(State().usb.UsbAdapterCount, 2);
  EXPECT_EQ((Texts{State().usb.UsbAdapterSlots[0].Descript1, State().usb.UsbAdapterSlots[0].Speed,
                   State().usb.UsbAdapterSlots[1].Descript1, State().usb.UsbAdapterSlots[1].Speed}),
            (Texts{"SIMULATED", "2", "SECOND", "1.1"}));
  EXPECT_EQ(State().usb.UsbAdapterSlots[0].DriverRev, 2.3f);

  // Set-up read and written through the firmware, then a register exchange.
  ReadSpiSetup();
  EXPECT_EQ(State().usb.SpiWordDelay, 10);
  uint8_t delay = 40;
  SetSpiWordDelay(delay);
  ReadSpiSetup();
  EXPECT_EQ(State().usb.SpiWordDelay, 40);
  SetWord(ZACCL_OUT, 0x8013);
  EXPECT_EQ(Read(ZACCL_OUT), 0x13);
  EXPECT_EQ(messages, Texts{});
}

// The main window's loop runs output passes; the board is pulled out half-way through one.
TEST_F(EmulatedAdapter, UnplugDuringReadLoopGivesOneMessageAndNoStaleValue) {
  boards_->Plug(0);
  FindUsbAdapter();
  ASSERT_TRUE(State().usb.UsbReady);
  SetWord(XACCL_OUT, 0x0014);
  SetWord(ZACCL_OUT, 0x0013);
  const OutputPassResult before = ReadOutputPass();
  EXPECT_EQ(OutputValueText(before.samples[ZACCL_OUT]), "0.977");

  std::vector<OutputPassResult> passes;
  for (int pass = 0; pass < 3; ++pass) {
    passes.push_back(ReadOutputPass([&](int n, float) {
      if (pass == 0 && n == XACCL_OUT) boards_->Unplug(0);
    }));
  }
  EXPECT_EQ(messages, Texts{"Error Writing SPI"});
  EXPECT_FALSE(State().usb.UsbReady);
  EXPECT_EQ(driver_->HeldDevices(), 0);
  EXPECT_EQ(OutputValueText(passes[0].samples[XACCL_OUT]), "1.028") << "read before the unplug";
  for (const OutputPassResult& p : passes) EXPECT_EQ(p.samples[ZACCL_OUT], 0.0f);

  // Plugged in again: a new search finds it and reads go on.
  messages.clear();
  boards_->Plug(0);
  FindUsbAdapter();
  EXPECT_EQ(messages, Texts{});
  ASSERT_TRUE(State().usb.UsbReady);
  EXPECT_EQ(OutputValueText(ReadOutputPass().samples[ZACCL_OUT]), "0.977");
}

}  // namespace
}  // namespace kva

#else
TEST(EmulatedAdapter, NeedsLibusb) { GTEST_SKIP() << "built without libusb"; }
#endif  // KVA_HAVE_LIBUSB
