// SPDX-License-Identifier: GPL-3.0-or-later
// Adapter boards with other USB IDs, added at run time, and the udev rule that lets the user at
// the seat open the boards of every ID in use. Both programs add the IDs of the settings file,
// of the environment variable and of their --usb-id options before the first scan.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "usbspi/usb_adapter.h"

namespace kva {

inline constexpr const char* kUsbIdsVariable = "KVA7710_USB_IDS";

// "VID:PID", one to four hex digits each, blanks around allowed.
std::optional<UsbId> ParseUsbId(std::string_view text);
std::string UsbIdText(UsbId id);  // "1209:ed03", as udev and lsusb write it

// $XDG_CONFIG_HOME/kva7710/usb-ids (or ~/.config/...): IDs separated by commas or lines,
// "#" to the end of a line a comment. Empty when there is no home to look in.
std::filesystem::path UsbIdsFilePath();

// Adds to AdapterUsbIds, each once, the IDs of the settings file, of KVA7710_USB_IDS (comma
// separated) and of the options (each one ID or a comma list). Returns the message for the
// first bad ID, naming it and where it came from, and then adds none; else an empty text.
std::string AddAdapterUsbIds(const std::vector<std::string>& options);

// The udev rules file for ids, ready for /etc/udev/rules.d/60-kva7710-usbspi.rules.
std::string UdevRuleText(const std::vector<UsbId>& ids);

}  // namespace kva
