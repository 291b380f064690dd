// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbspi/adapter_ids.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/user_folders.h"

namespace kva {
namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::optional<uint16_t> HexField(std::string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return static_cast<uint16_t>(value);
}

// The IDs of a comma list into ids; the message for the first bad one (an empty item too).
std::string ParseList(std::string_view list, const std::string& where, std::vector<UsbId>& ids) {
  for (size_t start = 0;;) {
    const size_t comma = std::min(list.find(',', start), list.size());
    const std::string_view item = Trimmed(list.substr(start, comma - start));
    const std::optional<UsbId> id = ParseUsbId(item);
    if (!id) {
      return "bad USB ID \"" + std::string(item) + "\" in " + where +
             ": give the vendor and product ID in hex, as VID:PID (for example 1209:ed03)";
    }
    ids.push_back(*id);
    if (comma == list.size()) return {};
    start = comma + 1;
  }
}

}  // namespace

std::optional<UsbId> ParseUsbId(std::string_view text) {
  text = Trimmed(text);
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto vendor = HexField(text.substr(0, colon));
  const auto product = HexField(text.substr(colon + 1));
  if (!vendor || !product) return std::nullopt;
  return UsbId{*vendor, *product};
}

std::string UsbIdText(UsbId id) {
  char text[10];
  std::snprintf(text, sizeof text, "%04x:%04x", id.vendor, id.product);
  return text;
}

std::filesystem::path UsbIdsFilePath() {
  const std::filesystem::path folder = UserFolder("XDG_CONFIG_HOME", ".config");
  return folder.empty() ? folder : folder / "usb-ids";
}

std::string AddAdapterUsbIds(const std::vector<std::string>& options) {
  std::vector<UsbId> added;
  const std::filesystem::path file = UsbIdsFilePath();
  if (std::ifstream in{file}; !file.empty() && in) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      const std::string_view ids = Trimmed(std::string_view(line).substr(0, line.find('#')));
      if (ids.empty()) continue;
      const std::string where = file.string() + " line " + std::to_string(number);
      if (std::string error = ParseList(ids, where, added); !error.empty()) return error;
    }
  }
  if (const char* variable = std::getenv(kUsbIdsVariable); variable != nullptr && *variable) {
    if (std::string error = ParseList(variable, kUsbIdsVariable, added); !error.empty()) {
      return error;
    }
  }
  for (const std::string& option : options) {
    if (std::string error = ParseList(option, "--usb-id", added); !error.empty()) return error;
  }
  for (const UsbId id : added) {
    if (!IsAdapterUsbId(id.vendor, id.product)) State().usb.AdapterUsbIds.push_back(id);
  }
  return {};
}

std::string UdevRuleText(const std::vector<UsbId>& ids) {
  std::ostringstream text;
  text
      << "# KVA7710 USB-SPI adapter boards: give the user at the seat read/write access, so the\n"
         "# evaluation program and kva7710ctl can open the boards without root.\n"
         "# Made by `kva7710ctl udev-rule`, which prints the rule for the IDs in use (with those\n"
         "# added by --usb-id, KVA7710_USB_IDS or ~/.config/kva7710/usb-ids). Install:\n"
         "#   kva7710ctl udev-rule | sudo tee /etc/udev/rules.d/60-kva7710-usbspi.rules\n"
         "#   sudo udevadm control --reload-rules && sudo udevadm trigger\n"
         "# then plug the board in again. A file of that name in /etc/udev/rules.d replaces the\n"
         "# packaged one; the name sorts before 73-seat-late.rules, which applies the \"uaccess\"\n"
         "# tag.\n";
  for (const UsbId id : ids) {
    const std::string hex = UsbIdText(id);
    text << "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\""
         << hex.substr(0, 4) << "\", ATTR{idProduct}==\"" << hex.substr(5)
         << "\", TAG+=\"uaccess\"\n";
  }
  return text.str();
}

}  // namespace kva
