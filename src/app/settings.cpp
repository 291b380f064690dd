// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "app/file_writer.h"

namespace kva {
namespace {

// Splits one line into input items the way sequential-file input does: leading blanks dropped,
// an unquoted comma ends an item, a quoted item is taken without its quotes.
std::vector<std::string> InputItems(std::string_view line) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string item;
    if (line[i] == '"') {
      const size_t close = line.find('"', i + 1);
      item = std::string(line.substr(
          i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1));
      i = close == std::string_view::npos ? line.size() : close + 1;
      const size_t comma = line.find(',', i);
      i = comma == std::string_view::npos ? line.size() : comma + 1;
    } else {
      const size_t comma = line.find(',', i);
      item = std::string(
          line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i));
      i = comma == std::string_view::npos ? line.size() : comma + 1;
    }
    items.push_back(item);
  }
  return items;
}

std::optional<int16_t> ParseInt16(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  text = text.substr(b, e - b);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  long value = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  if (value < -32768 || value > 32767) return std::nullopt;
  return static_cast<int16_t>(value);
}

void ApplyItem(std::string_view item) {
  const size_t eq = item.find('=');
  // p (1-based) must be at least 2: the key is the first p - 2 characters.
  if (eq == std::string_view::npos || eq < 1) return;
  const std::string_view key = item.substr(0, eq - 1);
  const std::string_view valueText = eq + 2 <= item.size() ? item.substr(eq + 2) : "";
  const auto value = ParseInt16(valueText);
  if (!value) return;
  if (key == "Interface") {
    State().settings.InterfaceType = static_cast<Interface>(*value);
  } else if (key == "Port Address") {
    State().settings.PortAddress = *value;
  } else if (key == "Factory") {
    State().settings.FactoryMode = *value;
  }
}

}  // namespace

std::string NumberPrintForm(long value) {
  std::string text = value < 0 ? "" : " ";
  text += std::to_string(value);
  text += ' ';
  return text;
}

void LoadCommSettings() { LoadCommSettings(kSettingsFileName); }

void LoadCommSettings(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  // Lines end in CR LF, LF or a lone CR, whichever editor wrote the file last.
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream pieces(line);
    for (std::string piece; std::getline(pieces, piece, '\r');) {
      for (const std::string& item : InputItems(piece)) ApplyItem(item);
    }
  }
}

bool SaveCommSettings() { return SaveCommSettings(kSettingsFileName); }

bool SaveCommSettings(const std::string& path) {
  const std::string text =
      "Interface = " + NumberPrintForm(static_cast<int16_t>(State().settings.InterfaceType)) +
      "\r\n" + "Port Address = " + NumberPrintForm(State().settings.PortAddress) + "\r\n" +
      "Factory = " + NumberPrintForm(State().settings.FactoryMode) + "\r\n";
  return ReplaceFile(path, text) == 0;
}

}  // namespace kva
