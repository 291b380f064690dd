// SPDX-License-Identifier: GPL-3.0-or-later
// A driver that passes everything to another one and makes chosen requests fail, so that every
// error path of the adapter layer can be reached in a test. Faults are seeded and repeatable.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "sim/seeded_chance.h"
#include "usbspi/ezusb_driver.h"

namespace kva::sim {

class FaultyEzUsbDriver : public EzUsbDriver {
 public:
  explicit FaultyEzUsbDriver(EzUsbDriver& inner, uint64_t seed = 1);

  // Requests are numbered from 1, counting every request since construction or ClearFaults.
  void FailRequestNumber(uint64_t n) { failNumbers_.insert(n); }
  // Every request of this code fails.
  void FailCode(uint32_t code) { failCodes_.insert(code); }
  // The n-th request of this code (from 1, counted like the numbers) fails, once.
  void FailCodeOccurrence(uint32_t code, uint64_t n) { failOccurrences_.insert({code, n}); }
  // Each request fails with probability p, drawn from the seeded generator.
  void FailWithProbability(double p) { probability_ = p; }
  // Requests of this code succeed but report at most maxBytes returned (a short transfer).
  void TruncateCode(uint32_t code, uint32_t maxBytes) { truncations_[code] = maxBytes; }
  // Opens fail while set.
  void FailOpens(bool on) { failOpens_ = on; }
  // No faults any more; the counters start again.
  void ClearFaults();

  uint64_t RequestCount() const { return requests_; }
  uint64_t OpenCount() const { return opens_; }
  uint64_t InjectedFailures() const { return injected_; }

  EzUsbHandle Open(const std::string& deviceName) override;
  bool Request(EzUsbHandle handle, uint32_t code, const uint8_t* input, uint32_t inputLength,
               uint8_t* output, uint32_t outputLength, uint32_t& bytesReturned) override;
  void Close(EzUsbHandle handle) override;

 private:
  EzUsbDriver& inner_;
  SeededChance chance_;
  std::set<uint64_t> failNumbers_;
  std::set<uint32_t> failCodes_;
  std::set<std::pair<uint32_t, uint64_t>> failOccurrences_;
  std::map<uint32_t, uint64_t> codeCounts_;
  std::map<uint32_t, uint32_t> truncations_;
  double probability_ = 0.0;
  bool failOpens_ = false;
  uint64_t requests_ = 0;
  uint64_t opens_ = 0;
  uint64_t injected_ = 0;
};

}  // namespace kva::sim
