#pragma once
// The scripts' pseudo-random generator: a 32-bit linear congruential sequence, seed =
// seed * 22695477 + 1, whose values are bits 16..30 of the new seed. Titles and recorded input
// files depend on this exact sequence, so it must not be replaced by a library generator.

#include <cstdint>

namespace corvid {

class RandomGenerator {
 public:
  static constexpr int32_t kMaxValue = 32767;

  explicit RandomGenerator(uint32_t seed = 0) : seed_(seed) {}

  // Start-up seeds with the current time in seconds (headless runs with --seed).
  void seedRandom(uint32_t seconds) { seed_ = seconds; }

  // Advances the sequence; 0..32767.
  int32_t randomValue();

  uint32_t seed() const { return seed_; }

 private:
  uint32_t seed_;
};

}  // namespace corvid
