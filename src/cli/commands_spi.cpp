// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/commands_spi.h"

#include <CLI/CLI.hpp>
#include <cctype>

#include "app/number_text.h"
#include "app/settings.h"
#include "cli/ctl_error.h"
#include "cli/json_values.h"
#include "cli/session.h"
#include "usbspi/spi_debug.h"
#include "usbspi/usb_adapter.h"

namespace kva::ctl {
namespace {

// One to maxDigits hex digits, else a usage error: what, then "not" and the text.
int32_t ParseHex(const std::string& text, size_t maxDigits, const std::string& what) {
  bool hex = !text.empty() && text.size() <= maxDigits;
  for (char c : text) hex = hex && std::isxdigit(static_cast<unsigned char>(c)) != 0;
  if (!hex) throw CommandError(kExitUsage, what + ", not " + text);
  return HexTextToValue(text);
}

// The adapter, brought up: these commands have no meaning on the parallel port.
void EnsureAdapter(Session& session, const std::string& name) {
  if (State().settings.InterfaceType == Interface::Parallel) {
    throw CommandError(kExitUsage, name + " works on the USB adapter only (--interface usb)");
  }
  session.EnsureDevice();
}

void SetDelay(const std::optional<int>& delayUs) {
  if (!delayUs) return;
  uint8_t delay = static_cast<uint8_t>(*delayUs);
  SetSpiWordDelay(delay);
}

void Spi(Session& session, const SpiRequest& r, std::ostream& out) {
  std::vector<uint16_t> words;
  for (const auto& text : r.words)
    words.push_back(static_cast<uint16_t>(ParseHex(text, 4, "a WORD is one to four hex digits")));
  EnsureAdapter(session, "spi");
  SetDelay(r.delayUs);
  // Channel and polarity hold for this exchange only: register access after it, in a batch,
  // goes on with its own.
  const bool polarity = State().usb.SpiInputPolarity;
  State().usb.SpiChannel = static_cast<uint8_t>(r.channel);
  State().usb.SpiInputPolarity = r.polarity == "pos";
  const std::vector<uint16_t> back = ExchangeSpiWords(words);
  State().usb.SpiInputPolarity = polarity;
  State().usb.SpiChannel = 1;
  session.CheckTransport();
  if (session.json()) {
    JsonWriter json;
    json.BeginObject().Key("words").BeginArray();
    for (uint16_t word : back)
      json.BeginObject().Field("hex", Hex4(word)).Field("raw", word).EndObject();
    PrintJson(json.EndArray().EndObject(), out);
    return;
  }
  std::string line;
  for (uint16_t word : back) line += (line.empty() ? "" : " ") + Hex4(word);
  out << line << "\n";
}

void SpiSetup(Session& session, const SpiRequest& r, std::ostream& out) {
  std::optional<uint8_t> bits;
  if (r.bits) {
    const std::string what = "--bits takes the sum of CS2 08, CS3 10, CS4 20 and CS5 40";
    const int32_t value = ParseHex(*r.bits, 2, what);
    if ((value & ~kStaticBitsMask) != 0) throw CommandError(kExitUsage, what + ", not " + *r.bits);
    bits = static_cast<uint8_t>(value);
  }
  EnsureAdapter(session, "spi-setup");
  if (bits) SetSpiStaticBits(*bits);
  SetDelay(r.delayUs);
  ReadSpiSetup();
  session.CheckTransport();
  const std::string hexBits = Hex4(State().usb.SpiStaticBits).substr(2);
  if (session.json()) {
    JsonWriter json;
    json.BeginObject()
        .Key("static_bits")
        .BeginObject()
        .Field("hex", hexBits)
        .Field("raw", State().usb.SpiStaticBits)
        .Field("names", StaticBitNames(State().usb.SpiStaticBits))
        .EndObject()
        .Key("word_delay")
        .BeginObject()
        .Field("value", State().usb.SpiWordDelay)
        .Unit("us")
        .EndObject()
        .EndObject();
    PrintJson(json, out);
    return;
  }
  out << "static bits\t" << hexBits << "\t" << StaticBitNames(State().usb.SpiStaticBits) << "\n"
      << "word delay\t" << static_cast<int>(State().usb.SpiWordDelay) << "\n";
}

// One line per slot: SLOT, DEVICE, TYPE, DESCRIPTOR0, DESCRIPTOR1, REV, SPEED and "in use" for
// the board the session talks to. A slot without a board shows "empty"; a board whose
// information could not be read shows its type and "no board information".
void ListAdapters(Session& session, std::ostream& out) {
  session.PrepareAdapterScan();
  ScanUsbAdapters();
  const int inUse = session.AdapterInUse();
  JsonWriter json;
  json.BeginObject().Key("slots").BeginArray();
  std::string text;
  for (int n = 0; n < 4; ++n) {
    const UsbAdapterRecord& slot = State().usb.UsbAdapterSlots[n];
    const std::string device = "Ezusb-" + std::to_string(n);
    const bool found = !slot.DeviceName.empty();
    json.BeginObject().Field("slot", n).Field("device", device).Field("found", found);
    text += std::to_string(n) + "\t" + device;
    if (!found) {
      json.EndObject();
      text += "\tempty\n";
      continue;
    }
    json.Field("board_type", slot.BoardType).Field("present", slot.Present);
    text += "\t" + slot.BoardType;
    if (!slot.Present) {
      json.EndObject();
      text += "\tno board information\n";
      continue;
    }
    const SlotRowTexts row = SlotRowTextsOf(slot, n);
    json.Field("descriptor0", slot.Descript0)
        .Field("descriptor1", slot.Descript1)
        .Field("revision", slot.DriverRev)
        .Field("speed", slot.Speed)
        .Field("in_use", n == inUse)
        .EndObject();
    text += "\t" + row.descript0 + "\t" + row.descript1 + "\t" + row.rev + "\t" + row.speed +
            (n == inUse ? "\tin use" : "") + "\n";
  }
  out << (session.json() ? json.EndArray().EndObject().Document() : text);
}

}  // namespace

void AddSpiCommands(CLI::App& app, std::string& name, SpiRequest& r) {
  auto* spi = app.add_subcommand(
      "spi", "Exchange raw 16-bit words over the USB adapter; prints the words clocked back");
  spi->callback([&name] { name = "spi"; });
  spi->add_option("WORD", r.words, "1 to 16 words, hex")->required()->expected(1, kMaxSpiWords);
  spi->add_option("--channel", r.channel, "Chip-select channel 1..4 (default 1)")
      ->check(CLI::Range(1, 4));
  spi->add_option("--polarity", r.polarity, "Data input polarity pos or neg (default pos)")
      ->check(CLI::IsMember({"pos", "neg"}));
  spi->add_option("--delay", r.delayUs, "First set the delay between words, 1..255 us")
      ->check(CLI::Range(1, 255));

  auto* setup = app.add_subcommand(
      "spi-setup", "Set and show the USB adapter's static chip-select bits and word delay");
  setup->callback([&name] { name = "spi-setup"; });
  setup->add_option("--bits", r.bits,
                    "Static chip-select bits, hex: CS2 08, CS3 10, CS4 20, CS5 40");
  setup->add_option("--delay", r.delayUs, "Delay between words, 1..255 us")
      ->check(CLI::Range(1, 255));

  auto* list = app.add_subcommand(
      "list-adapters",
      "Scan the four USB adapter slots: SLOT<TAB>DEVICE<TAB>TYPE<TAB>DESCRIPTOR0<TAB>"
      "DESCRIPTOR1<TAB>REV<TAB>SPEED, \"in use\" after the board this run uses; \"empty\" for "
      "a slot without a board");
  list->callback([&name] { name = "list-adapters"; });
}

bool RunSpiCommand(Session& session, const std::string& name, const SpiRequest& r,
                   std::ostream& out) {
  if (name == "spi") {
    Spi(session, r, out);
  } else if (name == "spi-setup") {
    SpiSetup(session, r, out);
  } else if (name == "list-adapters") {
    ListAdapters(session, out);
  } else {
    return false;
  }
  return true;
}

}  // namespace kva::ctl
