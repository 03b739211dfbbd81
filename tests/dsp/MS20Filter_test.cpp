// Tests of the "Fatty" filter type: responses per mode, saturation bounds, mode and reset rules.
#include "dsp/MS20Filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "kit/FilterTypes.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 32;

std::vector<float> RunBlocks(MS20Filter& filter, const std::vector<float>& input, float cutoff,
                             float resonance, float mode) {
  return TestKit::RunMonoBlocks(filter, input, cutoff, resonance, mode, kBlock);
}

std::vector<float> Sine(double hz, double amplitude, size_t length) {
  return TestKit::Sine(hz, amplitude, length, kRate);
}

// Steady-state gain in dB of a small sine (the shapers are linear there).
float GainDb(float cutoff, float resonance, float mode, double hz) {
  MS20Filter filter;
  filter.SetSampleRate(kRate, kRate, 1);
  constexpr float kAmplitude = 0.01f;
  const std::vector<float> out =
      RunBlocks(filter, Sine(hz, kAmplitude, 16384), cutoff, resonance, mode);
  return static_cast<float>(TestKit::Db(TestKit::Amplitude(out, 8192, hz, kRate) / kAmplitude));
}

enum class Shape { kLowPass, kBandPass, kHighPass, kNotch };

// Gains three octaves below, at and three octaves above the cutoff (880 Hz), against the editor's
// curve, and the shape each mode must have. "Notch" dips only up to moderate resonance; higher up,
// its feedback turns the dip into a peak.
TEST(MS20FilterTest, ModeResponsesMatchCurveAndShape) {
  const struct {
    float mode;
    int index;
    float resonance;
    Shape shape;
  } cases[] = {
      {0.0f, 0, 0.0f, Shape::kLowPass},      {0.0f, 0, 0.6f, Shape::kLowPass},
      {1 / 3.0f, 1, 0.0f, Shape::kBandPass}, {1 / 3.0f, 1, 0.6f, Shape::kBandPass},
      {2 / 3.0f, 2, 0.0f, Shape::kHighPass}, {2 / 3.0f, 2, 0.6f, Shape::kHighPass},
      {1.0f, 3, 0.0f, Shape::kNotch},        {1.0f, 3, 0.3f, Shape::kNotch},
  };
  const float cutoff = (1.0f + 6.0f) / 12.0f;  // 880 Hz
  const double hz[3] = {110.0, 880.0, 7040.0};
  for (const auto& c : cases) {
    float gain[3];
    for (int i = 0; i < 3; ++i) {
      gain[i] = GainDb(cutoff, c.resonance, c.mode, hz[i]);
      const float curve =
          MS20Filter::MagnitudeDb(cutoff, c.resonance, c.index, static_cast<float>(hz[i]), kRate);
      EXPECT_NEAR(gain[i], curve, 0.5f) << c.index << " " << c.resonance << " " << hz[i];
    }
    const std::string label = std::to_string(c.index) + " " + std::to_string(c.resonance);
    switch (c.shape) {
      case Shape::kLowPass:
        EXPECT_NEAR(gain[0], 0.0f, 1.0f) << label;
        EXPECT_LT(gain[2], gain[0] - 30.0f) << label;
        break;
      case Shape::kBandPass:
        EXPECT_GT(gain[1], gain[0] + 10.0f) << label;
        EXPECT_GT(gain[1], gain[2] + 10.0f) << label;
        break;
      case Shape::kHighPass:
        EXPECT_NEAR(gain[2], 0.0f, 1.0f) << label;
        EXPECT_LT(gain[0], gain[2] - 15.0f) << label;
        break;
      case Shape::kNotch:
        EXPECT_NEAR(gain[0], 0.0f, 1.0f) << label;
        EXPECT_NEAR(gain[2], 0.0f, 1.0f) << label;
        EXPECT_LT(gain[1], -4.0f) << label;
        break;
    }
  }
}

TEST(MS20FilterTest, ModeIndexRounds) {
  const struct {
    float value;
    MS20Mode mode;
  } cases[] = {{0.0f, MS20Mode::kLowPass},
               {0.16f, MS20Mode::kLowPass},
               {0.17f, MS20Mode::kBandPass},
               {0.5f, MS20Mode::kHighPass},
               {0.84f, MS20Mode::kNotch},
               {1.0f, MS20Mode::kNotch},
               {2.0f, MS20Mode::kNotch},
               {-0.34f, MS20Mode::kBandPass},
               {std::numeric_limits<float>::quiet_NaN(), MS20Mode::kLowPass}};
  for (const auto& c : cases) {
    MS20Filter filter;
    filter.SetParameters(0.5f, 0.0f, c.value);
    EXPECT_EQ(filter.Mode(), c.mode) << c.value;
  }
}

// The output saturator caps what leaves the filter; "High pass" and "Notch" send the input straight
// into it.
TEST(MS20FilterTest, HugeInputBoundedByOutputSaturator) {
  for (float mode : {0.0f, 1 / 3.0f, 2 / 3.0f, 1.0f}) {
    MS20Filter filter;
    filter.SetSampleRate(kRate, kRate, 1);
    const double peak = TestKit::Peak(RunBlocks(filter, Sine(1000.0, 1e6, 8192), 0.5f, 1.0f, mode));
    // The saturator ends at +3.03 and -3.63; the 10 Hz blocker then recentres the asymmetric
    // clipping by up to half their difference.
    EXPECT_LT(peak, 3.63f + 0.3f) << mode;
    EXPECT_GT(peak, 1.0f) << mode;
  }
}

TEST(MS20FilterTest, DcSettlesToZero) {
  for (float mode : {0.0f, 1 / 3.0f, 2 / 3.0f, 1.0f}) {
    MS20Filter filter;
    filter.SetSampleRate(kRate, kRate, 1);
    const std::vector<float> out =
        RunBlocks(filter, std::vector<float>(22050, 0.5f), 0.5f, 0.5f, mode);
    EXPECT_LT(std::fabs(out.back()), 2e-3f) << mode;
  }
}

// A mode change keeps the integrators: the ringing carries on into the new mode.
TEST(MS20FilterTest, ModeChangeKeepsState) {
  MS20Filter filter;
  filter.SetSampleRate(kRate, kRate, 1);
  RunBlocks(filter, Sine(440.0, 0.5f, 4096), 0.5f, 0.8f, 0.0f);
  const std::vector<float> next =
      RunBlocks(filter, std::vector<float>(kBlock, 0.0f), 0.5f, 0.8f, 1 / 3.0f);
  EXPECT_EQ(filter.Mode(), MS20Mode::kBandPass);
  EXPECT_GT(TestKit::Peak(next), 0.1);
}

}  // namespace
}  // namespace VDSP
