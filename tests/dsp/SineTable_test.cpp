// Tests of the sine and arcsine wave tables (recomputed here in double precision) and their reads.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "dsp/SineTable.h"

namespace VDSP {
namespace {

double WrappedPhase(int j) {
  const double x = j / 2048.0;
  return x - std::floor(x);
}

double ExpectedSine(int j) {
  return 0.5 * std::sin(2.0 * std::numbers::pi * WrappedPhase(j));
}

double ExpectedArcsine(int j) {
  double t = WrappedPhase(j);
  if (t >= 0.75) t -= 1.0;
  if (t >= 0.25) t = 0.5 - t;
  return std::asin(4.0 * t) / std::numbers::pi;
}

const int kEntries[] = {-1024, -1023, -512, -256, -1,   0,    1,    128,  256,
                        257,   511,   512,  513,  1000, 1024, 1536, 2047, 2048,
                        2049,  2560,  3071, 3072, 3584, 4095, 4096, 4097};

TEST(SineTableTest, EntriesAreHalfASineOverTheWholeIndexRange) {
  const SineTable& s = SineTable::Get();
  // The angle is formed in single precision (fr * 6.2831855), hence a little over 1e-7.
  for (int j : kEntries) EXPECT_NEAR(s[j], ExpectedSine(j), 3e-7) << j;
  EXPECT_EQ(s[0], 0.0f);
  EXPECT_NEAR(s[512], 0.5f, 1e-7f);
  EXPECT_NEAR(s[1536], -0.5f, 1e-7f);
  EXPECT_EQ(SineTable::kSize, 5122);
}

TEST(SineTableTest, ArcsineEntriesAreTheArcsineOfATriangle) {
  const ArcsineTable& a = ArcsineTable::Get();
  for (int j : kEntries) EXPECT_NEAR(a[j], ExpectedArcsine(j), 2e-7) << j;
  // Peaks of exactly ±0.5 a quarter and three quarters into the cycle, rising through 0 at 0.
  EXPECT_NEAR(a[512], 0.5f, 1e-7f);
  EXPECT_NEAR(a[1536], -0.5f, 1e-7f);
  EXPECT_EQ(a[0], 0.0f);
  EXPECT_GT(a[1], 0.0f);
  // Steep next to the peaks: the last step before the peak is far larger than the first one.
  EXPECT_GT(a[512] - a[511], 10.0f * (a[1] - a[0]));
}

TEST(SineTableTest, TablesRepeatEveryCycle) {
  const SineTable& s = SineTable::Get();
  const ArcsineTable& a = ArcsineTable::Get();
  for (int j = -1024; j + 2048 <= 4097; j += 37) {
    EXPECT_EQ(s[j], s[j + 2048]) << j;
    EXPECT_EQ(a[j], a[j + 2048]) << j;
  }
}

TEST(SineTableTest, ReadInterpolatesBetweenNeighboursAndHoldsTheEnds) {
  const SineTable& s = SineTable::Get();
  EXPECT_FLOAT_EQ(s.Read(256.0f), s[256]);
  EXPECT_FLOAT_EQ(s.Read(256.25f), s[256] + (s[257] - s[256]) * 0.25f);
  EXPECT_FLOAT_EQ(s.Read(-3.5f), s[-4] + (s[-3] - s[-4]) * 0.5f);
  EXPECT_FLOAT_EQ(s.Read(4096.0f), s[4096]);
  EXPECT_FLOAT_EQ(s.Read(1e9f), s[4096]);
  EXPECT_FLOAT_EQ(s.Read(std::numeric_limits<float>::infinity()), s[4096]);
  EXPECT_FLOAT_EQ(s.Read(-1e9f), s[-1024]);
  EXPECT_FLOAT_EQ(s.Read(std::numeric_limits<float>::quiet_NaN()), s[-1024]);
}

}  // namespace
}  // namespace VDSP
