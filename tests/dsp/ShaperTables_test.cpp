// Tests of the shaper tables' entries (recomputed here in double precision) and of ShaperLookup.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

#include "dsp/Float4.h"
#include "dsp/ShaperTables.h"

namespace VDSP {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Reference diode current: V ln(1 + I / Is) + R I = target, five Newton steps from 1 pA with the
// 0.1 % stop rule (the tables hold the result of exactly this iteration, not the exact root).
double DiodeCurrent(double v, double is, double r, double target) {
  double amps = 1e-12;
  for (int step = 0; step < 5; ++step) {
    const double f = v * std::log1p(amps / is) + r * amps - target;
    const double slope = v / (amps + is) + r;
    double next = amps - f / slope;
    if (next < 0.0) next = 0.0;
    const double change = std::fabs(next - amps);
    amps = next;
    if (change < 0.001 * amps) break;
  }
  return amps;
}

double InputOf(int entry) {
  return (entry - 1024) / 32.0;
}

double ExpectedTanh33(double x) {
  return 3.3 * std::tanh(x * 0.3030303);
}

double ExpectedDiodeKnee(double x) {
  if (x > 0.0) return 2000.0 * DiodeCurrent(0.05, 5.09e-9, 1500.0, x / 2.0);
  return -2000.0 * DiodeCurrent(0.049, 3.07e-9, 1500.0, -x / 2.0);
}

double ExpectedAsymTanh(double x) {
  const double q1 = 1.0901081;
  const double q2 = 0.9098919;
  return 1.0 / (std::exp(-2.0 * x) * q2 + q1) - 1.0 / (std::exp(2.0 * x) * q1 + q2);
}

double ExpectedDiodeClip(double x) {
  const double u = x * 0.7281553;
  const double d = u >= 0.0 ? u - 4077.67 * DiodeCurrent(0.05, 5.09e-9, 4077.67, u)
                            : u + 4077.67 * DiodeCurrent(0.049, 3.07e-9, 4077.67, -u);
  return d * 1.3733333;
}

struct TableCase {
  const char* name;
  const ShaperTable& (ShaperTables::*table)() const;
  double (*expected)(double x);
  double tolerance;  // relative to max(|expected|, 1)
};

double ExpectedAsymTanh33(double x) {
  return 3.3 * ExpectedAsymTanh(x * 0.3030303);
}
double ExpectedAsymTanh33x32(double x) {
  return 32.0 * ExpectedAsymTanh33(x);
}

const TableCase kTables[] = {
    {"Tanh33", &ShaperTables::Tanh33, ExpectedTanh33, 1e-6},
    {"DiodeKnee", &ShaperTables::DiodeKnee, ExpectedDiodeKnee, 2e-5},
    {"AsymTanh", &ShaperTables::AsymTanh, ExpectedAsymTanh, 1e-6},
    {"AsymTanh33", &ShaperTables::AsymTanh33, ExpectedAsymTanh33, 1e-6},
    {"AsymTanh33x32", &ShaperTables::AsymTanh33x32, ExpectedAsymTanh33x32, 1e-6},
    {"DiodeClip", &ShaperTables::DiodeClip, ExpectedDiodeClip, 2e-5},
};

TEST(ShaperTablesTest, EntriesMatchTheirEquationsAtChosenPoints) {
  const int entries[] = {0,    1,    100,  512,  960,  992,  1000, 1016, 1023, 1024,
                         1025, 1030, 1040, 1056, 1088, 1152, 1536, 2000, 2047, 2048};
  const ShaperTables& tables = ShaperTables::Get();
  for (const TableCase& c : kTables) {
    const ShaperTable& t = (tables.*c.table)();
    for (int i : entries) {
      const double expected = c.expected(InputOf(i));
      EXPECT_NEAR(t[i], expected, c.tolerance * std::fmax(std::fabs(expected), 1.0))
          << c.name << "[" << i << "]";
    }
  }
}

TEST(ShaperTablesTest, EveryCurveRisesMonotonically) {
  const ShaperTables& tables = ShaperTables::Get();
  for (const TableCase& c : kTables) {
    const ShaperTable& t = (tables.*c.table)();
    for (int i = 1; i < kShaperTableSize; ++i) ASSERT_GE(t[i], t[i - 1]) << c.name << " at " << i;
  }
}

TEST(ShaperTablesTest, CircuitLimitsAndSmallSignalGains) {
  const ShaperTables& t = ShaperTables::Get();
  EXPECT_NEAR(t.Tanh33()[2048], 3.3f, 1e-5f);
  EXPECT_NEAR(t.Tanh33()[0], -3.3f, 1e-5f);
  EXPECT_NEAR(t.AsymTanh()[2048], 0.9173f, 1e-4f);
  EXPECT_NEAR(t.AsymTanh()[0], -1.0990f, 1e-4f);
  // The character filter's output stays below 3.03 upward and 3.63 downward.
  EXPECT_LT(t.AsymTanh33()[2048], 3.03f);
  EXPECT_GT(t.AsymTanh33()[0], -3.63f);
  // Unity gain for small signals where the curves are meant to be transparent.
  EXPECT_NEAR(t.DiodeClip()[1025] * 32.0f, 1.0f, 1e-3f);
  EXPECT_NEAR(t.Tanh33()[1025] * 32.0f, 1.0f, 1e-3f);
  EXPECT_EQ(t.Tanh33()[1024], 0.0f);
  EXPECT_EQ(t.AsymTanh33x32()[1500], 32.0f * t.AsymTanh33()[1500]);
  // The knee barely conducts below about 1 and takes over above it.
  EXPECT_LT(std::fabs(t.DiodeKnee()[1024 + 16]), 0.01f);
  EXPECT_GT(t.DiodeKnee()[1024 + 64], 0.5f);
}

// ShaperLookup's value computed here from the table entries with the stated rule.
double Interpolated(const ShaperTable& t, double x) {
  const double units = 32.0 * x;
  const double k = std::nearbyint(units);
  int i = static_cast<int>(k) + 1024;
  i = i < 0 ? 0 : (i > 2047 ? 2047 : i);
  return t[i] + (static_cast<double>(t[i + 1]) - t[i]) * (units - k);
}

TEST(ShaperLookupTest, InterpolatesOnTheSegmentToTheRightOfTheNearestEntry) {
  const ShaperTable& t = ShaperTables::Get().DiodeKnee();
  // Exact entries, quarter steps either side (a negative fraction still uses i..i+1), ties.
  const float inputs[] = {0.0f,       1.0f,      -1.0f,  1.0078125f, 0.9921875f, -0.9921875f,
                          0.015625f,  0.046875f, 2.3f,   -5.17f,     31.9f,      -31.9f,
                          31.984375f, 32.0f,     -32.0f, 32.01f,     -32.01f};
  for (float x : inputs) {
    EXPECT_NEAR(ShaperLookup(t, x), Interpolated(t, x), 1e-5) << x;
  }
  // At an entry the value is the entry itself.
  EXPECT_EQ(ShaperLookup(t, 1.0f), t[1056]);
  // A negative fraction extrapolates the right-hand segment.
  const double left = t[1056] - (static_cast<double>(t[1057]) - t[1056]) * 0.25;
  EXPECT_NEAR(ShaperLookup(t, (32.0f - 0.25f) / 32.0f), left, 1e-6);
}

TEST(ShaperLookupTest, InputsBeyondTheTableReadItsLastSegmentAndNaNReadsTheBottom) {
  const ShaperTable& t = ShaperTables::Get().DiodeKnee();
  const float top = t[2047];
  const float topSlope = t[2048] - t[2047];
  const float bottom = t[0];
  const float bottomSlope = t[1] - t[0];
  const float aboveInputs[] = {
      32.0f, 40.0f, 40.01f, 1000.3f, 1e6f, 3e7f, 1e30f, std::numeric_limits<float>::max(), kInf};
  for (float x : aboveInputs) {
    const float y = ShaperLookup(t, x);
    EXPECT_GE(y, top - 0.5f * topSlope - 1e-6f) << x;
    EXPECT_LE(y, top + 0.5f * topSlope + 1e-6f) << x;
  }
  for (float x : {-32.0f, -40.0f, -40.01f, -1e6f, -1e30f, -kInf, kNaN}) {
    const float y = ShaperLookup(t, x);
    EXPECT_GE(y, bottom - 0.5f * bottomSlope - 1e-6f) << x;
    EXPECT_LE(y, bottom + 0.5f * bottomSlope + 1e-6f) << x;
  }
  EXPECT_EQ(ShaperLookup(t, kNaN), bottom);
  EXPECT_EQ(ShaperLookup(t, kInf), top);
  EXPECT_EQ(ShaperLookup(t, -kInf), bottom);
}

// Inputs for the vector-against-scalar comparisons: ordinary, edges, huge and non-finite.
std::vector<float> LookupInputs() {
  std::vector<float> inputs = {0.0f, -0.0f, 0.015625f, -0.015625f, 31.99f, 32.0f, 32.5f, -32.5f,
                               1e9f, -1e9f, 2.1e9f,    -2.1e9f,    1e38f,  kInf,  -kInf, kNaN};
  for (int i = -2100; i <= 2100; i += 7) inputs.push_back(static_cast<float>(i) * 0.01618f);
  return inputs;
}

TEST(ShaperLookupTest, VectorLanesEqualTheScalarLookupBitForBit) {
  const std::vector<float> inputs = LookupInputs();
  const ShaperTables& tables = ShaperTables::Get();
  for (const TableCase& c : kTables) {
    const ShaperTable& t = (tables.*c.table)();
    for (size_t i = 0; i + 3 < inputs.size(); ++i) {
      const Float4 x = Float4::Set(inputs[i], inputs[i + 1], inputs[i + 2], inputs[i + 3]);
      const Float4Scalar xs =
          Float4Scalar::Set(inputs[i], inputs[i + 1], inputs[i + 2], inputs[i + 3]);
      const Float4 y = ShaperLookup(t, x);
      const Float4Scalar ys = ShaperLookup(t, xs);
      for (int lane = 0; lane < 4; ++lane) {
        const float scalar = ShaperLookup(t, inputs[i + lane]);
        ASSERT_TRUE(y.Lane(lane) == scalar) << c.name << " x = " << inputs[i + lane];
        ASSERT_TRUE(ys.Lane(lane) == scalar) << c.name << " x = " << inputs[i + lane];
      }
    }
  }
}

TEST(ShaperLookupTest, UnscaledVariantTakesItsIndexFromTheValueItself) {
  const ShaperTables& t = ShaperTables::Get();
  for (float v : {0.0f, 1.3f, -17.6f, 250.25f, -1023.5f, 1024.0f, 5000.0f, -5000.0f, kNaN}) {
    const float direct = ShaperLookupUnscaled(t.AsymTanh33x32(), v);
    EXPECT_EQ(direct, 32.0f * ShaperLookup(t.AsymTanh33(), v / 32.0f)) << v;
    EXPECT_EQ(ShaperLookupUnscaled(t.AsymTanh33x32(), Float4::Set1(v)).Lane(1), direct) << v;
  }
}

TEST(ShaperLookupTest, RoundDownModeStillReadsInsideTheTableWithAFractionBelowOne) {
  const int previous = std::fegetround();
  ASSERT_EQ(std::fesetround(FE_DOWNWARD), 0);
  const ShaperTable& t = ShaperTables::Get().Tanh33();
  for (float x : LookupInputs()) {
    volatile float input = x;
    const float y = ShaperLookup(t, Float4::Set1(input)).Lane(0);
    ASSERT_TRUE(std::isfinite(y)) << x;
    ASSERT_LE(std::fabs(y), 3.3001f) << x;
    ASSERT_EQ(y, ShaperLookup(t, Float4Scalar::Set1(input)).Lane(0)) << x;
  }
  std::fesetround(previous);
}

}  // namespace
}  // namespace VDSP
