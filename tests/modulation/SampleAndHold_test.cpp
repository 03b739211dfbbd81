// Sample-and-hold: period, held and glided values, input sampling, reset and bad input.
#include "modulation/SampleAndHold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "kit/Blocks.h"

namespace {

constexpr float kRate = 44100.0f;

SampleAndHold MakeSampleAndHold(float hz, float slew) {
  SampleAndHold sh;
  sh.SetSampleRate(kRate, kRate, 1);
  sh.Update(hz, slew);
  sh.Reset();
  return sh;
}

// Renders in 32-sample sub-blocks, as the engine does; input may be empty.
std::vector<float> RenderSh(SampleAndHold& sh, const std::vector<float>& input, int32_t samples) {
  std::vector<float> out(static_cast<std::size_t>(samples));
  TestKit::ForEachBlock(out.size(), 32, [&](size_t at, int32_t n, float) {
    sh.Render(input.empty() ? nullptr : input.data() + at, out.data() + at, n);
  });
  return out;
}

TEST(SampleAndHoldTest, PeriodInSamples) {
  struct Case {
    float hz;
    float rate;
    int32_t period;
  };
  const Case cases[] = {
      {1024.0f, 44100.0f, 43},
      {0.25f, 44100.0f, 176400},
      {16.0f, 48000.0f, 3000},
      {1e9f, 44100.0f, 1},
      {0.0f, 44100.0f, SampleAndHold::kMaxPeriodSamples},
      {NAN, 44100.0f, SampleAndHold::kMaxPeriodSamples},
      {-5.0f, 44100.0f, SampleAndHold::kMaxPeriodSamples},
      {1e-9f, 44100.0f, SampleAndHold::kMaxPeriodSamples},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hz << " Hz at " << c.rate);
    SampleAndHold sh;
    sh.SetSampleRate(c.rate, c.rate, 1);
    sh.Update(c.hz, 0.0f);
    EXPECT_EQ(sh.PeriodSamples(), c.period);
  }
  EXPECT_EQ(SampleAndHold().PeriodSamples(), 1000);
}

TEST(SampleAndHoldTest, ConstantInputIsHeldAfterTwoPeriods) {
  SampleAndHold sh = MakeSampleAndHold(1024.0f, 0.0f);
  const std::vector<float> out = RenderSh(sh, std::vector<float>(200, 0.3f), 200);
  for (std::size_t i = 86; i < out.size(); ++i) ASSERT_EQ(out[i], 0.3f) << i;
}

TEST(SampleAndHoldTest, ZeroSlewHoldsTheValueOnePeriodBehind) {
  const int32_t period = 43;
  SampleAndHold sh = MakeSampleAndHold(1024.0f, 0.0f);
  std::vector<float> input(period * 6);
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = -0.5f + 0.001f * i;
  const std::vector<float> out = RenderSh(sh, input, period * 6);
  for (int32_t k = 2; k < 6; ++k) {
    // Taken at the end of period k - 2, heard through period k; negatives are kept.
    const float expected = input[static_cast<std::size_t>((k - 1) * period - 1)];
    for (int32_t j = 0; j < period; ++j) {
      ASSERT_EQ(out[static_cast<std::size_t>(k * period + j)], expected) << k << " " << j;
    }
  }
}

TEST(SampleAndHoldTest, FullSlewGlidesAlongThePowerCurve) {
  struct Case {
    float from;
    float to;
    float midFraction;  // fraction of the way covered at mid-period
  };
  // Rising x^5: slow start. Falling (1 - t)^5 read backwards: fast start.
  const Case cases[] = {{0.2f, 0.8f, 1.0f / 32.0f}, {0.8f, 0.2f, 31.0f / 32.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    const int32_t period = 100;  // 441 Hz
    SampleAndHold sh = MakeSampleAndHold(441.0f, 1.0f);
    std::vector<float> input(period * 3, c.to);
    std::fill(input.begin(), input.begin() + period, c.from);
    const std::vector<float> out = RenderSh(sh, input, period * 3);
    // Period 2 glides from the value taken at the end of period 0 to that of period 1.
    const float mid = out[static_cast<std::size_t>(2 * period + period / 2 - 1)];
    EXPECT_NEAR(mid, c.from + (c.to - c.from) * c.midFraction, 1e-4f);
    EXPECT_NEAR(out[static_cast<std::size_t>(3 * period - 1)], c.to, 1e-5f);
    for (int32_t j = 1; j < period; ++j) {
      const float step = out[static_cast<std::size_t>(2 * period + j)] -
                         out[static_cast<std::size_t>(2 * period + j - 1)];
      ASSERT_GE(step * (c.to - c.from), 0.0f);
    }
  }
}

TEST(SampleAndHoldTest, HalfSlewMixesHeldAndGlide) {
  SampleAndHold sh = MakeSampleAndHold(441.0f, 0.5f);
  std::vector<float> input(300, 1.0f);
  std::fill(input.begin(), input.begin() + 100, 0.0f);
  const std::vector<float> out = RenderSh(sh, input, 300);
  // End of period 2: glide reached 1, held is 0, mixed half and half.
  EXPECT_NEAR(out[299], 0.5f, 1e-5f);
}

TEST(SampleAndHoldTest, RandomValuesStayInRangeAndVary) {
  SampleAndHold sh = MakeSampleAndHold(1024.0f, 0.7f);
  const std::vector<float> out = RenderSh(sh, {}, 43 * 200);
  std::set<float> held;
  for (const float v : out) ASSERT_TRUE(v >= 0.0f && v < 1.0f) << v;
  for (std::size_t i = 42; i < out.size(); i += 43) held.insert(out[i]);
  EXPECT_GT(held.size(), 150u);
}

TEST(SampleAndHoldTest, ResetStartsAFreshPeriod) {
  SampleAndHold sh = MakeSampleAndHold(1024.0f, 0.0f);
  RenderSh(sh, {}, 20);
  sh.Reset();
  const float held = sh.HeldValue();
  EXPECT_TRUE(held >= 0.0f && held < 1.0f);
  const std::vector<float> out = RenderSh(sh, std::vector<float>(43, 0.9f), 43);
  for (const float v : out) ASSERT_EQ(v, held);
  EXPECT_EQ(sh.NewValue(),
            0.9f);  // the first boundary comes a full period after the reset
}

TEST(SampleAndHoldTest, BadInputOrParametersNeverProduceNaNAndRecover) {
  for (const float b : {NAN, INFINITY, -INFINITY, 1e30f}) {
    SCOPED_TRACE(b);
    SampleAndHold sh = MakeSampleAndHold(1024.0f, 1.0f);
    for (const float v : RenderSh(sh, std::vector<float>(200, b), 200)) {
      ASSERT_TRUE(std::isfinite(v));
      ASSERT_LE(std::fabs(v), 64.0f);
    }
    sh.Update(b, b);
    for (const float v : RenderSh(sh, {}, 200)) ASSERT_TRUE(std::isfinite(v));
    sh.Update(1024.0f, 0.0f);
    sh.Reset();
    const std::vector<float> out = RenderSh(sh, std::vector<float>(200, 0.25f), 200);
    EXPECT_EQ(out.back(), 0.25f);
  }
}

TEST(SampleAndHoldTest, RateTextAsTheLfo) {
  EXPECT_EQ(SampleAndHold::ConvertStringToSampleAndHoldRate("2000", false), 1.0f);
  EXPECT_EQ(SampleAndHold::ConvertStringToSampleAndHoldRate("0.1", false), 0.0f);
  EXPECT_NEAR(SampleAndHold::ConvertStringToSampleAndHoldRate("4", false), 1.0f / 3.0f, 1e-6f);
  EXPECT_NEAR(SampleAndHold::ConvertStringToSampleAndHoldRate("1", true), 0.5f, 1e-6f);
}

}  // namespace

// The engine reads one value per sub-block; skipping the glide curve elsewhere must not change it.
TEST(SampleAndHoldTest, RenderLastEqualsTheLastSampleOfRender) {
  SampleAndHold full = MakeSampleAndHold(3000.0f, 0.7f);
  SampleAndHold last = full;  // the same first random value
  std::vector<float> input(32), output(32);
  for (int32_t block = 0; block < 300; ++block) {
    const int32_t count = 1 + (block * 7) % 32;
    for (int32_t i = 0; i < count; ++i) input[i] = std::sin(0.37f * static_cast<float>(block + i));
    const float slew = 0.5f + 0.5f * std::sin(0.1f * static_cast<float>(block));
    full.Update(2000.0f + 10.0f * static_cast<float>(block % 50), slew);
    last.Update(2000.0f + 10.0f * static_cast<float>(block % 50), slew);
    full.Render(input.data(), output.data(), count);
    ASSERT_EQ(last.RenderLast(input.data(), count), output[count - 1]) << "block " << block;
  }
}
