// Tests of the smoothed slot gain: the ramp values, block lengths and robustness.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/BasicDrive.h"

namespace VDSP {
namespace {

struct RampCase {
  float from;
  float to;
  int32_t n;
};

TEST(BasicDriveTest, RampReachesTheTargetAtTheLastSampleForAnyBlockLength) {
  // Short blocks take the scalar fill, 8 and more the four-lane fill, 100 exceeds the unprepared
  // 32-entry buffer.
  const RampCase cases[] = {{0.0f, 1.0f, 1},      {0.0f, 1.0f, 5},   {0.0f, 1.0f, 7},
                            {0.5f, 2.0f, 8},      {2.0f, 0.25f, 13}, {1.0f, 15.98f, 32},
                            {0.0f, 0.98363f, 100}};
  for (const RampCase& c : cases) {
    BasicDrive drive;
    drive.SetTarget(c.from);
    std::vector<float> warmL(4, 1.0f);
    std::vector<float> warmR(4, 1.0f);
    drive.Apply(warmL.data(), warmR.data(), 4, 0.25f);
    ASSERT_FLOAT_EQ(drive.CurrentGain(), c.from);

    drive.SetTarget(c.to);
    std::vector<float> left(c.n, 1.0f);
    std::vector<float> right(c.n, -2.0f);
    const float inverseN = 1.0f / static_cast<float>(c.n);
    drive.Apply(left.data(), right.data(), c.n, inverseN);
    const float current = drive.CurrentGain();
    const float step = (c.to - c.from) * inverseN;
    for (int32_t i = 0; i < c.n; ++i) {
      const float gain = c.from + static_cast<float>(i + 1) * step;
      ASSERT_EQ(left[i], gain) << "n " << c.n << " sample " << i;
      ASSERT_EQ(right[i], -2.0f * gain) << "n " << c.n << " sample " << i;
    }
    EXPECT_NEAR(current, c.to, 1e-5f * std::fmax(1.0f, c.to)) << c.n;
    EXPECT_EQ(current, left[c.n - 1]) << c.n;
  }
}

TEST(BasicDriveTest, StartsSilentAndHoldsASettledGain) {
  BasicDrive drive;
  std::vector<float> l(16, 1.0f);
  std::vector<float> r(16, 1.0f);
  drive.Apply(l.data(), r.data(), 16, 1.0f / 16.0f);
  for (float v : l) EXPECT_EQ(v, 0.0f);
  drive.SetTarget(0.5f);
  drive.Apply(l.data(), r.data(), 16, 1.0f / 16.0f);
  std::fill(l.begin(), l.end(), 1.0f);
  drive.Apply(l.data(), r.data(), 16, 1.0f / 16.0f);
  for (float v : l) EXPECT_EQ(v, 0.5f);
}

TEST(BasicDriveTest, PrepareGrowsTheRampWithoutChangingTheValues) {
  BasicDrive prepared;
  BasicDrive plain;
  prepared.Prepare(512);
  prepared.SetTarget(3.0f);
  plain.SetTarget(3.0f);
  std::vector<float> a(300, 1.0f);
  std::vector<float> b(300, 1.0f);
  prepared.Apply(a.data(), a.data() + 150, 150, 1.0f / 150.0f);
  plain.Apply(b.data(), b.data() + 150, 150, 1.0f / 150.0f);
  EXPECT_EQ(a, b);
}

TEST(BasicDriveTest, EdgeCases) {
  BasicDrive drive;
  drive.SetTarget(1.0f);
  float l = 1.0f;
  float r = 1.0f;
  drive.Apply(&l, &r, 0, 1.0f);
  EXPECT_EQ(l, 1.0f);
  EXPECT_EQ(drive.CurrentGain(), 0.0f);
  // Non-finite targets count as silence; a NaN ramp factor does not stick.
  drive.SetTarget(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(drive.TargetGain(), 0.0f);
  drive.SetTarget(2.0f);
  drive.Apply(&l, &r, 1, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(drive.CurrentGain(), 2.0f);
  drive.Reset();
  EXPECT_EQ(drive.CurrentGain(), 0.0f);
  EXPECT_EQ(drive.TargetGain(), 0.0f);
}

}  // namespace
}  // namespace VDSP
