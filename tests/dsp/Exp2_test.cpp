// Tests of the cubic 2^x approximation and the slot gain law built on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "dsp/Exp2.h"

namespace VDSP {
namespace {

TEST(Exp2PolyTest, WholeExponentsAreExactWithinTwoTenthsOfAMillionth) {
  for (int k = -20; k <= 20; ++k) {
    const double exact = std::exp2(k);
    EXPECT_NEAR(Exp2Poly(static_cast<float>(k)) / exact, 1.0, 2e-7) << "x = " << k;
  }
}

struct Exp2Point {
  float x;
  double expected;
  double relativeTolerance;
};

TEST(Exp2PolyTest, KnownValues) {
  const Exp2Point points[] = {
      {-2.0f, 0.25, 2e-7},                 // LFO free rate at value 0 (12 * 0 - 2)
      {4.0f, 16.0, 2e-7},                  // LFO rate value 0.5
      {10.0f, 1024.0, 2e-7},               // LFO rate value 1
      {0.25f, std::exp2(0.25), 1.1e-3},    // inside a segment the cubic is close
      {-7.75f, std::exp2(-7.75), 1.1e-3},  // negative, not whole: floor, not truncation
      {0.4999f, std::exp2(0.4999), 4e-3},  // just below k + 0.5: the worst case, low
      {0.5f, std::exp2(0.5), 1e-4},        // and close again at the next segment's start
  };
  for (const Exp2Point& p : points) {
    EXPECT_NEAR(Exp2Poly(p.x) / p.expected, 1.0, p.relativeTolerance) << "x = " << p.x;
  }
}

TEST(Exp2PolyTest, NeverMoreThanFourTenthsOfAPercentLowAndNeverHigh) {
  for (int i = -100000; i <= 100000; ++i) {
    const float x = static_cast<float>(i) * 1e-4f;
    const double ratio = Exp2Poly(x) / std::exp2(static_cast<double>(x));
    ASSERT_GT(ratio, 1.0 - 0.004) << "x = " << x;
    ASSERT_LT(ratio, 1.0 + 1e-4) << "x = " << x;
  }
}

TEST(Exp2PolyTest, JustBelowHalfIsTheLowestPointOfEachOctave) {
  for (int k = -8; k <= 8; ++k) {
    const float below = static_cast<float>(k) + 0.4999f;
    const double ratio = Exp2Poly(below) / std::exp2(static_cast<double>(below));
    EXPECT_LT(ratio, 0.997) << "k = " << k;
  }
}

struct GainPoint {
  float control;  // the slot's normalised gain
  float expected;
};

TEST(FastExp2Test, SlotGainLaw) {
  const GainPoint points[] = {
      {0.0f, 0.0f},              // true silence
      {0.6f, 0.98363f},          // unity-ish default
      {1.0f, 15.98363f},         // +24 dB
      {0.5f, 0.5f - 0.016368f},  // 2^-1 minus the offset
  };
  for (const GainPoint& p : points) {
    EXPECT_NEAR(FastExp2(p.control * 10.0f - 6.0f), p.expected, 2e-5f) << p.control;
  }
}

TEST(FastExp2Test, ClampedToPlusMinusTenOctavesAndNeverNegative) {
  EXPECT_FLOAT_EQ(FastExp2(20.0f), FastExp2(10.0f));
  EXPECT_NEAR(FastExp2(10.0f), 1024.0f - 0.016367754f, 1e-3f);
  EXPECT_EQ(FastExp2(-10.0f), 0.0f);
  EXPECT_EQ(FastExp2(-1e30f), 0.0f);
  EXPECT_EQ(FastExp2(NAN), 0.0f);
  for (float x = -10.0f; x <= 10.0f; x += 0.01f) ASSERT_GE(FastExp2(x), 0.0f);
}

// The compressor's gain elements need libm's accuracy whichever rounding mode the block runs in.
TEST(Exp2PreciseTest, WithinTwoMillionthsOfLibmInBothRoundingModes) {
  const int previous = std::fegetround();
  for (const int mode : {FE_TONEAREST, FE_DOWNWARD}) {
    std::fesetround(mode);
    double worst = 0.0;
    for (float x = -40.0f; x <= 40.0f; x += 0.0137f) {
      const double exact = std::exp2(static_cast<double>(x));
      worst = std::max(worst, std::fabs(Exp2Precise(x) - exact) / exact);
    }
    EXPECT_LT(worst, 2e-6) << "rounding mode " << mode;
  }
  std::fesetround(previous);
  EXPECT_EQ(Exp2Precise(0.0f), 1.0f);
  volatile float notANumber = std::nanf("");  // a run-time NaN, as the audio path sees one
  EXPECT_EQ(Exp2Precise(notANumber), Exp2Precise(-126.0f));
  EXPECT_TRUE(std::isfinite(Exp2Precise(1e30f)));
}

}  // namespace
}  // namespace VDSP
