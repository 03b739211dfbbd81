// Tests of the "Japan" ladder: mode responses, resonance, DC, mode and reset rules, lane twins.
#include "dsp/SH101Filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dsp/Float4.h"
#include "kit/Blocks.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 32;

float ModeValue(int index) {
  return static_cast<float>(index) / 21.0f;
}

using TestKit::Both;
using TestKit::Stereo;

// Runs both channels in blocks of kBlock, setting the controls before each block as the slot does.
Stereo RunBlocks(SH101Filter& filter, const Stereo& input, float cutoff, float resonance,
                 float mode) {
  Stereo out{std::vector<float>(input.Size()), std::vector<float>(input.Size())};
  TestKit::ForEachBlock(input.Size(), kBlock, [&](size_t start, int32_t n, float inverseN) {
    filter.SetParameters(cutoff, resonance, mode);
    filter.Process(input.left.data() + start, input.right.data() + start, out.left.data() + start,
                   out.right.data() + start, n, inverseN);
  });
  return out;
}

std::vector<float> Tones(const std::vector<double>& hz, float amplitude, size_t length) {
  return TestKit::Tones(hz, amplitude, length, kRate);
}

double Amplitude(const std::vector<float>& x, size_t from, double hz) {
  return TestKit::Amplitude(x, from, hz, kRate);
}

enum class Shape { kLowPass, kBandPass, kHighPass, kPeak, kNotch, kNotchOctaveBelow };

// Steady-state gains of small tones (the saturators are linear there) at 55, 220, 440 and
// 3520 Hz with the cutoff at 440 Hz, against the editor's curve, and the shape of each family.
TEST(SH101FilterTest, ModeResponsesMatchCurveAndShape) {
  const struct {
    int mode;
    float resonance;
    Shape shape;
  } cases[] = {
      {0, 0.0f, Shape::kLowPass},          {1, 0.0f, Shape::kLowPass},
      {1, 0.5f, Shape::kLowPass},          {2, 0.0f, Shape::kBandPass},
      {3, 0.5f, Shape::kBandPass},         {4, 0.0f, Shape::kHighPass},
      {5, 0.5f, Shape::kHighPass},         {6, 0.5f, Shape::kPeak},
      {15, 0.0f, Shape::kNotch},           {16, 0.5f, Shape::kNotch},
      {9, 0.0f, Shape::kNotchOctaveBelow}, {14, 0.5f, Shape::kNotchOctaveBelow},
  };
  const std::vector<double> hz = {55.0, 220.0, 440.0, 3520.0};
  constexpr float kAmplitude = 0.004f;
  for (const auto& c : cases) {
    SH101Filter filter;
    filter.SetSampleRate(kRate, kRate, 1);
    const Stereo out =
        RunBlocks(filter, Both(Tones(hz, kAmplitude, 16384)), 0.5f, c.resonance, ModeValue(c.mode));
    const std::string label = std::to_string(c.mode) + " " + std::to_string(c.resonance);
    float gain[4];
    for (int i = 0; i < 4; ++i) {
      gain[i] =
          static_cast<float>(20.0 * std::log10(Amplitude(out.left, 8192, hz[i]) / kAmplitude));
      const float curve =
          SH101Filter::MagnitudeDb(0.5f, c.resonance, c.mode, static_cast<float>(hz[i]), kRate);
      if (curve > -40.0f) {
        EXPECT_NEAR(gain[i], curve, 0.5f) << label << " " << hz[i];
      } else {
        EXPECT_LT(gain[i], -35.0f) << label << " " << hz[i];
      }
      EXPECT_NEAR(Amplitude(out.right, 8192, hz[i]), Amplitude(out.left, 8192, hz[i]), 1e-6)
          << label;
    }
    const float low = gain[0], octaveBelow = gain[1], cutoff = gain[2], high = gain[3];
    switch (c.shape) {
      case Shape::kLowPass:
        EXPECT_GT(low, high + 30.0f) << label;
        break;
      case Shape::kBandPass:
        EXPECT_GT(cutoff, low + 10.0f) << label;
        EXPECT_GT(cutoff, high + 10.0f) << label;
        break;
      case Shape::kHighPass:
        EXPECT_GT(high, low + 30.0f) << label;
        break;
      case Shape::kPeak:
        EXPECT_GT(cutoff, low + 10.0f) << label;
        EXPECT_GT(cutoff, high + 5.0f) << label;
        break;
      case Shape::kNotch:
        EXPECT_LT(cutoff, low - 20.0f) << label;
        EXPECT_LT(cutoff, high - 20.0f) << label;
        break;
      case Shape::kNotchOctaveBelow:
        EXPECT_LT(octaveBelow, low - 20.0f) << label;
        EXPECT_LT(octaveBelow, cutoff - 20.0f) << label;
        break;
    }
  }
}

TEST(SH101FilterTest, ModeIndexRounds) {
  const struct {
    float value;
    uint32_t mode;
  } cases[] = {{0.0f, 0},  {0.02f, 0}, {0.03f, 1}, {0.5f, 11},
               {1.0f, 21}, {1.5f, 21}, {-1.0f, 0}, {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& c : cases) {
    SH101Filter filter;
    filter.SetParameters(0.5f, 0.0f, c.value);
    EXPECT_EQ(filter.Mode(), c.mode) << c.value;
  }
}

// Full resonance (feedback 4.03 * 1.01) keeps the ladder ringing after an impulse; just below the
// oscillation point the ring dies away.
TEST(SH101FilterTest, FullResonanceSelfOscillates) {
  const struct {
    float resonance;
    bool rings;
  } cases[] = {{1.0f, true}, {0.95f, false}, {0.0f, false}};
  for (const auto& c : cases) {
    SH101Filter filter;
    filter.SetSampleRate(kRate, kRate, 1);
    std::vector<float> impulse(22050, 0.0f);
    impulse[0] = 0.5f;
    const Stereo out = RunBlocks(filter, Both(impulse), 0.5f, c.resonance, ModeValue(1));
    const float tail = TestKit::Peak(out.left, 20000);
    if (c.rings) {
      EXPECT_GT(tail, 0.05f) << c.resonance;
    } else {
      EXPECT_LT(tail, 1e-4f) << c.resonance;
    }
  }
}

// The 10 Hz input high-pass keeps DC out of every mode.
TEST(SH101FilterTest, PassesNoDc) {
  for (int mode : {0, 1, 6, 15, 21}) {
    SH101Filter filter;
    filter.SetSampleRate(kRate, kRate, 1);
    const Stereo out =
        RunBlocks(filter, Both(std::vector<float>(22050, 0.5f)), 0.5f, 0.5f, ModeValue(mode));
    EXPECT_LT(TestKit::Peak(out.left, 21000), 1e-3f) << mode;
  }
}

// A mode change clears the ladder (what follows matches a fresh filter); the same mode sent again,
// or a cutoff or resonance change, keeps it ringing.
TEST(SH101FilterTest, ModeChangeClearsLadder) {
  const struct {
    int nextMode;
    float nextCutoff, nextResonance;
    bool clears;
  } cases[] = {{2, 0.5f, 0.9f, true}, {1, 0.5f, 0.9f, false}, {1, 0.6f, 0.7f, false}};
  for (const auto& c : cases) {
    SH101Filter filter, fresh;
    filter.SetSampleRate(kRate, kRate, 1);
    fresh.SetSampleRate(kRate, kRate, 1);
    RunBlocks(filter, Both(Tones({440.0}, 0.5f, 4096)), 0.5f, 0.9f, ModeValue(1));
    const Stereo silence = Both(std::vector<float>(kBlock, 0.0f));
    const Stereo next =
        RunBlocks(filter, silence, c.nextCutoff, c.nextResonance, ModeValue(c.nextMode));
    const Stereo reference =
        RunBlocks(fresh, silence, c.nextCutoff, c.nextResonance, ModeValue(c.nextMode));
    EXPECT_EQ(filter.Mode(), static_cast<uint32_t>(c.nextMode));
    if (c.clears) {
      for (int i = 0; i < kBlock; ++i) EXPECT_NEAR(next.left[i], reference.left[i], 1e-6f) << i;
    } else {
      EXPECT_GT(TestKit::Peak(next.left), 0.05f) << c.nextMode;
    }
  }
}

// Oversampled, the stage coefficient stops at a quarter of the processing rate: cutoffs above it
// sound the same. Without oversampling they differ up to the full rate.
TEST(SH101FilterTest, CutoffCeilingFollowsOversampling) {
  const struct {
    int factor;
    bool same;
  } cases[] = {{1, false}, {2, true}};
  for (const auto& c : cases) {
    const float rate = kRate * static_cast<float>(c.factor);
    std::vector<float> left[2];
    for (int i = 0; i < 2; ++i) {
      SH101Filter filter;
      filter.SetSampleRate(rate, kRate, c.factor);
      const float cutoff = i == 0 ? 1.0f : 0.98f;  // 28.2 kHz and 23.9 kHz
      left[i] =
          RunBlocks(filter, Both(Tones({3000.0}, 0.5f, 1024)), cutoff, 0.3f, ModeValue(1)).left;
    }
    EXPECT_EQ(left[0] == left[1], c.same) << c.factor;
  }
}

// Process runs on SSE2; its plain-float twin must give the same bits, also with random controls,
// block lengths, mode changes and overdriven input.
TEST(SH101FilterTest, VectorMatchesScalarTwin) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  SH101Filter vector, scalar;
  for (SH101Filter* f : {&vector, &scalar}) f->SetSampleRate(2.0f * kRate, kRate, 2);
  std::vector<float> inL(64), inR(64), outL[2] = {std::vector<float>(64), std::vector<float>(64)},
                                       outR[2] = {std::vector<float>(64), std::vector<float>(64)};
  for (int block = 0; block < 400; ++block) {
    const int n = 1 + static_cast<int>(random() % 64);
    for (int i = 0; i < n; ++i) {
      inL[i] = 4.0f * unit(random) - 2.0f;
      inR[i] = 0.5f * inL[i] + 0.1f;
    }
    const float cutoff = unit(random), resonance = unit(random);
    const float mode = block % 50 == 0 ? unit(random) : 0.3f;
    vector.SetParameters(cutoff, resonance, mode);
    scalar.SetParameters(cutoff, resonance, mode);
    vector.ProcessWith<Float4>(inL.data(), inR.data(), outL[0].data(), outR[0].data(), n, 1.0f / n);
    scalar.ProcessWith<Float4Scalar>(inL.data(), inR.data(), outL[1].data(), outR[1].data(), n,
                                     1.0f / n);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(outL[0][i], outL[1][i]) << block << " " << i;
      ASSERT_EQ(outR[0][i], outR[1][i]) << block << " " << i;
    }
  }
}

// The channels are separate lanes: a signal on the left leaves the right silent.
TEST(SH101FilterTest, ChannelsStaySeparate) {
  SH101Filter filter;
  filter.SetSampleRate(kRate, kRate, 1);
  const Stereo out = RunBlocks(filter, Stereo{Tones({440.0}, 1.0f, 4096), std::vector<float>(4096)},
                               0.5f, 0.9f, ModeValue(5));
  EXPECT_GT(TestKit::Peak(out.left), 0.5f);
  EXPECT_LT(TestKit::Peak(out.right), 1e-5f);
}

// Overdriven input: the feedback saturator and the input limit keep every mode finite and within
// the ladder's reach (each weight times the largest ladder value, scaled back by 1/32).
TEST(SH101FilterTest, HugeInputStaysBounded) {
  constexpr float kWeightSums[SH101Filter::kModeCount] = {
      1, 1, 2, 8, 4, 16, 1, 9, 4.25f, 17, 17, 2, 32, 8, 34, 5, 25, 5, 20, 20, 10, 21.25f};
  // Input high-pass output of a +-64 square wave, plus the saturated feedback.
  const float ladderReach = 2.0f * 48.0f * 64.0f + 32.0f * 3.64f;
  std::vector<float> input(4096);
  for (size_t i = 0; i < input.size(); ++i) input[i] = (i / 50) % 2 ? 1e30f : -1e30f;
  for (uint32_t mode = 0; mode < SH101Filter::kModeCount; ++mode) {
    SH101Filter filter;
    filter.SetSampleRate(kRate, kRate, 1);
    const Stereo out = RunBlocks(filter, Both(input), 0.5f, 1.0f, ModeValue(mode));
    const float peak = TestKit::Peak(out.left);
    EXPECT_TRUE(std::isfinite(peak)) << mode;
    EXPECT_LE(peak, kWeightSums[mode] * ladderReach / 32.0f) << mode;
  }
}

}  // namespace
}  // namespace VDSP
