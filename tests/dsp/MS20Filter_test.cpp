// Tests of the "Fatty" filter type: responses per mode, saturation bounds, mode and reset rules.
#include "dsp/MS20Filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <vector>

namespace VDSP {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 32;
constexpr double kPi = 3.14159265358979;

std::vector<float> RunBlocks(MS20Filter& filter, const std::vector<float>& input, float cutoff,
                             float resonance, float mode) {
  std::vector<float> out(input.size());
  for (size_t start = 0; start < input.size(); start += kBlock) {
    const int n = static_cast<int>(std::min<size_t>(kBlock, input.size() - start));
    filter.SetParameters(cutoff, resonance, mode);
    filter.Process(input.data() + start, out.data() + start, n, 1.0f / n);
  }
  return out;
}

std::vector<float> Sine(double hz, float amplitude, int length) {
  std::vector<float> s(length);
  for (int i = 0; i < length; ++i) {
    s[i] = amplitude * static_cast<float>(std::sin(2.0 * kPi * hz * i / kRate));
  }
  return s;
}

// Amplitude of the hz component in x[from..], Hann-windowed so that a window of a non-whole number
// of periods does not leak.
double Amplitude(const std::vector<float>& x, size_t from, double hz) {
  const size_t length = x.size() - from;
  const std::complex<double> toneStep = std::polar(1.0, -2.0 * kPi * hz / kRate);
  const std::complex<double> windowStep = std::polar(1.0, 2.0 * kPi / static_cast<double>(length));
  std::complex<double> tone = 1.0, window = 1.0, sum = 0.0;
  double weights = 0.0;
  for (size_t i = 0; i < length; ++i) {
    const double w = 0.5 - 0.5 * window.real();
    sum += w * static_cast<double>(x[from + i]) * tone;
    weights += w;
    tone *= toneStep;
    window *= windowStep;
  }
  return 2.0 * std::abs(sum) / weights;
}

// Steady-state gain in dB of a small sine (the shapers are linear there).
float GainDb(float cutoff, float resonance, float mode, double hz) {
  MS20Filter filter;
  filter.SetSampleRate(kRate, kRate, 1);
  constexpr float kAmplitude = 0.01f;
  const std::vector<float> out =
      RunBlocks(filter, Sine(hz, kAmplitude, 16384), cutoff, resonance, mode);
  return static_cast<float>(20.0 * std::log10(Amplitude(out, 8192, hz) / kAmplitude));
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
    const std::vector<float> out = RunBlocks(filter, Sine(1000.0, 1e6f, 8192), 0.5f, 1.0f, mode);
    float peak = 0.0f;
    for (float y : out) peak = std::max(peak, std::fabs(y));
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
  float peak = 0.0f;
  for (float y : next) peak = std::max(peak, std::fabs(y));
  EXPECT_GT(peak, 0.1f);
}

TEST(MS20FilterTest, ResetEqualsFresh) {
  MS20Filter used;
  used.SetSampleRate(kRate, kRate, 1);
  RunBlocks(used, Sine(300.0, 2.0f, 4000), 0.3f, 0.9f, 1.0f);
  used.Reset();
  MS20Filter fresh;
  fresh.SetSampleRate(kRate, kRate, 1);
  const std::vector<float> input = Sine(523.0, 0.5f, 2048);
  const std::vector<float> a = RunBlocks(used, input, 0.6f, 0.7f, 1 / 3.0f);
  const std::vector<float> b = RunBlocks(fresh, input, 0.6f, 0.7f, 1 / 3.0f);
  for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], b[i]) << i;
}

TEST(MS20FilterTest, ZeroLengthBlockDoesNothing) {
  MS20Filter filter;
  filter.SetSampleRate(kRate, kRate, 1);
  filter.SetParameters(0.5f, 1.0f, 1.0f);
  float sample = 0.25f;
  filter.Process(&sample, &sample, 0, 1.0f);
  EXPECT_EQ(sample, 0.25f);
}

// NaN, infinite and huge input and controls neither escape nor wedge the filter: afterwards it
// sounds as a filter that never saw them.
TEST(MS20FilterTest, NonFiniteInputRecovers) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (float mode : {0.0f, 2 / 3.0f}) {
    MS20Filter hit, clean;
    hit.SetSampleRate(kRate, kRate, 1);
    clean.SetSampleRate(kRate, kRate, 1);
    std::vector<float> bad(kBlock * 8, nan);
    for (size_t i = 0; i < bad.size(); i += 3) bad[i] = i % 2 ? inf : -inf;
    bad[7] = 3e38f;
    const std::vector<float> badOut = RunBlocks(hit, bad, nan, inf, nan);
    for (float y : badOut) ASSERT_TRUE(std::isfinite(y));
    RunBlocks(clean, std::vector<float>(bad.size(), 0.0f), 0.5f, 0.6f, mode);
    // A second of silence lets the 10 Hz blocker and the integrators forget.
    RunBlocks(hit, std::vector<float>(44100, 0.0f), 0.5f, 0.6f, mode);
    RunBlocks(clean, std::vector<float>(44100, 0.0f), 0.5f, 0.6f, mode);
    const std::vector<float> input = Sine(440.0, 0.3f, 2048);
    const std::vector<float> a = RunBlocks(hit, input, 0.5f, 0.6f, mode);
    const std::vector<float> b = RunBlocks(clean, input, 0.5f, 0.6f, mode);
    for (size_t i = 0; i < a.size(); ++i) ASSERT_NEAR(a[i], b[i], 1e-4f) << mode << " " << i;
  }
}

}  // namespace
}  // namespace VDSP
