// The 32-bit linear congruential generator shared by the sample-and-hold, noise and note random.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>

namespace VFoundation {

class RandomGenerator {
 public:
  // Seeds from a clock reading mixed with the process-wide last seed, so that generators seeded in
  // the same clock tick still differ. Any thread.
  void Seed(uint32_t clockReading) {
    const uint32_t seed =
        (clockReading + lastSeed_.load(std::memory_order_relaxed)) * 176314165u + 903633515u;
    lastSeed_.store(seed, std::memory_order_relaxed);
    state_ = seed;
  }
  void SetState(uint32_t state) { state_ = state; }
  uint32_t State() const { return state_; }

  // Uniform in [lo, hi): the top 23 bits of the state become the mantissa of a float in [2, 4).
  float Draw(float lo, float hi) {
    state_ = state_ * 196314163u + 907633515u;
    const uint32_t bits = (state_ >> 9) | 0x40000000u;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return ((f - 3.0f) * 0.5f + 0.5f) * (hi - lo) + lo;
  }

  static void ResetProcessSeedForTests() { lastSeed_.store(0, std::memory_order_relaxed); }

 private:
  inline static std::atomic<uint32_t> lastSeed_{0};
  uint32_t state_ = 0;
};

}  // namespace VFoundation
