// SPDX-License-Identifier: GPL-3.0-or-later
// A seeded coin for fault injection: splitmix64, so a seed gives the same sequence of faults
// with every compiler and standard library (the standard distributions do not promise that).
#pragma once

#include <cstdint>

namespace kva::sim {

class SeededChance {
 public:
  explicit SeededChance(uint64_t seed = 1) : seed_(seed), state_(seed) {}

  // True with the given probability; one draw per call.
  bool Draw(double probability) {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53 < probability;
  }

  // Back to the first draw of the seed.
  void Restart() { state_ = seed_; }

 private:
  uint64_t seed_;
  uint64_t state_;
};

}  // namespace kva::sim
