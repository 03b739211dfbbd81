// Tests of the slot pan: gain law, glide, limits.
#include "dsp/Pan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace VDSP {
namespace {

struct Gains {
  float left;
  float right;
};

// Gains once the glide has arrived: the second block after setting the target.
Gains SteadyGains(Pan& pan, float target) {
  pan.SetTarget(target);
  std::vector<float> l(16, 1.0f);
  std::vector<float> r(16, 1.0f);
  pan.Process(l.data(), r.data(), 16);
  std::fill(l.begin(), l.end(), 1.0f);
  std::fill(r.begin(), r.end(), 1.0f);
  pan.Process(l.data(), r.data(), 16);
  for (size_t i = 1; i < l.size(); ++i) {
    EXPECT_EQ(l[i], l[0]);
    EXPECT_EQ(r[i], r[0]);
  }
  return {l[0], r[0]};
}

TEST(Pan, GainLaw) {
  struct Case {
    float position;
    float left;
    float right;
  };
  const Case cases[] = {
      {0.0f, 1.0f, 0.0f},
      {0.25f, 1.0f, 0.5f},
      {0.5f, 1.0f, 1.0f},
      {0.75f, 0.5f, 1.0f},
      {1.0f, 0.0f, 1.0f},
      // Out of range: limited to the ends rather than flipping a channel's polarity.
      {-1.0f, 1.0f, 0.0f},
      {2.5f, 0.0f, 1.0f},
  };
  for (const Case& c : cases) {
    Pan pan;
    const Gains g = SteadyGains(pan, c.position);
    EXPECT_FLOAT_EQ(g.left, c.left) << c.position;
    EXPECT_FLOAT_EQ(g.right, c.right) << c.position;
  }
}

TEST(Pan, NonFiniteTargetKeepsThePreviousOne) {
  for (float bad : {NAN, INFINITY, -INFINITY}) {
    Pan pan;
    SteadyGains(pan, 0.25f);
    const Gains g = SteadyGains(pan, bad);
    EXPECT_FLOAT_EQ(g.left, 1.0f);
    EXPECT_FLOAT_EQ(g.right, 0.5f);
  }
}

TEST(Pan, GlidesLinearlyAcrossTheBlock) {
  Pan pan;
  pan.SetTarget(0.0f);
  float l[4] = {1, 1, 1, 1};
  float r[4] = {1, 1, 1, 1};
  pan.Process(l, r, 4);
  const float expectedRight[4] = {0.75f, 0.5f, 0.25f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(l[i], 1.0f);
    EXPECT_FLOAT_EQ(r[i], expectedRight[i]) << i;
  }
  EXPECT_EQ(pan.Position(), 0.0f);
}

TEST(Pan, SingleSampleStepsReachTheTargetAtOnce) {
  // The filter slot's FM path: n = 1 with factor 1.0.
  Pan pan;
  pan.SetTarget(1.0f);
  float l = 0.8f;
  float r = 0.8f;
  pan.Process(&l, &r, 1, 1.0f);
  EXPECT_EQ(l, 0.0f);
  EXPECT_EQ(r, 0.8f);
}

TEST(Pan, EmptyBlockAndReset) {
  Pan pan;
  pan.SetTarget(1.0f);
  float l = 0.3f;
  float r = 0.3f;
  pan.Process(&l, &r, 0);
  EXPECT_EQ(l, 0.3f);
  EXPECT_EQ(pan.Position(), 0.5f);
  pan.Reset();
  EXPECT_EQ(pan.Position(), 0.5f);
  EXPECT_EQ(pan.TargetPosition(), 0.5f);
  pan.Process(&l, &r, 1);
  EXPECT_EQ(l, 0.3f);
  EXPECT_EQ(r, 0.3f);
}

}  // namespace
}  // namespace VDSP
