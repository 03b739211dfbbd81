// Attack-hold-decay envelope: stage lengths, stage order, decay curve, finished state, text
// inverse.
#include "modulation/AHDREnvelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "kit/Blocks.h"

namespace {

constexpr float kRate = 44100.0f;

struct EnvelopeRun {
  std::vector<float> out;
  std::vector<AHDREnvelope::Stage> stageAfterBlock;
};

// Renders in 32-sample sub-blocks, as the engine does.
EnvelopeRun RenderEnvelope(AHDREnvelope& env, int32_t samples) {
  EnvelopeRun run;
  run.out.resize(static_cast<std::size_t>(samples));
  TestKit::ForEachBlock(run.out.size(), 32, [&](size_t at, int32_t n, float) {
    env.Render(run.out.data() + at, n);
    run.stageAfterBlock.push_back(env.CurrentStage());
  });
  return run;
}

AHDREnvelope MakeEnvelope(float attack, float hold, float decay, float curve) {
  AHDREnvelope env;
  env.SetSampleRate(kRate, kRate, 1);
  env.Update(attack, hold, decay, curve);
  env.Trigger();
  return env;
}

TEST(AHDREnvelopeTest, StageLengthsInSamples) {
  struct Case {
    float a, h, d, rate;
    float attack, hold, decay;
  };
  const Case cases[] = {
      {0.0f, 0.0f, 0.0f, 44100.0f, 176.4f, 0.0f, 176.4f},
      {1.0f, 1.0f, 1.0f, 44100.0f, 441000.0f, 220500.0f, 441000.0f},
      {0.5f, 0.5f, 0.5f, 88200.0f, 156207.57f, 77958.523f, 156207.57f},
      {0.0f, 0.0f, 0.0f, 3000.0f, 16.0f, 0.0f, 16.0f},  // the 16-sample minimum
      {0.0f, 0.1f, 0.0f, 2000.0f, 16.0f, 31.622776f, 16.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " " << c.h << " " << c.d << " at " << c.rate);
    const AHDREnvelope::StageLengths l =
        AHDREnvelope::ConvertToTimeInSamples(c.a, c.h, c.d, c.rate);
    EXPECT_NEAR(l.attack, c.attack, c.attack * 1e-5f);
    EXPECT_NEAR(l.hold, c.hold, c.hold * 1e-5f + 1e-6f);
    EXPECT_NEAR(l.decay, c.decay, c.decay * 1e-5f);
  }
}

TEST(AHDREnvelopeTest, NewEnvelopeIsFinishedAndSilent) {
  AHDREnvelope env;
  EXPECT_EQ(env.CurrentStage(), AHDREnvelope::Stage::kFinished);
  env.Update(0.3f, 0.3f, 0.3f, 0.3f);
  for (const float v : RenderEnvelope(env, 256).out) ASSERT_EQ(v, 0.0f);
}

TEST(AHDREnvelopeTest, ShortestSettingsRiseAndFallInAboutFourMilliseconds) {
  AHDREnvelope env = MakeEnvelope(0.0f, 0.0f, 0.0f, 0.0f);
  const EnvelopeRun run = RenderEnvelope(env, 1024);
  std::size_t peak = 0;
  while (peak < run.out.size() && run.out[peak] < 1.0f) ++peak;
  // 176.4 samples, a little longer because the first sub-block's step starts from 0.
  EXPECT_GE(peak, 176u);
  EXPECT_LE(peak, 176u + 32u);
  EXPECT_LT(run.out[peak], 1.0f + 1.0f / 176.0f);
  for (std::size_t i = 1; i <= peak; ++i) ASSERT_GT(run.out[i], run.out[i - 1]) << i;
  // No hold sample: the next sample already falls.
  EXPECT_LT(run.out[peak + 1], 1.0f);
  std::size_t end = peak + 1;
  while (end < run.out.size() && run.out[end] > 0.0f) {
    ASSERT_LE(run.out[end], run.out[end - 1]) << end;
    ++end;
  }
  EXPECT_NEAR(static_cast<double>(end - peak), 176.4, 33.0);
  for (std::size_t i = end; i < run.out.size(); ++i) ASSERT_EQ(run.out[i], 0.0f);
  EXPECT_EQ(env.CurrentStage(), AHDREnvelope::Stage::kFinished);
}

TEST(AHDREnvelopeTest, StagesRunInOrderAndHoldLastsItsLength) {
  AHDREnvelope env = MakeEnvelope(0.1f, 0.1f, 0.1f, 0.5f);
  const AHDREnvelope::StageLengths lengths = env.Lengths();
  const int32_t total =
      static_cast<int32_t>(lengths.attack + lengths.hold + lengths.decay) + 32 * 8;
  const EnvelopeRun run = RenderEnvelope(env, total);
  int32_t previous = 0;
  for (const AHDREnvelope::Stage stage : run.stageAfterBlock) {
    ASSERT_GE(static_cast<int32_t>(stage), previous);
    previous = static_cast<int32_t>(stage);
  }
  EXPECT_EQ(previous, static_cast<int32_t>(AHDREnvelope::Stage::kFinished));
  int32_t ones = 0;
  for (const float v : run.out) ones += v == 1.0f ? 1 : 0;
  EXPECT_EQ(ones, static_cast<int32_t>(std::ceil(lengths.hold)));
}

TEST(AHDREnvelopeTest, DecayFollowsThePowerCurve) {
  struct Case {
    float curveValue;
    float exponent;
  };
  const Case cases[] = {{0.0f, 1.0f}, {0.5f, 2.125f}, {1.0f, 10.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.curveValue);
    AHDREnvelope env = MakeEnvelope(0.0f, 0.0f, 0.2f, c.curveValue);
    const float decayLength = env.Lengths().decay;
    const EnvelopeRun run = RenderEnvelope(env, 32 * 400);
    std::size_t peak = 0;
    while (run.out[peak] < 1.0f) ++peak;
    // Sub-block ends lie exactly on (1 - t)^curve; samples between are straight lines.
    for (std::size_t end = 31; end < run.out.size(); end += 32) {
      if (end <= peak) continue;
      const float t = static_cast<float>(end - peak) / decayLength;
      if (t >= 1.0f) break;
      ASSERT_NEAR(run.out[end], std::pow(1.0f - t, c.exponent), 2e-4f) << end;
    }
    const std::size_t quarter = peak + static_cast<std::size_t>(decayLength * 0.25f);
    EXPECT_NEAR(run.out[quarter], std::pow(0.75f, c.exponent), 0.01f);
  }
}

TEST(AHDREnvelopeTest, TriggerRestartsFromZeroInAnyStage) {
  AHDREnvelope env = MakeEnvelope(0.0f, 0.0f, 0.3f, 0.0f);
  RenderEnvelope(env, 2000);
  ASSERT_EQ(env.CurrentStage(), AHDREnvelope::Stage::kDecay);
  env.Trigger();
  EXPECT_EQ(env.CurrentStage(), AHDREnvelope::Stage::kAttack);
  const EnvelopeRun run = RenderEnvelope(env, 32);
  EXPECT_GT(run.out[0], 0.0f);
  EXPECT_LT(run.out[0], 0.01f);
}

TEST(AHDREnvelopeTest, TypedSecondsInvertTheStageTimes) {
  struct Case {
    double seconds;
    int32_t stage;
    float expected;
  };
  const Case cases[] = {
      {0.004, 0, 0.0f}, {10.0, 0, 1.0f},       {0.0, 1, 0.0f},
      {5.0, 1, 1.0f},   {2.5, 1, 0.75785828f},  // 0.5^0.4
      {20.0, 2, 1.0f},  {0.001, 2, 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(AHDREnvelope::ConverFromTimeInSecondsToNormalisedFloat(c.seconds, c.stage),
                c.expected, 1e-6f)
        << c.seconds << " stage " << c.stage;
  }
  for (const float v : {0.1f, 0.35f, 0.8f}) {
    const AHDREnvelope::StageLengths l = AHDREnvelope::ConvertToTimeInSamples(v, v, v, kRate);
    EXPECT_NEAR(AHDREnvelope::ConverFromTimeInSecondsToNormalisedFloat(l.attack / kRate, 0), v,
                1e-4f);
    EXPECT_NEAR(AHDREnvelope::ConverFromTimeInSecondsToNormalisedFloat(l.hold / kRate, 1), v,
                1e-4f);
  }
}

TEST(AHDREnvelopeTest, NonFiniteParametersNeverProduceNaNAndRecover) {
  for (const float b : {NAN, INFINITY, -INFINITY}) {
    SCOPED_TRACE(b);
    AHDREnvelope env = MakeEnvelope(0.0f, 0.0f, 0.0f, 0.0f);
    env.Update(b, b, b, b);
    for (const float v : RenderEnvelope(env, 2048).out) ASSERT_TRUE(v >= 0.0f && v <= 1.01f);
    env.Update(0.0f, 0.0f, 0.0f, 0.0f);
    env.Trigger();
    const EnvelopeRun run = RenderEnvelope(env, 1024);
    EXPECT_GE(*std::max_element(run.out.begin(), run.out.end()), 1.0f);
    EXPECT_EQ(env.CurrentStage(), AHDREnvelope::Stage::kFinished);
  }
}

}  // namespace

// The engine asks for the last sample of each sub-block only; through every stage change (and the
// end of the decay) it must equal what Render writes there.
TEST(AHDREnvelopeTest, RenderLastEqualsTheLastSampleOfRender) {
  for (const float curve : {0.0f, 0.1f, 0.8f}) {
    AHDREnvelope full = MakeEnvelope(0.05f, 0.02f, 0.05f, curve);
    AHDREnvelope last = MakeEnvelope(0.05f, 0.02f, 0.05f, curve);
    full.Trigger();
    last.Trigger();
    std::vector<float> buffer(32);
    bool sawDecay = false;
    for (int32_t block = 0; block < 3000; ++block) {
      const int32_t count = 1 + (block * 13) % 32;
      full.Render(buffer.data(), count);
      ASSERT_EQ(last.RenderLast(count), buffer[count - 1]) << curve << " block " << block;
      sawDecay = sawDecay || (buffer[count - 1] > 0.0f && buffer[count - 1] < 0.5f);
      if (block == 2000) {
        full.Trigger();
        last.Trigger();
      }
    }
    EXPECT_TRUE(sawDecay) << curve;
  }
}
