// SPDX-License-Identifier: GPL-3.0-or-later
// A bus trace of the parallel-port SPI lines, for looking at what went over the cable with any
// logic-analyser tool. Wraps the installed PortIo and writes a value change dump (VCD) with
// the wires cs, clk, mosi and miso, decoded from the levels: chip select, clock and the
// inverted data out from every data-register write, the inverted data in from every status
// read (the only moments the program sees it; between reads miso keeps its last level).
// Until the first write the lines are taken as idle (data register 0).
//
// Times are in nanoseconds from MonotonicSeconds(), counted from Open(); a change never gets
// the time of the one before it (it moves 1 ns on when the clock did not advance), so every
// edge stays distinct even with a coarse or fake clock.
#pragma once

#include <cstdint>
#include <string>

#include "app/file_writer.h"
#include "device/port_io.h"

namespace kva {

class PortTrace : public PortIo {
 public:
  // base: the port's data register; its status register is base + 1.
  explicit PortTrace(PortIo& inner, uint16_t base = 0x378);
  ~PortTrace() override;
  PortTrace(const PortTrace&) = delete;
  PortTrace& operator=(const PortTrace&) = delete;

  // Starts a trace file. It replaces a file of that name only when Close has written it whole
  // (the file writer's rules); until then the old file stays as it was. A file that cannot be
  // created gives a message naming it and the reason, and false; the port works on untraced.
  bool Open(const std::string& path);
  // Ends the trace. False, with a message naming the file and the reason, when not everything
  // could be written; then nothing at the path has changed.
  bool Close();
  bool IsOpen() const { return file_.IsOpen(); }

  void Out(uint16_t port, uint8_t value) override;
  uint8_t In(uint16_t port) override;

 private:
  enum Wire { kCs, kClk, kMosi, kMiso, kWires };
  void Change(const bool (&levels)[kWires]);

  PortIo& inner_;
  uint16_t base_;
  OutputFile file_;
  std::string path_;
  double origin_ = 0.0;
  int64_t lastTime_ = 0;
  bool level_[kWires] = {};
};

}  // namespace kva
