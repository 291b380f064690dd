// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/window_startup.h"

#include "app/hooks.h"
#include "app/settings.h"
#include "device/bring_up.h"
#include "device/register_access.h"
#include "device/register_map.h"

namespace kva {

InterfaceBringUp BringUpInterface(const std::string& osName) {
  InterfaceBringUp result;
  if (State().settings.InterfaceType == Interface::Parallel) {
    if (osName == "WinXP" || osName == "WinNT") {
      BringUpParallelPort();
      result.checkPort = true;
    }
  } else if (State().settings.InterfaceType == Interface::Usb) {
    if (osName == "Win95") {
      MsgBox("USB not available for Windows95");
      State().settings.InterfaceType = Interface::None;
      result.hideUsb = true;
    } else {
      if (BringUpUsbAdapter()) {
        result.checkUsb = true;
      } else {
        result.showUsbSelect = true;
      }
    }
  } else {
    State().settings.InterfaceType = Interface::None;
    MsgBox("Please select an interface before taking data");
  }
  return result;
}

void ReadStartupRegisters() {
  ReadRegister(MISC_CTRL);
  ReadRegister(GPIO_CTR);
  State().control.GpioCtrlValue = State().registers.RegRawValue;
  ReadRegister(ALM_CTRL);
  State().control.AlmCtrlValue = State().registers.RegRawValue;
  ReadRegister(MISC_CTRL);
}

std::string MainWindowTitle(int majorVersion, bool simulatedBoard) {
  std::string title = "Brevant - KVA7710 Evaluation Software   Rev " + std::to_string(majorVersion);
  if (simulatedBoard) title += " [simulated board]";
  return title;
}

}  // namespace kva
