// The linear congruential generator: seeding formula, draws and their range.
#include "support/Random.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace VFoundation {
namespace {

constexpr uint64_t kMask32 = 0xFFFFFFFFull;

// The reference arithmetic in 64 bits, reduced modulo 2^32 by hand.
uint32_t ExpectedSeed(uint64_t clockReading, uint64_t lastSeed) {
  return static_cast<uint32_t>(
      (((clockReading + lastSeed) & kMask32) * 176314165ull + 903633515ull) & kMask32);
}

uint32_t ExpectedNext(uint64_t state) {
  return static_cast<uint32_t>((state * 196314163ull + 907633515ull) & kMask32);
}

// The top 23 bits of the state as a fraction of 2^23: exactly the generator's value in [0, 1).
double ExpectedUnit(uint32_t state) {
  return static_cast<double>(state >> 9) / 8388608.0;
}

TEST(RandomGenerator, SeedsChainThroughTheProcessWideLastSeed) {
  RandomGenerator::ResetProcessSeedForTests();
  RandomGenerator first, second;
  first.Seed(100);
  const uint32_t firstSeed = ExpectedSeed(100, 0);
  EXPECT_EQ(first.State(), firstSeed);
  // The same clock reading gives a different seed the second time.
  second.Seed(100);
  EXPECT_EQ(second.State(), ExpectedSeed(100, firstSeed));
  EXPECT_NE(second.State(), first.State());

  RandomGenerator::ResetProcessSeedForTests();
  RandomGenerator wrapped;
  wrapped.Seed(0xFFFFFFF0u);
  EXPECT_EQ(wrapped.State(), ExpectedSeed(0xFFFFFFF0u, 0));
}

TEST(RandomGenerator, DrawsFollowTheRecurrence) {
  struct Case {
    uint32_t start;
    float lo, hi;
  };
  const Case cases[] = {
      {0, 0.0f, 1.0f}, {12345, -1.0f, 1.0f}, {0xFFFFFFFFu, 0.0f, 1.0f}, {987654321u, -1.0f, 1.0f}};
  for (const Case& c : cases) {
    RandomGenerator generator;
    generator.SetState(c.start);
    uint32_t state = c.start;
    for (int i = 0; i < 1000; ++i) {
      state = ExpectedNext(state);
      const double expected = ExpectedUnit(state) * (c.hi - c.lo) + c.lo;
      ASSERT_EQ(generator.Draw(c.lo, c.hi), static_cast<float>(expected)) << c.start << " " << i;
      ASSERT_EQ(generator.State(), state);
    }
  }
}

TEST(RandomGenerator, FirstDrawsFromZeroAreKnownNumbers) {
  RandomGenerator generator;
  generator.SetState(0);
  // 907633515 = 0x3619636B; its top 23 bits are 0x1B0CB1 = 1772721.
  EXPECT_EQ(generator.Draw(0.0f, 1.0f), 1772721.0f / 8388608.0f);
  EXPECT_EQ(generator.State(), 907633515u);
}

TEST(RandomGenerator, DrawsStayInsideTheRange) {
  RandomGenerator generator;
  generator.SetState(42);
  float lowest = 1e9f, highest = -1e9f;
  for (int i = 0; i < 200000; ++i) {
    const float value = generator.Draw(-3.0f, 5.0f);
    ASSERT_GE(value, -3.0f);
    ASSERT_LT(value, 5.0f);
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  // A uniform generator covers the range, not a corner of it.
  EXPECT_LT(lowest, -2.99f);
  EXPECT_GT(highest, 4.99f);
}

}  // namespace
}  // namespace VFoundation
