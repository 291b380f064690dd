// SPDX-License-Identifier: GPL-3.0-or-later
// Fresh program state around each test that drives register access or the USB adapter, with
// message boxes collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/hooks.h"
#include "app/settings.h"
#include "device/port_io.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "hostsetup/port_access.h"
#include "support/program_state.h"
#include "usbspi/ezusb_driver.h"
#include "usbspi/usb_adapter.h"

namespace kvatest {

class SimRig : public ProgramStateTest {
 protected:
  void SetUp() override {
    ProgramStateTest::SetUp();
    kva::SetMsgBoxHandler([this](const std::string& text, const std::string& title) {
      messages.push_back(text);
      titles.push_back(title);
    });
  }

  // Parallel-port access at the usual address (1) or the USB adapter (2).
  static void UseInterface(kva::Interface type) {
    kva::State().settings.InterfaceType = type;
    kva::State().settings.PortAddress = 0x378;
  }
  static int32_t Read(int16_t index) {
    kva::ReadRegister(index);
    return kva::State().registers.RegRawValue;
  }

  std::vector<std::string> messages;
  std::vector<std::string> titles;
};

}  // namespace kvatest
