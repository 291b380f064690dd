// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/port_trace.h"

#include <cmath>
#include <cstring>

#include "app/hooks.h"

namespace kva {
namespace {

constexpr char kIds[] = {'c', 'k', 'o', 'i'};  // VCD identifiers of cs, clk, mosi, miso
constexpr const char* kNames[] = {"cs", "clk", "mosi", "miso"};

}  // namespace

PortTrace::PortTrace(PortIo& inner, uint16_t base) : inner_(inner), base_(base) {}

PortTrace::~PortTrace() { Close(); }

bool PortTrace::Open(const std::string& path) {
  Close();
  if (const int err = file_.Open(path)) {
    MsgBox("The bus trace " + path + " cannot be written: " + std::strerror(err) + ".");
    return false;
  }
  path_ = path;
  origin_ = MonotonicSeconds();
  lastTime_ = 0;
  // Idle lines: data register 0, so data out (inverted) is 1.
  level_[kCs] = false;
  level_[kClk] = false;
  level_[kMosi] = true;
  level_[kMiso] = false;

  std::string head =
      "$version KVA7710 evaluation program, parallel port SPI trace $end\n"
      "$timescale 1ns $end\n"
      "$scope module lpt $end\n";
  for (int w = 0; w < kWires; ++w) {
    head += std::string("$var wire 1 ") + kIds[w] + ' ' + kNames[w] + " $end\n";
  }
  head += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
  for (int w = 0; w < kWires; ++w) head += std::string(1, level_[w] ? '1' : '0') + kIds[w] + '\n';
  head += "$end\n";
  file_.Write(head);
  return true;
}

bool PortTrace::Close() {
  if (!file_.IsOpen()) return true;
  if (const int err = file_.Commit()) {
    MsgBox("The bus trace " + path_ + " could not be written completely: " + std::strerror(err) +
           ".");
    return false;
  }
  return true;
}

void PortTrace::Change(const bool (&levels)[kWires]) {
  bool any = false;
  for (int w = 0; w < kWires; ++w) any |= levels[w] != level_[w];
  if (!any) return;
  const int64_t now = std::llround((MonotonicSeconds() - origin_) * 1e9);
  lastTime_ = now > lastTime_ ? now : lastTime_ + 1;
  std::string entry = '#' + std::to_string(lastTime_) + '\n';
  for (int w = 0; w < kWires; ++w) {
    if (levels[w] == level_[w]) continue;
    level_[w] = levels[w];
    entry += levels[w] ? '1' : '0';
    entry += kIds[w];
    entry += '\n';
  }
  file_.Write(entry);
}

void PortTrace::Out(uint16_t port, uint8_t value) {
  inner_.Out(port, value);
  if (!file_.IsOpen() || port != base_) return;
  const bool levels[kWires] = {(value & 1) != 0, (value & 2) != 0, (value & 4) == 0, level_[kMiso]};
  Change(levels);
}

uint8_t PortTrace::In(uint16_t port) {
  const uint8_t value = inner_.In(port);
  if (file_.IsOpen() && port == static_cast<uint16_t>(base_ + 1)) {
    const bool levels[kWires] = {level_[kCs], level_[kClk], level_[kMosi], (value & 0x40) == 0};
    Change(levels);
  }
  return value;
}

}  // namespace kva
