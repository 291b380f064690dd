// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window does to the device when it loads: bring up the configured interface,
// read the control registers that the configuration windows start from, and its title.
#pragma once

#include <cstdint>
#include <string>

#include "capture/trigger_levels.h"
#include "state/program_state.h"

namespace kva {

// What the window has to show after the interface bring-up.
struct InterfaceBringUp {
  bool checkPort = false;      // "Parallel" gets its check mark
  bool checkUsb = false;       // "Usb" gets its check mark
  bool hideUsb = false;        // "Usb" disappears for the rest of the run
  bool showUsbSelect = false;  // no adapter answered: the selection window opens, modal
};

// Brings up the interface InterfaceType names. Parallel port: on "WinXP" / "WinNT" the port
// access step and the idle line levels. USB adapter: the adapter search and its SPI set-up
// ("Win95" refuses USB). Anything else: InterfaceType 0 and a message.
InterfaceBringUp BringUpInterface(const std::string& osName);

// MISC_CTRL, then GPIO_CTR (kept in GpioCtrlValue), ALM_CTRL (kept in AlmCtrlValue) and
// MISC_CTRL again.
void ReadStartupRegisters();

// The main window's title for a major version; the simulated board is named in it so that
// nobody mistakes its readings for a real sensor's.
std::string MainWindowTitle(int majorVersion, bool simulatedBoard);

}  // namespace kva
