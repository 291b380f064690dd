// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ezusb_faults.h"

namespace kva::sim {

FaultyEzUsbDriver::FaultyEzUsbDriver(EzUsbDriver& inner, uint64_t seed)
    : inner_(inner), chance_(seed) {}

void FaultyEzUsbDriver::ClearFaults() {
  failNumbers_.clear();
  failCodes_.clear();
  failOccurrences_.clear();
  codeCounts_.clear();
  truncations_.clear();
  probability_ = 0.0;
  failOpens_ = false;
  requests_ = 0;
  opens_ = 0;
  injected_ = 0;
  chance_.Restart();
}

EzUsbHandle FaultyEzUsbDriver::Open(const std::string& deviceName) {
  ++opens_;
  if (failOpens_) {
    ++injected_;
    return kNoEzUsbHandle;
  }
  return inner_.Open(deviceName);
}

bool FaultyEzUsbDriver::Request(EzUsbHandle handle, uint32_t code, const uint8_t* input,
                                uint32_t inputLength, uint8_t* output, uint32_t outputLength,
                                uint32_t& bytesReturned) {
  const uint64_t number = ++requests_;
  const uint64_t occurrence = ++codeCounts_[code];
  bool fail = failNumbers_.count(number) != 0 || failCodes_.count(code) != 0 ||
              failOccurrences_.count({code, occurrence}) != 0;
  // Drawn for every request, so that one request's outcome does not depend on other faults.
  if (probability_ > 0.0) {
    const bool draw = chance_.Draw(probability_);
    fail = fail || draw;
  }
  if (fail) {
    ++injected_;
    bytesReturned = 0;
    return false;
  }
  const bool ok =
      inner_.Request(handle, code, input, inputLength, output, outputLength, bytesReturned);
  const auto truncation = truncations_.find(code);
  if (ok && truncation != truncations_.end() && bytesReturned > truncation->second) {
    ++injected_;
    bytesReturned = truncation->second;
  }
  return ok;
}

void FaultyEzUsbDriver::Close(EzUsbHandle handle) { inner_.Close(handle); }

}  // namespace kva::sim
