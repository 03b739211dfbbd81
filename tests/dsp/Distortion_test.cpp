// Tests of the drive stage: coefficients, clipper curves, output bounds of every mode, the gain
// ramp, mode changes and recovery from bad input.
#include "dsp/Distortion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp/ShaperTables.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 44100.0f;
constexpr float kMaxGain = 316.22775f;  // (1 + 5.812921)^3: the drive amount at 1

std::vector<float> Sine(float amplitude, float hz, int n, int start = 0) {
  return TestKit::Sine(hz, amplitude, static_cast<size_t>(n), kRate, static_cast<size_t>(start));
}

// Runs `mode` at a steady gain over a mono signal in blocks of 32; returns the left output.
std::vector<float> Drive(Distortion& d, std::vector<float> left, int block = 32) {
  std::vector<float> right = left;
  for (size_t at = 0; at < left.size(); at += static_cast<size_t>(block)) {
    const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), left.size() - at));
    d.Process(left.data() + at, right.data() + at, n);
  }
  // Bit for bit, NaN included: both channels run the same equations.
  EXPECT_EQ(std::memcmp(left.data(), right.data(), left.size() * sizeof(float)), 0);
  return left;
}

Distortion Make(uint32_t mode, float gain) {
  Distortion d;
  d.SetSampleRate(kRate, kRate, 1);
  d.SetMode(mode);
  d.SetTargetGain(gain);
  float l = 0.0f;
  float r = 0.0f;
  d.Process(&l, &r, 1);  // the ramp from 0 arrives within one sample
  return d;
}

TEST(Distortion, CoefficientsAt44100) {
  Distortion d;
  EXPECT_NEAR(d.DcBlockerCoeff(), 0.00028491f, 2e-8f);
  EXPECT_NEAR(d.CornerHz(0), 17993.4f, 0.5f);
  EXPECT_NEAR(d.CornerHz(1), 19.9677f, 1e-3f);
  EXPECT_EQ(d.CornerHz(2), d.CornerHz(0));
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(d.CornerCoeff(k),
                1.0f - std::exp(-2.0f * TestKit::kPiFloat * d.CornerHz(k) / kRate), 1e-6f);
  }
}

TEST(Distortion, ModeNamesAndKeys) {
  const char* names[] = {"Diode",    "OTA",     "Op-amp", "Half rectifier",
                         "Shredder", "Clipper", "Tannin"};
  const char* keys[] = {"diode", "ota", "op-amp", "halfrect", "shredder", "clipper", "tannin"};
  for (uint32_t m = 0; m < kDistortionModeCount; ++m) {
    EXPECT_STREQ(DistortionModeName(m), names[m]);
    EXPECT_STREQ(DistortionModeKey(m), keys[m]);
  }
  EXPECT_EQ(DistortionModeName(7), nullptr);
}

TEST(Distortion, SoftClippers) {
  struct Case {
    float u;
    float soft;
    float half;
  };
  const Case cases[] = {
      {0.0f, 0.0f, 0.0f},
      {0.5f, 0.5f, 0.5f},
      {0.94527f, 0.94527f, 0.94527f},
      {1.04478f, 0.99502f, 0.99502f},
      {3.0f, 0.99502f, 0.99502f},
      {-0.04f, -0.04f, -0.04f},
      {-0.049751f, -0.049751f, -0.049751f},
      {-0.14925f, -0.14925f, -0.099502f},
      {-0.5f, -0.5f, -0.099502f},
      {-1.04478f, -0.99502f, -0.099502f},
      {-40.0f, -0.99502f, -0.099502f},
      {INFINITY, 0.99502f, 0.99502f},
      {-INFINITY, -0.99502f, -0.099502f},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(Distortion::SoftClip(c.u), c.soft, 1e-5f) << c.u;
    EXPECT_NEAR(Distortion::HalfClip(c.u), c.half, 1e-5f) << c.u;
  }
  // Below the knee the input passes unchanged, bit for bit.
  for (float u : {0.1f, -0.3f, 0.9f, -0.94f}) EXPECT_EQ(Distortion::SoftClip(u), u);
  // Smooth and monotone through the knees.
  for (float u = -1.2f; u < 1.2f; u += 1e-4f) {
    EXPECT_LE(Distortion::SoftClip(u), Distortion::SoftClip(u + 1e-4f) + 1e-7f) << u;
    EXPECT_LE(Distortion::HalfClip(u), Distortion::HalfClip(u + 1e-4f) + 1e-7f) << u;
  }
}

TEST(Distortion, OutputStaysWithinEachModesBound) {
  const ShaperTables& t = ShaperTables::Get();
  auto peakOf = [](const ShaperTable& table) {
    float peak = 0.0f;
    for (float v : table) peak = std::max(peak, std::fabs(v));
    return peak;
  };
  // Circuit modes: the curve's peak, and the 2 Hz blocker may add up to its held level again
  // when the signal swings from one rail to the other.
  const float bounds[kDistortionModeCount] = {2.0f * peakOf(t.DiodeClip()),
                                              2.0f * peakOf(t.AsymTanh()),
                                              2.0f * 0.99502f,
                                              2.0f * 0.99502f,
                                              1.0f,
                                              0.75f,
                                              3.3f};
  std::vector<float> in;
  for (float amplitude : {0.01f, 0.3f, 1.0f, 4.0f}) {
    for (float hz : {30.0f, 440.0f, 5000.0f}) {
      const std::vector<float> s = Sine(amplitude, hz, 4410);
      in.insert(in.end(), s.begin(), s.end());
    }
  }
  for (uint32_t mode = 0; mode < kDistortionModeCount; ++mode) {
    for (float gain : {1.0f, 20.0f, kMaxGain}) {
      Distortion d = Make(mode, gain);
      float peak = 0.0f;
      for (float v : Drive(d, in)) peak = std::max(peak, std::fabs(v));
      EXPECT_LE(peak, bounds[mode] * 1.0001f) << "mode " << mode << " gain " << gain;
      EXPECT_GT(peak, 0.0f);
    }
  }
}

TEST(Distortion, OpAmpAtUnityGainIsLinear) {
  // Amount 0: a 1 kHz sine of peak 0.5 passes apart from the band limits (about -0.01 dB each),
  // the high-pass (scaled by b1 = 0.99716) and the DC blocker.
  Distortion d = Make(2, 1.0f);
  const std::vector<float> out = Drive(d, Sine(0.5f, 1000.0f, 8820));
  float peak = 0.0f;
  for (size_t i = 4410; i < out.size(); ++i) peak = std::max(peak, std::fabs(out[i]));
  EXPECT_NEAR(peak, 0.5f * 0.99716f, 0.004f);
}

TEST(Distortion, HalfRectifierHoldsTheNegativeHalfAndBlocksDc) {
  Distortion d = Make(3, kMaxGain);
  const std::vector<float> out = Drive(d, Sine(0.5f, 1000.0f, 3 * 44100));
  // Second cycle (1 to 2 ms): the 2 Hz blocker has moved by about 0.01 so far.
  float high = -10.0f;
  float low = 10.0f;
  double early = 0.0;
  for (size_t i = 44; i < 88; ++i) {
    high = std::max(high, out[i]);
    low = std::min(low, out[i]);
    early += out[i];
  }
  EXPECT_NEAR(high, 0.995f, 0.02f);
  EXPECT_NEAR(low, -0.0995f, 0.02f);
  EXPECT_GT(early / 44.0, 0.38);
  // Three seconds on: the average over a cycle is gone, the swing kept.
  double late = 0.0;
  float lateHigh = -10.0f;
  float lateLow = 10.0f;
  for (size_t i = out.size() - 441; i < out.size(); ++i) {  // ten whole cycles
    late += out[i];
    lateHigh = std::max(lateHigh, out[i]);
    lateLow = std::min(lateLow, out[i]);
  }
  EXPECT_NEAR(late / 441.0, 0.0, 0.01);
  EXPECT_NEAR(lateHigh - lateLow, 1.0945f, 0.02f);
}

TEST(Distortion, ShredderAmplifiesSmallSignalsByTenOverTanh33OfTen) {
  Distortion d = Make(4, 1.0f);
  const float expected = 10.0f / ShaperLookup(ShaperTables::Get().Tanh33(), 10.0f);
  EXPECT_NEAR(expected, 3.04f, 0.01f);
  float l = 1e-3f;
  float r = -1e-3f;
  d.Process(&l, &r, 1);
  EXPECT_NEAR(l / 1e-3f, expected, 1e-3f);
  EXPECT_NEAR(r / -1e-3f, expected, 1e-3f);
}

TEST(Distortion, GainRampsLinearlyAcrossTheBlock) {
  // "Clipper" below its clip point shows the gain: out = 0.75 * 10 * g * x.
  Distortion d = Make(5, 1.0f);
  d.SetTargetGain(kMaxGain);
  std::vector<float> l(64, 1e-4f);
  std::vector<float> r(64, 1e-4f);
  d.Process(l.data(), r.data(), 64);
  for (int i = 0; i < 64; ++i) {
    const float expectedGain = 1.0f + (kMaxGain - 1.0f) * static_cast<float>(i + 1) / 64.0f;
    EXPECT_NEAR(l[static_cast<size_t>(i)] / 7.5e-4f, expectedGain, 1e-3f * expectedGain) << i;
  }
  EXPECT_EQ(d.Gain(), kMaxGain);
}

TEST(Distortion, ModeAboveSixAndEmptyBlocksLeaveEverythingAlone) {
  Distortion d = Make(0, 5.0f);
  d.SetTargetGain(50.0f);
  d.SetMode(7);
  std::vector<float> l = Sine(0.5f, 440.0f, 64);
  const std::vector<float> before = l;
  std::vector<float> r = l;
  d.Process(l.data(), r.data(), 64);
  EXPECT_EQ(l, before);
  EXPECT_EQ(d.Gain(), 5.0f);
  d.SetMode(0);
  d.Process(l.data(), r.data(), 0);
  EXPECT_EQ(l, before);
  EXPECT_EQ(d.Gain(), 5.0f);
}

TEST(Distortion, ModeChangeKeepsTheCircuitStates) {
  // A memoryless block in between leaves the circuit exactly where it was.
  const std::vector<float> first = Sine(0.7f, 220.0f, 256);
  const std::vector<float> middle = Sine(0.7f, 220.0f, 64, 256);
  const std::vector<float> last = Sine(0.7f, 220.0f, 256, 320);
  Distortion withDetour = Make(0, 30.0f);
  Distortion direct = Make(0, 30.0f);
  Drive(withDetour, first);
  Drive(direct, first);
  withDetour.SetMode(6);
  Drive(withDetour, middle);
  withDetour.SetMode(2);
  direct.SetMode(2);
  EXPECT_EQ(Drive(withDetour, last), Drive(direct, last));
}

TEST(Distortion, ResetBehavesLikeFresh) {
  Distortion used = Make(1, 40.0f);
  Drive(used, Sine(0.9f, 50.0f, 2000));
  used.Reset();
  Distortion fresh;
  fresh.SetMode(1);
  fresh.SetTargetGain(40.0f);
  const std::vector<float> in = Sine(0.4f, 700.0f, 512);
  EXPECT_EQ(Drive(used, in), Drive(fresh, in));
}

TEST(Distortion, RecoversFromNonFiniteAndHugeInput) {
  for (uint32_t mode = 0; mode < kDistortionModeCount; ++mode) {
    for (float bad : {NAN, INFINITY, -INFINITY, 1e30f}) {
      Distortion d = Make(mode, 100.0f);
      Distortion reference = Make(mode, 100.0f);
      Drive(d, std::vector<float>(32, bad));
      // One second of clean input: finite from the first block on, and by then the same as an
      // object that never saw the bad block.
      const std::vector<float> clean = Sine(0.3f, 330.0f, 44100);
      const std::vector<float> out = Drive(d, clean);
      const std::vector<float> expected = Drive(reference, clean);
      for (float v : out) ASSERT_TRUE(std::isfinite(v)) << mode << " " << bad;
      for (size_t i = out.size() - 441; i < out.size(); ++i) {
        ASSERT_NEAR(out[i], expected[i], 0.02f) << mode << " " << bad << " " << i;
      }
    }
  }
}

// The "DriveMode" control's stored values select their modes; beyond its range it stays at the
// ends.
TEST(Distortion, ModeIndexOfTheModeControl) {
  for (uint32_t mode = 0; mode < kDistortionModeCount; ++mode) {
    EXPECT_EQ(Distortion::ModeIndexOf(static_cast<float>(mode) / 6.0f), mode);
  }
  EXPECT_EQ(Distortion::ModeIndexOf(0.49f / 6.0f), 0u);
  EXPECT_EQ(Distortion::ModeIndexOf(0.51f / 6.0f), 1u);
  EXPECT_EQ(Distortion::ModeIndexOf(1.5f), 6u);
  EXPECT_EQ(Distortion::ModeIndexOf(-1.0f), 0u);
  EXPECT_EQ(Distortion::ModeIndexOf(std::numeric_limits<float>::quiet_NaN()), 0u);
}

}  // namespace
}  // namespace VDSP
