// Tests of the one-pole coefficient law: the corner a musician sets is where the smoother is 3 dB
// down, and every form of the law gives the same coefficient.
#include "dsp/OnePole.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/MathConstants.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 44100.0f;

// y += a (x - y) over a sine at the corner; its steady amplitude.
double SmoothedAmplitude(float coefficient, float hz) {
  const size_t length = static_cast<size_t>(kRate);
  std::vector<float> x = TestKit::Sine(hz, 1.0, length, kRate);
  float y = 0.0f;
  for (float& sample : x) {
    y += coefficient * (sample - y);
    sample = y;
  }
  return TestKit::Amplitude(x, length / 2, hz, kRate);
}

TEST(OnePole, CornerIsThreeDecibelsDown) {
  for (const float hz : {10.0f, 100.0f, 1000.0f}) {
    const float a = OnePoleCoefficient(kTwoPi * hz, kRate);
    EXPECT_NEAR(TestKit::Db(SmoothedAmplitude(a, hz)), -3.0, 0.05) << hz;
  }
}

TEST(OnePole, EveryFormGivesTheSameCoefficient) {
  for (const float hz : {2.0f, 10.0f, 440.0f, 3300.0f, 17993.4f}) {
    const float a = OnePoleCoefficient(kTwoPi * hz, kRate);
    const double exact = 1.0 - std::exp(-kTwoPiDouble * hz / kRate);
    EXPECT_NEAR(a, exact, 2e-7 + 1e-6 * exact) << hz;
    EXPECT_NEAR(OnePoleCoefficient(kTwoPiDouble * hz, static_cast<double>(kRate)), exact,
                1e-12 * exact)
        << hz;
    EXPECT_NEAR(OnePoleCoefficientOfCycles(hz / kRate), a, 2e-7f + 1e-6f * a) << hz;
    // The cubic 2^x is up to 0.4 % off in e^-w.
    EXPECT_NEAR(FastOnePoleCoefficient(hz / kRate), a, 0.004f * (1.0f - a) + 1e-6f) << hz;
  }
}

// A smoother stepped once per block of n samples moves as far per step as one stepped every
// sample moves in n samples: 1 - (e^(-w))^n.
TEST(OnePole, BlockStepsCoverTheirSamples) {
  for (const float samples : {1.0f, 32.0f, 512.0f}) {
    const double remaining = std::pow(std::exp(-kTwoPiDouble * 5.0 / kRate), samples);
    EXPECT_NEAR(OnePoleCoefficientPerBlock(kTwoPi * 5.0f, samples, 1.0f / kRate), 1.0 - remaining,
                1e-6)
        << samples;
  }
}

}  // namespace
}  // namespace VDSP
