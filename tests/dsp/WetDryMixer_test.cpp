// Tests of the wet/dry mixer: blend, output gain, dry hand-through, glides and limits.
#include "dsp/WetDryMixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace VDSP {
namespace {

constexpr float kDry = 0.3f;
constexpr float kWet = -0.7f;

// One block with constant inputs; returns the left output.
std::vector<float> Block(WetDryMixer& mixer, int n, float dry = kDry, float wet = kWet) {
  std::vector<float> dl(static_cast<size_t>(n), dry), dr(static_cast<size_t>(n), dry);
  std::vector<float> wl(static_cast<size_t>(n), wet), wr(static_cast<size_t>(n), wet);
  std::vector<float> ol(static_cast<size_t>(n), 99.0f), orr(static_cast<size_t>(n), 99.0f);
  mixer.Process(dl.data(), dr.data(), wl.data(), wr.data(), ol.data(), orr.data(), n,
                1.0f / static_cast<float>(n));
  EXPECT_EQ(ol, orr);
  return ol;
}

TEST(WetDryMixer, SteadyMixAndGain) {
  struct Case {
    float wet;
    float gainParameter;
    float expected;
  };
  const Case cases[] = {
      // Dry exactly, without the output gain.
      {0.0f, 1.0f, kDry},
      {0.0f, 0.0f, kDry},
      {1.0f, 0.7937005f, kWet},
      {1.0f, 1.0f, 2.0f * kWet},
      {0.5f, 0.7937005f, 0.5f * kWet + 0.5f * kDry},
      {0.75f, 0.5f, (0.75f * kWet + 0.25f * kDry) * 0.25f},
      // Silent while the wet amount is above 1e-6.
      {1.0f, 0.0f, 0.0f},
      {0.2f, 0.0f, 0.0f},
      // Out of range: limited to 0..1.
      {1.7f, 1.0f, 2.0f * kWet},
      {-0.4f, 0.5f, kDry},
      {1.0f, 3.0f, 2.0f * kWet},
      {1.0f, -1.0f, 0.0f},
  };
  for (const Case& c : cases) {
    WetDryMixer mixer;
    mixer.Set(c.wet, c.gainParameter);
    Block(mixer, 32);
    const std::vector<float> out = Block(mixer, 32);
    for (float v : out) EXPECT_NEAR(v, c.expected, 1e-6f) << c.wet << " " << c.gainParameter;
  }
}

TEST(WetDryMixer, ZeroWetPassesDryBitExactInPlace) {
  WetDryMixer mixer;
  mixer.Set(0.0f, 0.3f);
  std::vector<float> left = {0.1f, -0.2f, 0.123456f, 1e-20f, -3.0f};
  std::vector<float> right = {0.5f, 0.25f, -0.987654f, 0.0f, 7.0f};
  const std::vector<float> l0 = left;
  const std::vector<float> r0 = right;
  const std::vector<float> wet(5, 0.9f);
  Block(mixer, 4);  // the glide from the default wet amount down to 0
  for (int block = 0; block < 2; ++block) {
    mixer.Process(left.data(), right.data(), wet.data(), wet.data(), left.data(), right.data(), 5,
                  0.2f);
    EXPECT_EQ(left, l0);
    EXPECT_EQ(right, r0);
  }
}

TEST(WetDryMixer, WetGlidingToZeroMixesAllButTheLastSample) {
  WetDryMixer mixer;
  mixer.Set(0.5f, 0.7937005f);
  Block(mixer, 8);
  mixer.Set(0.0f, 0.7937005f);
  const std::vector<float> out = Block(mixer, 8);
  for (int i = 0; i < 7; ++i) {
    const float wet = 0.5f - 0.5f * static_cast<float>(i + 1) / 8.0f;
    EXPECT_NEAR(out[static_cast<size_t>(i)], wet * kWet + (1.0f - wet) * kDry, 1e-6f) << i;
  }
  EXPECT_EQ(out[7], kDry);
  EXPECT_EQ(mixer.WetAmount(), 0.0f);
}

TEST(WetDryMixer, GainGlidesLinearly) {
  WetDryMixer mixer;
  mixer.Set(1.0f, 0.7937005f);
  Block(mixer, 4);
  mixer.Set(1.0f, 1.0f);
  const std::vector<float> out = Block(mixer, 4, kDry, 1.0f);
  const float expected[4] = {1.25f, 1.5f, 1.75f, 2.0f};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(out[static_cast<size_t>(i)], expected[i], 1e-5f) << i;
}

TEST(WetDryMixer, NonFiniteSettingsKeepThePreviousTargets) {
  WetDryMixer mixer;
  mixer.Set(1.0f, 1.0f);
  mixer.Set(NAN, INFINITY);
  Block(mixer, 8);
  for (float v : Block(mixer, 8)) EXPECT_FLOAT_EQ(v, 2.0f * kWet);
}

TEST(WetDryMixer, EmptyBlockAndReset) {
  WetDryMixer mixer;
  mixer.Set(0.1f, 0.2f);
  float out = 5.0f;
  const float in = 1.0f;
  mixer.Process(&in, &in, &in, &in, &out, &out, 0, 0.0f);
  EXPECT_EQ(out, 5.0f);
  EXPECT_EQ(mixer.WetAmount(), 0.75f);
  mixer.Reset();
  EXPECT_EQ(mixer.WetAmount(), 0.75f);
  EXPECT_EQ(mixer.OutputGain(), 1.0f);
  for (float v : Block(mixer, 4)) EXPECT_FLOAT_EQ(v, 0.75f * kWet + 0.25f * kDry);
}

}  // namespace
}  // namespace VDSP
