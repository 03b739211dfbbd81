// Tests of the power-of-two ring buffer under the comb: lengths, cubic reads, reserved capacity.
#include "dsp/VBufferPow2.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <thread>

namespace VDSP {
namespace {

TEST(VBufferPow2Test, LengthIsNextPowerOfTwo) {
  const struct {
    uint32_t asked, length;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {8820, 16384}, {9600, 16384}, {17640, 32768}};
  for (const auto& c : cases) {
    VBufferPow2 ring;
    ring.SetLength(c.asked);
    EXPECT_EQ(ring.Length(), c.length) << c.asked;
    EXPECT_EQ(ring.Mask(), c.length - 1) << c.asked;
    EXPECT_EQ(ring.LengthFloat(), static_cast<float>(c.length)) << c.asked;
  }
}

TEST(VBufferPow2Test, SameLengthKeepsContentNewLengthClears) {
  VBufferPow2 ring;
  ring.SetLength(16);
  ring[3] = 0.5f;
  ring.SetLength(12);  // still 16
  EXPECT_EQ(ring[3], 0.5f);
  ring.SetLength(17);
  EXPECT_EQ(ring.Length(), 32u);
  for (uint32_t i = 0; i < 32; ++i) EXPECT_EQ(ring[i], 0.0f);
}

TEST(VBufferPow2Test, CubicReadIsExactForCubicsAndWraps) {
  VBufferPow2 ring;
  ring.SetLength(64);
  const auto cubic = [](float x) { return 0.01f * x * x * x - 0.2f * x * x + x - 3.0f; };
  for (int i = -8; i < 16; ++i) ring[static_cast<uint32_t>(i)] = cubic(static_cast<float>(i));
  // Positions in [-6, 13) read only written samples; negative ones wrap to the top of the ring.
  for (float p : {-5.75f, -1.5f, -0.25f, 0.0f, 0.5f, 2.125f, 7.0f, 12.9f}) {
    EXPECT_NEAR(ring.Read(p), cubic(p), 2e-4f) << p;
  }
  EXPECT_EQ(ring.Read(64.0f + 3.0f), ring[3]);
}

TEST(VBufferPow2Test, NonFinitePositionsStayInside) {
  VBufferPow2 ring;
  ring.SetLength(8);
  for (uint32_t i = 0; i < 8; ++i) ring[i] = 1.0f;
  for (float p : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                  -std::numeric_limits<float>::infinity(), 3e38f, -3e38f}) {
    EXPECT_FLOAT_EQ(ring.Read(p), 1.0f) << p;
  }
}

// Changing the length within the reserved capacity keeps the storage; a fixed-capacity scope cuts
// longer lengths to the capacity instead of allocating, on its own thread only.
TEST(VBufferPow2Test, LengthWithinCapacityNeverReallocates) {
  VBufferPow2 ring;
  ring.Reserve(1000);
  EXPECT_EQ(ring.Capacity(), 1024u);
  EXPECT_EQ(ring.Length(), 0u);
  const struct {
    uint32_t asked, length;
  } cases[] = {{300, 512}, {1024, 1024}, {5, 8}, {4096, 1024}, {0, 1}, {1000, 1024}};
  VBufferPow2::FixedCapacityScope fixed;
  ASSERT_TRUE(VBufferPow2::CapacityIsFixed());
  for (const auto& c : cases) {
    ring.SetLength(c.asked);
    ring.Reserve(1u << 20);
    EXPECT_EQ(ring.Capacity(), 1024u) << c.asked;
    EXPECT_EQ(ring.Length(), c.length) << c.asked;
    EXPECT_EQ(ring.Mask(), c.length - 1) << c.asked;
    // Every index and read position lands inside the length in use.
    for (uint32_t i = 0; i < c.length; ++i) ring[i] = 1.0f;
    EXPECT_EQ(ring[c.length + 3], 1.0f);
    EXPECT_FLOAT_EQ(ring.Read(-0.5f * static_cast<float>(c.length) - 0.25f), 1.0f);
  }
}

TEST(VBufferPow2Test, FixedCapacityScopeBelongsToItsThreadAndNests) {
  EXPECT_FALSE(VBufferPow2::CapacityIsFixed());
  {
    VBufferPow2::FixedCapacityScope outer;
    {
      VBufferPow2::FixedCapacityScope inner;
      EXPECT_TRUE(VBufferPow2::CapacityIsFixed());
    }
    EXPECT_TRUE(VBufferPow2::CapacityIsFixed());
    bool otherThread = true;
    std::thread([&] { otherThread = VBufferPow2::CapacityIsFixed(); }).join();
    EXPECT_FALSE(otherThread);
  }
  EXPECT_FALSE(VBufferPow2::CapacityIsFixed());
}

// Growing the capacity keeps what the length in use holds; it never shrinks.
TEST(VBufferPow2Test, ReserveGrowsOnlyAndKeepsContent) {
  VBufferPow2 ring;
  ring.SetLength(16);
  for (uint32_t i = 0; i < 16; ++i) ring[i] = static_cast<float>(i);
  ring.Reserve(100);
  EXPECT_EQ(ring.Capacity(), 128u);
  EXPECT_EQ(ring.Length(), 16u);
  for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(ring[i], static_cast<float>(i));
  ring.Reserve(8);
  EXPECT_EQ(ring.Capacity(), 128u);
  // A new length within the capacity reads as zeros.
  ring.SetLength(64);
  for (uint32_t i = 0; i < 64; ++i) EXPECT_EQ(ring[i], 0.0f);
}

}  // namespace
}  // namespace VDSP
