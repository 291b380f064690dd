// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/program_state.h"

#include <optional>

#include "app/delay.h"
#include "app/hooks.h"
#include "app/number_text.h"
#include "app/run_mode.h"
#include "app/settings.h"
#include "capture/capture_readout.h"
#include "capture/trigger_levels.h"
#include "config/register_listing.h"
#include "device/board_stimulus.h"
#include "device/port_io.h"
#include "device/register_access.h"
#include "device/register_map.h"
#include "hostsetup/port_access.h"
#include "mainwindow/os_name.h"
#include "mainwindow/window_startup.h"
#include "usbspi/ezusb_driver.h"
#include "usbspi/usb_adapter.h"

namespace kva {

void ResetProgramState() {
  ResetHooks();
  ResetSettings();
  ResetDelay();
  SetDecimalMarkOverride(std::nullopt);
  SetSimulatedBoardActive(false);
  SetProgramEnding(false);

  InitRegisterMap();
  ResetRegisterAccess();
  SetPortIo(nullptr);
  ResetPortAccess();
  SetEzUsbDriver(nullptr);
  SetBoardStimulus(nullptr);
  ResetUsbAdapter();

  ResetCapture();
  OsName.clear();
  GpioCtrlValue = 0;
  AlmCtrlValue = 0;
  AlmMag1Value = 0;
  AlmMag2Value = 0;
  SelectedRegister = 0;
}

}  // namespace kva
