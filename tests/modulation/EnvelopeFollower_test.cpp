// Envelope follower: time constants, response to a burst, output bounds and bad input.
#include "modulation/EnvelopeFollower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kit/Blocks.h"
#include "kit/Signals.h"

namespace {

using TestKit::kPi;

constexpr float kRate = 44100.0f;

EnvelopeFollower MakeFollower(float attack, float decay, float level) {
  EnvelopeFollower follower;
  follower.SetSampleRate(kRate, kRate, 1);
  follower.Update(attack, decay, level);
  return follower;
}

// Renders in 32-sample sub-blocks, as the engine does.
std::vector<float> Follow(EnvelopeFollower& follower, const std::vector<float>& input) {
  std::vector<float> out(input.size());
  TestKit::ForEachBlock(input.size(), 32, [&](size_t at, int32_t n, float) {
    follower.Render(input.data() + at, out.data() + at, n);
  });
  return out;
}

std::vector<float> Sine(float amplitude, float hz, int32_t samples) {
  return TestKit::Sine(hz, amplitude, static_cast<size_t>(samples), kRate);
}

TEST(EnvelopeFollowerTest, CoefficientsFollowTheTimes) {
  struct Case {
    float value;
    float seconds;
  };
  // 2^(12 v - 9) seconds.
  const Case cases[] = {{0.0f, 1.0f / 512.0f}, {0.5f, 0.125f}, {0.75f, 1.0f}, {1.0f, 8.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const EnvelopeFollower follower = MakeFollower(c.value, c.value, 1.0f);
    const float expected = 6.2831855f / kRate / c.seconds;
    EXPECT_NEAR(follower.AttackCoefficient(), expected, expected * 1e-5f);
    EXPECT_NEAR(follower.DecayCoefficient(), expected, expected * 1e-5f);
  }
}

TEST(EnvelopeFollowerTest, SampleRateChangeKeepsTheTimes) {
  EnvelopeFollower follower = MakeFollower(0.75f, 0.75f, 1.0f);
  follower.SetSampleRate(2.0f * kRate, kRate, 2);
  follower.Update(0.75f, 0.75f, 1.0f);
  EXPECT_NEAR(follower.AttackCoefficient(), 6.2831855f / (2.0f * kRate), 1e-9f);
}

TEST(EnvelopeFollowerTest, BurstRisesWithAttackAndFallsWithDecay) {
  // Fast attack (2 ms), 1 s decay, a 0.5 sine burst at full level: the peak is 0.5 * 1.5.
  EnvelopeFollower follower = MakeFollower(0.0f, 0.75f, 1.0f);
  const int32_t burst = static_cast<int32_t>(kRate * 0.1f);
  std::vector<float> input = Sine(0.5f, 220.0f, burst);
  input.resize(static_cast<std::size_t>(burst + kRate * 1.2f), 0.0f);
  const std::vector<float> out = Follow(follower, input);
  const float peak = 0.75f;
  EXPECT_NEAR(out[static_cast<std::size_t>(burst - 1)], peak, 0.02f);
  EXPECT_GT(out[static_cast<std::size_t>(kRate * 0.02f)], 0.9f * peak);
  // After the burst the level falls by e^(-2 pi) over the decay time.
  const std::size_t tenth = static_cast<std::size_t>(burst + kRate * 0.1f);
  EXPECT_NEAR(out[tenth], peak * std::exp(-0.2f * static_cast<float>(kPi)), 0.03f);
  const std::size_t full = static_cast<std::size_t>(burst + kRate);
  EXPECT_LT(out[full], 0.01f * peak);
  for (std::size_t i = static_cast<std::size_t>(burst) + 1; i < out.size(); ++i) {
    ASSERT_LE(out[i], out[i - 1]);
  }
}

TEST(EnvelopeFollowerTest, SlowAttackRampsTheOutput) {
  EnvelopeFollower follower = MakeFollower(0.75f, 0.75f, 1.0f);  // 1 s attack
  const std::vector<float> out = Follow(follower, std::vector<float>(4410, 0.5f));
  // One-pole with a time constant of 1 / (2 pi) s: after 0.1 s, 1 - e^(-0.2 pi).
  EXPECT_NEAR(out.back(), 0.75f * (1.0f - std::exp(-0.2f * static_cast<float>(kPi))), 0.01f);
}

TEST(EnvelopeFollowerTest, OutputStaysWithinZeroAndOne) {
  struct Case {
    float amplitude;
    float level;
    float expectedEnd;
  };
  const Case cases[] = {{10.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amplitude);
    EnvelopeFollower follower = MakeFollower(0.0f, 0.3f, c.level);
    const std::vector<float> out = Follow(follower, Sine(c.amplitude, 100.0f, 8820));
    for (const float v : out) ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << v;
    EXPECT_NEAR(out.back(), c.expectedEnd, 1e-6f);
  }
}

TEST(EnvelopeFollowerTest, NonFiniteInputOrParametersNeverProduceNaNAndRecover) {
  for (const float b : {NAN, INFINITY, -INFINITY, 1e30f}) {
    SCOPED_TRACE(b);
    EnvelopeFollower follower = MakeFollower(0.0f, 0.3f, 1.0f);
    std::vector<float> input(4096, b);
    for (const float v : Follow(follower, input)) ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
    follower.Update(b, b, b);
    for (const float v : Follow(follower, Sine(0.5f, 100.0f, 1024))) {
      ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
    }
    follower.Update(0.0f, 0.3f, 1.0f);
    const std::vector<float> out = Follow(follower, std::vector<float>(44100, 0.0f));
    EXPECT_LT(out.back(), 1e-3f);
    const std::vector<float> again = Follow(follower, Sine(0.5f, 220.0f, 4410));
    EXPECT_NEAR(again.back(), 0.75f, 0.05f);
  }
}

TEST(EnvelopeFollowerTest, ResetEqualsFresh) {
  EnvelopeFollower used = MakeFollower(0.2f, 0.4f, 0.8f);
  Follow(used, Sine(0.9f, 300.0f, 2000));
  used.Reset();
  EnvelopeFollower fresh = MakeFollower(0.2f, 0.4f, 0.8f);
  const std::vector<float> input = Sine(0.4f, 150.0f, 1000);
  EXPECT_EQ(Follow(used, input), Follow(fresh, input));
}

}  // namespace

// The engine reads the follower once per sub-block; its value must be Render's last sample.
TEST(EnvelopeFollowerTest, RenderLastEqualsTheLastSampleOfRender) {
  EnvelopeFollower full = MakeFollower(0.3f, 0.5f, 0.8f);
  EnvelopeFollower last = MakeFollower(0.3f, 0.5f, 0.8f);
  std::vector<float> input(32), output(32);
  for (int32_t block = 0; block < 500; ++block) {
    const int32_t count = 1 + (block * 11) % 32;
    // Bursts and silences, so the output rises, falls and clips at 1.
    const float level = (block / 40) % 2 == 0 ? 2.0f : 0.0f;
    for (int32_t i = 0; i < count; ++i) input[i] = level * std::sin(0.3f * static_cast<float>(i));
    full.Render(input.data(), output.data(), count);
    ASSERT_EQ(last.RenderLast(input.data(), count), output[count - 1]) << "block " << block;
  }
}
