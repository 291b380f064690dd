// SPDX-License-Identifier: GPL-3.0-or-later
// kva7710ctl's raw SPI commands on the USB adapter, the debug panel's operations without the
// window: "spi" exchanges up to 16 words and prints the words clocked back; "spi-setup" sets
// and shows the adapter's static chip-select bits and word delay; "list-adapters" shows what
// the board in each of the four adapter slots reports, as the selection window does.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kva::ctl {

class Session;

struct SpiRequest {
  std::vector<std::string> words;  // spi: hex words
  int channel = 1;
  std::string polarity = "pos";
  std::optional<int> delayUs;       // spi, spi-setup
  std::optional<std::string> bits;  // spi-setup: hex
};

// Adds "spi", "spi-setup" and "list-adapters"; a parsed one sets name.
void AddSpiCommands(CLI::App& app, std::string& name, SpiRequest& request);

// Runs the named command when it is one of these; false otherwise.
bool RunSpiCommand(Session& session, const std::string& name, const SpiRequest& request,
                   std::ostream& out);

}  // namespace kva::ctl
