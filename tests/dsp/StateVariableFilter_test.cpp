// Tests of the "S.V.F" filter: responses, DC blocking, limits, bounds, mode changes and recovery.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "dsp/Float4.h"
#include "dsp/StateVariableFilter.h"
#include "kit/Blocks.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 44100.0f;
constexpr int32_t kBlock = 32;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

float CutoffFor(double hz) {
  return static_cast<float>((std::log2(hz / 440.0) + 6.0) / 12.0);
}
float ModeValue(uint32_t index) {
  return static_cast<float>(index) / 9.0f;
}

using TestKit::Constant;
using TestKit::Stereo;

Stereo Sine(double hz, double amplitude, size_t length) {
  return TestKit::Both(TestKit::Sine(hz, amplitude, length, kRate));
}

Stereo Noise(size_t length, unsigned seed) {
  return TestKit::GaussianNoise(length, seed, 0.5f);
}

// Runs the whole signal in place in blocks, re-applying the controls every block as the engine
// does.
template <class V = Float4>
void RunFilter(StateVariableFilter& f, Stereo& s, float cutoff, float resonance, float mode,
               int32_t block = kBlock) {
  TestKit::ForEachBlock(s.Size(), block, [&](size_t start, int32_t n, float inverseN) {
    f.SetParameters(cutoff, resonance, mode);
    f.ProcessWith<V>(&s.left[start], &s.right[start], &s.left[start], &s.right[start], n, inverseN);
  });
}

StateVariableFilter MakeFilter(float rate = kRate) {
  StateVariableFilter f;
  f.SetSampleRate(rate, rate, 1);
  return f;
}

// Steady-state gain of a sine in dB, measured on the second half of 0.4 s.
double MeasuredGainDb(uint32_t mode, float cutoff, float resonance, double hz, double amp = 0.05) {
  StateVariableFilter f = MakeFilter();
  const int32_t length = 17664;
  Stereo s = Sine(hz, amp, length);
  RunFilter(f, s, cutoff, resonance, ModeValue(mode));
  return TestKit::Db(TestKit::Peak(s.left, length / 2) / amp);
}

TEST(StateVariableFilterTest, DcBlockerCoefficientIsATenHertzOnePole) {
  StateVariableFilter fresh;
  EXPECT_NEAR(fresh.DcBlockerCoefficient(), 1.0 - std::exp(-0.0014247586), 1e-8);
  StateVariableFilter f = MakeFilter(44100.0f);
  EXPECT_NEAR(f.DcBlockerCoefficient(), 0.0014237f, 1e-7f);
  f.SetSampleRate(88200.0f, 44100.0f, 2);
  EXPECT_NEAR(f.DcBlockerCoefficient(), 1.0 - std::exp(-62.831856 / 88200.0), 1e-8);
}

TEST(StateVariableFilterTest, CutoffCoefficientFollowsTwoSinePiFnUpToAQuarterOfTheRate) {
  for (double fn : {0.0001, 0.001, 0.01, 0.05, 0.1, 0.2, 0.2499}) {
    EXPECT_NEAR(SvfCutoffCoefficient(static_cast<float>(fn)), 2.0 * std::sin(TestKit::kPi * fn),
                2e-5)
        << fn;
  }
  EXPECT_NEAR(SvfCutoffCoefficient(0.25f), 1.4142f, 1e-4f);
  EXPECT_NEAR(SvfCutoffCoefficient(0.6385f), 1.4142f, 1e-4f);
  EXPECT_NEAR(SvfCutoffCoefficient(kNaN), 1.4142f, 1e-4f);
  EXPECT_EQ(SvfCutoffCoefficient(-1.0f), 0.0f);
}

TEST(StateVariableFilterTest, DampingAtTheResonanceExtremes) {
  // Control 0 maps to 0.101, control 1 to 1.01; with F -> 0 the damping is q itself.
  EXPECT_NEAR(SvfDesign(0.0f, 0.0f * 0.9f * 1.01f + 0.101f).d1, 1.36439f, 1e-5f);
  EXPECT_NEAR(SvfDesign(0.0f, 1.0f * 0.9f * 1.01f + 0.101f).d1, -0.0099751f, 1e-6f);
  // Stage 2 is always the heavier damped one.
  for (float r : {0.101f, 0.5f, 1.01f}) {
    const SvfCoefficients c = SvfDesign(0.5f, r);
    EXPECT_GT(c.d2, c.d1) << r;
    EXPECT_GE(c.d2, 1.0f - 0.5f * 0.5f / 8.0f - 1e-6f) << r;
  }
}

TEST(StateVariableFilterTest, CutoffControlOneAt44100IsLimitedToAQuarterOfTheRate) {
  StateVariableFilter f = MakeFilter();
  f.SetParameters(1.0f, 0.0f, 0.0f);
  float l = 0.0f;
  float r = 0.0f;
  // One sample with ramp factor 1 lands on the targets at once (the filter FM case).
  f.Process(&l, &r, &l, &r, 1, 1.0f);
  const float q = 1.36439f;
  const float e = 1.4142f * 1.4142f / 8.0f;
  EXPECT_NEAR(f.CurrentF1(), 1.4142f - q * e, 2e-4f);
  EXPECT_EQ(f.CurrentF1(), SvfDesign(SvfCutoffCoefficient(0.25f), f.Resonance()).f1);
  EXPECT_EQ(f.CurrentF2(), SvfDesign(SvfCutoffCoefficient(0.25f), f.Resonance()).f2);
}

TEST(StateVariableFilterTest, CoefficientsGlideAcrossTheBlockAndArriveAtItsEnd) {
  StateVariableFilter f = MakeFilter();
  f.SetParameters(0.5f, 0.0f, 0.0f);
  std::vector<float> l(kBlock, 0.0f);
  std::vector<float> r(kBlock, 0.0f);
  f.Process(l.data(), r.data(), l.data(), r.data(), kBlock, 1.0f / kBlock);
  const float fn = 440.0f / kRate;
  const SvfCoefficients c = SvfDesign(SvfCutoffCoefficient(fn), f.Resonance());
  EXPECT_NEAR(f.CurrentF1(), c.f1, 1e-6f);
  EXPECT_NEAR(f.Damping1(), c.d1, 1e-7f);
  EXPECT_NEAR(f.Damping2(), c.d2, 1e-7f);
  // Half a block moves half the way.
  f.SetParameters(0.75f, 0.0f, 0.0f);
  f.Process(l.data(), r.data(), l.data(), r.data(), kBlock / 2, 1.0f / kBlock);
  const SvfCoefficients next =
      SvfDesign(SvfCutoffCoefficient(440.0f * 8.0f / kRate), f.Resonance());
  EXPECT_NEAR(f.CurrentF1(), 0.5f * (c.f1 + next.f1), 1e-5f);
}

struct ModeCase {
  float mode;
  uint32_t index;
};

TEST(StateVariableFilterTest, ModeValueRoundsToNineStepsAndLimits) {
  const ModeCase cases[] = {{0.0f, 0},  {0.05f, 0}, {0.06f, 1}, {0.5f, 5},  {8.5f / 9.0f, 9},
                            {1.0f, 9},  {1.7f, 9},  {-0.3f, 0}, {kNaN, 0},  {kInf, 9},
                            {-kInf, 0}, {0.39f, 4}, {0.4f, 4},  {0.45f, 4}, {0.56f, 5}};
  for (const ModeCase& c : cases) {
    EXPECT_EQ(StateVariableFilter::ModeIndexOf(c.mode), c.index) << c.mode;
  }
}

TEST(StateVariableFilterTest, ResonanceAndCutoffMapping) {
  StateVariableFilter f;
  f.SetParameters(0.0f, 0.0f, 0.0f);
  EXPECT_FLOAT_EQ(f.CutoffOctaves(), -6.0f);
  EXPECT_FLOAT_EQ(f.Resonance(), 0.101f);
  f.SetParameters(1.0f, 1.0f, 0.0f);
  EXPECT_FLOAT_EQ(f.CutoffOctaves(), 6.0f);
  EXPECT_FLOAT_EQ(f.Resonance(), 1.01f);
}

// Pass and stop bands at a 1 kHz cutoff, lowest resonance, amplitude 0.05 (the saturators are
// transparent there).
struct BandCase {
  uint32_t mode;
  double hz;
  double minDb;
  double maxDb;
};

TEST(StateVariableFilterTest, EveryModePassesAndRejectsWhereItShould) {
  const BandCase cases[] = {
      {0, 100.0, -1.0, 1.0},       {0, 10000.0, -200.0, -30.0},  // 2L
      {1, 100.0, -1.0, 1.0},       {1, 10000.0, -200.0, -60.0},  // 4L
      {2, 50.0, -200.0, -40.0},    {2, 10000.0, -1.0, 1.5},      // 2H
      {3, 100.0, -200.0, -60.0},   {3, 10000.0, -1.0, 3.0},      // 4H
      {4, 1000.0, -4.0, 0.0},      {4, 100.0, -200.0, -15.0},    // 2B
      {4, 10000.0, -200.0, -15.0},                               //
      {5, 1000.0, -7.0, 0.0},      {5, 100.0, -200.0, -30.0},    // 4B
      {5, 10000.0, -200.0, -30.0},                               //
      {6, 1000.0, -200.0, -20.0},  {6, 100.0, -1.0, 1.0},        // 2N
      {6, 10000.0, -1.0, 1.5},                                   //
      {7, 1000.0, -200.0, -40.0},  {7, 100.0, -1.0, 1.0},        // 4N
      {8, 1000.0, 2.0, 5.0},       {8, 100.0, -1.0, 1.0},        // 2P
      {9, 1000.0, 4.0, 8.0},       {9, 100.0, -1.0, 1.0},        // 4P
  };
  const float cutoff = CutoffFor(1000.0);
  for (const BandCase& c : cases) {
    const double db = MeasuredGainDb(c.mode, cutoff, 0.0f, c.hz);
    EXPECT_GE(db, c.minDb) << "mode " << c.mode << " at " << c.hz << " Hz";
    EXPECT_LE(db, c.maxDb) << "mode " << c.mode << " at " << c.hz << " Hz";
  }
}

TEST(StateVariableFilterTest, SmallSignalGainMatchesTheLinearResponseForThePlots) {
  const float cutoff = CutoffFor(2000.0);
  for (uint32_t mode = 0; mode < kSvfModeCount; ++mode) {
    for (float resonance : {0.0f, 0.5f}) {
      for (double hz : {200.0, 1500.0, 2000.0, 5000.0}) {
        const double expected = StateVariableFilter::MagnitudeDb(
            cutoff, resonance, static_cast<int>(mode), static_cast<float>(hz), kRate);
        if (expected < -50.0) continue;  // below the measurement's noise of a 0.05 sine
        EXPECT_NEAR(MeasuredGainDb(mode, cutoff, resonance, hz, 0.01), expected, 0.5)
            << "mode " << mode << " resonance " << resonance << " at " << hz << " Hz";
      }
    }
  }
}

TEST(StateVariableFilterTest, DcSettlesToZeroInEveryModeWithASixteenMillisecondTimeConstant) {
  for (uint32_t mode = 0; mode < kSvfModeCount; ++mode) {
    StateVariableFilter f = MakeFilter();
    const int32_t length = 22016;  // 0.5 s
    Stereo s = Constant(0.1f, length);
    RunFilter(f, s, CutoffFor(1000.0), 0.0f, ModeValue(mode));
    EXPECT_LT(TestKit::Peak(s.left, length - 512, length), 1e-5) << "mode " << mode;
    EXPECT_LT(TestKit::Peak(s.right, length - 512, length), 1e-5) << "mode " << mode;
  }
  // In the low pass the step passes at once and then decays at 10 Hz: e^-1 after about 16 ms.
  StateVariableFilter f = MakeFilter();
  Stereo s = Constant(0.1f, 4410);
  RunFilter(f, s, CutoffFor(1000.0), 0.0f, 0.0f);
  const double peak = TestKit::Peak(s.left, 0, 4410);
  int32_t crossing = 0;
  while (crossing < 4410 && (s.left[crossing] < peak / std::exp(1.0) || crossing < 44)) ++crossing;
  while (crossing < 4410 && s.left[crossing] > peak / std::exp(1.0)) ++crossing;
  EXPECT_NEAR(crossing / kRate * 1000.0, 16.0, 2.0);
}

TEST(StateVariableFilterTest, HugeInputStaysWithinTheSaturatorsInEveryModeAtHighestResonance) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> noise(-1e6f, 1e6f);
  for (uint32_t mode = 0; mode < kSvfModeCount; ++mode) {
    StateVariableFilter f = MakeFilter();
    Stereo s{std::vector<float>(4096), std::vector<float>(4096)};
    for (size_t i = 0; i < s.left.size(); ++i) {
      s.left[i] = noise(random);
      s.right[i] = (i / 50) % 2 == 0 ? 1e9f : -1e9f;
    }
    RunFilter(f, s, CutoffFor(3000.0), 1.0f, ModeValue(mode));
    for (size_t i = 0; i < s.left.size(); ++i) {
      // Before the DC blocker |y| <= 3.3, and the blocker's state is itself at most 3.3.
      ASSERT_LE(std::fabs(s.left[i]), 6.6f) << "mode " << mode << " sample " << i;
      ASSERT_LE(std::fabs(s.right[i]), 6.6f) << "mode " << mode << " sample " << i;
    }
  }
}

TEST(StateVariableFilterTest, RandomControlSweepsStayFiniteAndBounded) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> control(-0.2f, 1.2f);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::normal_distribution<float> signal(0.0f, 3.0f);
  StateVariableFilter f = MakeFilter(88200.0f);
  std::vector<float> l(kBlock);
  std::vector<float> r(kBlock);
  for (int block = 0; block < 3000; ++block) {
    if (block % 10 == 0) f.SetParameters(control(random), unit(random), unit(random));
    for (int32_t i = 0; i < kBlock; ++i) {
      l[i] = signal(random);
      r[i] = signal(random);
    }
    f.Process(l.data(), r.data(), l.data(), r.data(), kBlock, 1.0f / kBlock);
    for (int32_t i = 0; i < kBlock; ++i) {
      ASSERT_LE(std::fabs(l[i]), 6.6f);
      ASSERT_LE(std::fabs(r[i]), 6.6f);
    }
  }
}

TEST(StateVariableFilterTest, VectorPathEqualsTheScalarReferenceBitForBit) {
  std::mt19937 random(3);
  std::normal_distribution<float> signal(0.0f, 2.0f);
  for (uint32_t mode = 0; mode < kSvfModeCount; ++mode) {
    StateVariableFilter sse = MakeFilter();
    StateVariableFilter scalar = MakeFilter();
    Stereo a{std::vector<float>(2048), std::vector<float>(2048)};
    for (size_t i = 0; i < a.left.size(); ++i) {
      a.left[i] = signal(random);
      a.right[i] = signal(random);
    }
    Stereo b = a;
    const float resonance = static_cast<float>(mode) / 9.0f;
    RunFilter<Float4>(sse, a, 0.7f, resonance, ModeValue(mode), 24);
    RunFilter<Float4Scalar>(scalar, b, 0.7f, resonance, ModeValue(mode), 24);
    ASSERT_EQ(a.left, b.left) << "mode " << mode;
    ASSERT_EQ(a.right, b.right) << "mode " << mode;
  }
}

TEST(StateVariableFilterTest, ChannelsAreIndependent) {
  StateVariableFilter f = MakeFilter();
  Stereo s = Sine(300.0, 0.8, 4096);
  std::fill(s.right.begin(), s.right.end(), 0.0f);
  RunFilter(f, s, 0.6f, 0.9f, ModeValue(7));
  EXPECT_GT(TestKit::Peak(s.left, 0, 4096), 0.1);
  EXPECT_EQ(TestKit::Peak(s.right, 0, 4096), 0.0);
}

TEST(StateVariableFilterTest, ModeChangeRestartsFromSilenceWithCoefficientsFadingIn) {
  StateVariableFilter used = MakeFilter();
  Stereo warmUp = Noise(1024, 1);
  RunFilter(used, warmUp, 0.6f, 0.7f, ModeValue(0));
  used.SetParameters(0.6f, 0.7f, ModeValue(1));
  EXPECT_EQ(used.CurrentF1(), 0.0f);
  EXPECT_EQ(used.CurrentF2(), 0.0f);
  EXPECT_EQ(used.ModeIndex(), 1u);

  StateVariableFilter fresh = MakeFilter();
  Stereo a = Noise(512, 2);
  Stereo b = a;
  RunFilter(used, a, 0.6f, 0.7f, ModeValue(1));
  RunFilter(fresh, b, 0.6f, 0.7f, ModeValue(1));
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

TEST(StateVariableFilterTest, CutoffAndResonanceChangesKeepTheState) {
  StateVariableFilter f = MakeFilter();
  Stereo s = Noise(1024, 4);
  RunFilter(f, s, 0.6f, 0.9f, ModeValue(4));
  const float f1 = f.CurrentF1();
  f.SetParameters(0.3f, 0.1f, ModeValue(4));
  EXPECT_EQ(f.CurrentF1(), f1);
  // The ringing state carries on into silent input.
  Stereo silence = Constant(0.0f, kBlock);
  f.Process(silence.left.data(), silence.right.data(), silence.left.data(), silence.right.data(),
            kBlock, 1.0f / kBlock);
  EXPECT_GT(TestKit::Peak(silence.left, 0, kBlock), 1e-4);
}

// Below self-oscillation the filter forgets its past, so after a poisoned block it must converge to
// what a clean filter gives; at the highest resonance it rings on with its own phase, so there it
// must stay finite, bounded and follow the input.
struct RecoveryCase {
  uint32_t mode;
  float resonance;
  bool forgets;
};

TEST(StateVariableFilterTest, NonFiniteAndHugeInputRecoversOnceTheInputIsClean) {
  const float bad[] = {kNaN, kInf, -kInf, 1e30f, -3e38f};
  const RecoveryCase cases[] = {{0, 0.5f, true},  {1, 0.5f, true}, {4, 0.3f, true},
                                {7, 0.5f, true},  {9, 0.6f, true}, {0, 1.0f, false},
                                {5, 1.0f, false}, {8, 1.0f, false}};
  for (const RecoveryCase& c : cases) {
    StateVariableFilter hit = MakeFilter();
    StateVariableFilter clean = MakeFilter();
    Stereo poison{std::vector<float>(kBlock), std::vector<float>(kBlock)};
    for (int32_t i = 0; i < kBlock; ++i) {
      poison.left[i] = bad[i % 5];
      poison.right[i] = bad[(i + 2) % 5];
    }
    RunFilter(hit, poison, 0.6f, c.resonance, ModeValue(c.mode));
    for (int32_t i = 0; i < kBlock; ++i) ASSERT_TRUE(std::isfinite(poison.left[i]));
    const int32_t length = 22016;
    Stereo a = Sine(200.0, 0.5, length);
    Stereo b = a;
    RunFilter(hit, a, 0.6f, c.resonance, ModeValue(c.mode));
    RunFilter(clean, b, 0.6f, c.resonance, ModeValue(c.mode));
    for (int32_t i = 0; i < length; ++i) {
      ASSERT_TRUE(std::isfinite(a.left[i]) && std::isfinite(a.right[i])) << i;
      ASSERT_LE(std::fabs(a.left[i]), 6.6f);
    }
    if (c.forgets) {
      for (int32_t i = length - 1024; i < length; ++i) {
        ASSERT_NEAR(a.left[i], b.left[i], 1e-3f) << "mode " << c.mode << " sample " << i;
        ASSERT_NEAR(a.right[i], b.right[i], 1e-3f) << "mode " << c.mode << " sample " << i;
      }
    } else {
      EXPECT_GT(TestKit::Peak(a.left, length - 1024, length), 0.05) << "mode " << c.mode;
    }
  }
}

TEST(StateVariableFilterTest, NonFiniteRampFactorRestartsTheFilterInsteadOfMutingIt) {
  StateVariableFilter f = MakeFilter();
  Stereo warmUp = Noise(256, 8);
  RunFilter(f, warmUp, 0.5f, 0.5f, 0.0f);
  Stereo s = Noise(kBlock, 9);
  f.Process(s.left.data(), s.right.data(), s.left.data(), s.right.data(), kBlock, kNaN);
  EXPECT_EQ(f.CurrentF1(), 0.0f);  // restarted at the block end
  StateVariableFilter fresh = MakeFilter();
  Stereo a = Noise(256, 10);
  Stereo b = a;
  RunFilter(f, a, 0.5f, 0.5f, 0.0f);
  RunFilter(fresh, b, 0.5f, 0.5f, 0.0f);
  EXPECT_EQ(a.left, b.left);
}

// Under the block's round-down mode a lookup of a tiny negative value lands a whole ulp of the
// fraction below the centre entry, so the loop settles at about -1.9e-9 (-175 dB) instead of 0;
// either way no state may linger in denormal numbers.
TEST(StateVariableFilterTest, SilenceAfterABurstDecaysWithoutDenormals) {
  const int previous = std::fegetround();
  for (int rounding : {FE_TONEAREST, FE_DOWNWARD}) {
    ASSERT_EQ(std::fesetround(rounding), 0);
    StateVariableFilter f = MakeFilter();
    Stereo burst = Noise(2048, 12);
    RunFilter(f, burst, 0.5f, 0.2f, ModeValue(5));
    const int32_t length = 88064;  // 2 s: the 10 Hz blocker takes the longest
    Stereo silence = Constant(0.0f, length);
    RunFilter(f, silence, 0.5f, 0.2f, ModeValue(5));
    for (int32_t i = length / 2; i < length; ++i) {
      ASSERT_NE(std::fpclassify(silence.left[i]), FP_SUBNORMAL) << i;
      ASSERT_NE(std::fpclassify(silence.right[i]), FP_SUBNORMAL) << i;
    }
    const double tail = TestKit::Peak(silence.left, length - kBlock, length);
    if (rounding == FE_TONEAREST) {
      EXPECT_EQ(tail, 0.0);
    } else {
      EXPECT_LT(tail, 1e-8);
    }
  }
  std::fesetround(previous);
}

TEST(StateVariableFilterTest, LinearResponseOfThePlots) {
  const float cutoff = CutoffFor(1000.0);
  // Low pass: flat well below the cutoff, falling 12 or 24 dB an octave well above it.
  EXPECT_NEAR(StateVariableFilter::MagnitudeDb(cutoff, 0.0f, 0, 100.0f, kRate), 0.0f, 0.5f);
  const float lp2Slope = StateVariableFilter::MagnitudeDb(cutoff, 0.0f, 0, 8000.0f, kRate) -
                         StateVariableFilter::MagnitudeDb(cutoff, 0.0f, 0, 4000.0f, kRate);
  EXPECT_NEAR(lp2Slope, -12.0f, 2.5f);
  const float lp4Slope = StateVariableFilter::MagnitudeDb(cutoff, 0.0f, 1, 8000.0f, kRate) -
                         StateVariableFilter::MagnitudeDb(cutoff, 0.0f, 1, 4000.0f, kRate);
  EXPECT_NEAR(lp4Slope, -24.0f, 5.0f);
  // Resonance raises the peak at the cutoff.
  EXPECT_GT(StateVariableFilter::MagnitudeDb(cutoff, 1.0f, 4, 1000.0f, kRate), 20.0f);
  // Cutoffs above the display's Nyquist frequency are held there, not folded back down.
  EXPECT_GE(StateVariableFilter::MagnitudeDb(1.0f, 0.0f, 0, 15000.0f, kRate),
            StateVariableFilter::MagnitudeDb(0.95f, 0.0f, 0, 15000.0f, kRate) - 1e-3f);
  for (int mode = 0; mode < 10; ++mode) {
    for (float hz = 20.0f; hz < 20000.0f; hz *= 1.1f) {
      ASSERT_TRUE(std::isfinite(StateVariableFilter::MagnitudeDb(1.0f, 1.0f, mode, hz, kRate)));
    }
  }
}

}  // namespace
}  // namespace VDSP
