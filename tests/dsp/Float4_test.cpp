// Tests that the SSE2 vector type and its scalar twin agree bit for bit, with SSE2's semantics.
#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp/Float4.h"

namespace VDSP {
namespace {

uint32_t BitsOf(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Values that exercise ties, signs of zero, the int32 edges, the 2^23 boundary and non-finites.
const std::vector<float>& Samples() {
  static const std::vector<float> values = {
      0.0f,       -0.0f,         0.5f,          1.5f,           2.5f,       -0.5f,
      -1.5f,      -2.5f,         0.49999997f,   -0.4f,          1.0f,       -1.0f,
      3.7f,       -3.7f,         1e-40f,        -1e-40f,        8388607.5f, -8388607.5f,
      8388608.0f, 2147483520.0f, 2147483648.0f, -2147483648.0f, 1e30f,      -1e30f,
      kInf,       -kInf,         kNaN,          32.015625f,     -1024.49f,  0.1f};
  return values;
}

// Runs one operation over every pair of sample values, in both vector types, lane by lane.
template <class Op>
void ExpectSameBits(const char* name, Op op) {
  const std::vector<float>& s = Samples();
  for (size_t i = 0; i < s.size(); ++i) {
    for (size_t j = 0; j < s.size(); j += 4) {
      float b[4];
      for (size_t k = 0; k < 4; ++k) b[k] = s[(j + k) % s.size()];
      alignas(16) float fromSse[4];
      alignas(16) float fromScalar[4];
      op(Float4::Set1(s[i]), Float4::LoadUnaligned(b)).Store(fromSse);
      op(Float4Scalar::Set1(s[i]), Float4Scalar::LoadUnaligned(b)).Store(fromScalar);
      for (int lane = 0; lane < 4; ++lane) {
        ASSERT_EQ(BitsOf(fromSse[lane]), BitsOf(fromScalar[lane]))
            << name << "(" << s[i] << ", " << b[lane] << ")";
      }
    }
  }
}

TEST(Float4Test, ArithmeticAndLogicAgreeWithTheScalarTwin) {
  ExpectSameBits("add", [](auto a, auto b) { return a + b; });
  ExpectSameBits("sub", [](auto a, auto b) { return a - b; });
  ExpectSameBits("mul", [](auto a, auto b) { return a * b; });
  ExpectSameBits("div", [](auto a, auto b) { return a / b; });
  ExpectSameBits("neg", [](auto a, auto) { return -a; });
  ExpectSameBits("min", [](auto a, auto b) { return decltype(a)::Min(a, b); });
  ExpectSameBits("max", [](auto a, auto b) { return decltype(a)::Max(a, b); });
  ExpectSameBits("abs", [](auto a, auto) { return decltype(a)::Abs(a); });
  ExpectSameBits("round", [](auto a, auto) { return decltype(a)::Round(a); });
  ExpectSameBits("floor", [](auto a, auto) { return decltype(a)::Floor(a); });
  ExpectSameBits("lt", [](auto a, auto b) { return decltype(a)::CmpLt(a, b); });
  ExpectSameBits("le", [](auto a, auto b) { return decltype(a)::CmpLe(a, b); });
  ExpectSameBits("gt", [](auto a, auto b) { return decltype(a)::CmpGt(a, b); });
  ExpectSameBits("ge", [](auto a, auto b) { return decltype(a)::CmpGe(a, b); });
  ExpectSameBits("eq", [](auto a, auto b) { return decltype(a)::CmpEq(a, b); });
  ExpectSameBits("select", [](auto a, auto b) {
    using V = decltype(a);
    return V::Select(V::CmpLt(a, b), a * b, a - b);
  });
  ExpectSameBits("roundToInt", [](auto a, auto) {
    using V = decltype(a);
    return V::Int::ToFloat(V::RoundToInt(a));
  });
  ExpectSameBits("truncateToInt", [](auto a, auto) {
    using V = decltype(a);
    return V::Int::ToFloat(V::TruncateToInt(a));
  });
  ExpectSameBits("intArithmetic", [](auto a, auto b) {
    using V = decltype(a);
    using I = typename V::Int;
    const I sum = V::RoundToInt(a) + V::RoundToInt(b) - I::Set1(1024);  // wraps like SSE2
    return I::ToFloat(I::Clamp(sum, -5000, 5000) + I::Min(V::RoundToInt(a), V::RoundToInt(b)));
  });
}

TEST(Float4Test, RoundingUnderTheBlocksRoundDownModeAgreesToo) {
  const int previous = std::fegetround();
  ASSERT_EQ(std::fesetround(FE_DOWNWARD), 0);
  ExpectSameBits("roundToInt", [](auto a, auto) {
    using V = decltype(a);
    return V::Int::ToFloat(V::RoundToInt(a));
  });
  // volatile: the compiler must not fold the conversions under its own rounding mode.
  volatile float up = 1.7f;
  volatile float down = -1.2f;
  EXPECT_EQ(Float4::RoundToInt(Float4::Set1(up)).Lane(0), 1);
  EXPECT_EQ(Float4::RoundToInt(Float4::Set1(down)).Lane(0), -2);
  EXPECT_EQ(Float4Scalar::RoundToInt(Float4Scalar::Set1(up)).Lane(0), 1);
  std::fesetround(previous);
}

struct RoundCase {
  float x;
  int32_t nearestEven;
  float floor;
};

TEST(Float4Test, RoundsHalfToEvenAndFloorsDown) {
  const RoundCase cases[] = {
      {0.5f, 0, 0.0f},    {1.5f, 2, 1.0f},    {2.5f, 2, 2.0f},  {-0.5f, 0, -1.0f},
      {-1.5f, -2, -2.0f}, {-2.5f, -2, -3.0f}, {3.49f, 3, 3.0f}, {-3.51f, -4, -4.0f},
      {1e-40f, 0, 0.0f},  {-7.0f, -7, -7.0f},
  };
  for (const RoundCase& c : cases) {
    EXPECT_EQ(Float4::RoundToInt(Float4::Set1(c.x)).Lane(2), c.nearestEven) << c.x;
    EXPECT_EQ(Float4::Floor(Float4::Set1(c.x)).Lane(1), c.floor) << c.x;
  }
}

TEST(Float4Test, NonFiniteAndOutOfRangeConversionsGiveIntegerIndefinite) {
  for (float x : {kNaN, kInf, -kInf, 3e9f, -3e9f}) {
    EXPECT_EQ(Float4::RoundToInt(Float4::Set1(x)).Lane(0), INT32_MIN) << x;
    EXPECT_EQ(Float4Scalar::RoundToInt(Float4Scalar::Set1(x)).Lane(0), INT32_MIN) << x;
  }
  // Round and Floor pass what is already whole (or not a number) unchanged.
  EXPECT_EQ(Float4::Floor(Float4::Set1(1e30f)).Lane(0), 1e30f);
  EXPECT_TRUE(std::isnan(Float4::Floor(Float4::Set1(kNaN)).Lane(0)));
  EXPECT_EQ(Float4::Round(Float4::Set1(-kInf)).Lane(3), -kInf);
}

TEST(Float4Test, MinAndMaxReturnTheSecondOperandForNaN) {
  EXPECT_EQ(Float4::Max(Float4::Set1(kNaN), Float4::Set1(-3.0f)).Lane(0), -3.0f);
  EXPECT_EQ(Float4::Min(Float4::Set1(kNaN), Float4::Set1(2.0f)).Lane(0), 2.0f);
  EXPECT_EQ(Float4Scalar::Max(Float4Scalar::Set1(kNaN), Float4Scalar::Set1(-3.0f)).Lane(0), -3.0f);
  EXPECT_EQ(Float4Scalar::Min(Float4Scalar::Set1(kNaN), Float4Scalar::Set1(2.0f)).Lane(0), 2.0f);
}

TEST(Float4Test, LanesLoadStoreAndMasks) {
  alignas(16) const float in[4] = {1.0f, -2.0f, 3.0f, -4.0f};
  const Float4 v = Float4::Load(in);
  const Float4 s = Float4::Set(1.0f, -2.0f, 3.0f, -4.0f);
  for (int lane = 0; lane < 4; ++lane) {
    EXPECT_EQ(v.Lane(lane), in[lane]);
    EXPECT_EQ(s.Lane(lane), in[lane]);
  }
  EXPECT_EQ(Float4::MoveMask(v), 0b1010);
  EXPECT_EQ(Float4Scalar::MoveMask(Float4Scalar::Load(in)), 0b1010);
  EXPECT_EQ(Float4::MoveMask(Float4::CmpGt(v, Float4::Zero())), 0b0101);
  EXPECT_EQ(Int4::Set(1, 2, 3, 4).Lane(3), 4);
  EXPECT_EQ(Int4::Clamp(Int4::Set(-5, 0, 2047, 9000), 0, 2047).Lane(0), 0);
  EXPECT_EQ(Int4::Clamp(Int4::Set(-5, 0, 2047, 9000), 0, 2047).Lane(3), 2047);
}

TEST(Float4Test, AllFiniteFindsAnyNonFiniteLane) {
  EXPECT_TRUE(AllFinite(Float4::Set(1.0f, -1e38f, 0.0f, 1e-40f)));
  EXPECT_FALSE(AllFinite(Float4::Set(1.0f, 2.0f, kNaN, 0.0f)));
  EXPECT_FALSE(AllFinite(Float4::Set(1.0f, 2.0f, 0.0f, -kInf)));
  EXPECT_FALSE(AllFinite(Float4Scalar::Set(kInf, 2.0f, 0.0f, 0.0f)));
  EXPECT_TRUE(AllFinite(Float4Scalar::Set(1.0f, 2.0f, 0.0f, 0.0f)));
}

}  // namespace
}  // namespace VDSP
