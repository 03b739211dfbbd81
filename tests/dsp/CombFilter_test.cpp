// Tests of the "Comb" filter type: tuning, glides, response, bounds, polarity and reserved rings.
#include "dsp/CombFilter.h"

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

using TestKit::Rms;

// Runs `samples` through the filter in blocks of kBlock with the given controls set before each
// block, as the slot does.
std::vector<float> RunBlocks(CombFilter& comb, const std::vector<float>& input, float cutoff,
                             float resonance, float mode) {
  return TestKit::RunMonoBlocks(comb, input, cutoff, resonance, mode, kBlock);
}

// Lets the delay glide to its target (8 % per block) with silence.
void Settle(CombFilter& comb, float cutoff, float resonance, float mode) {
  RunBlocks(comb, std::vector<float>(kBlock * 400, 0.0f), cutoff, resonance, mode);
}

std::vector<float> Sine(double hz, double amplitude, size_t length) {
  return TestKit::Sine(hz, amplitude, length, kRate);
}

TEST(CombFilterTest, RingLengthFollowsRate) {
  const struct {
    float rate, maxDelay;
  } cases[] = {{44100.0f, 16382.0f},
               {48000.0f, 16382.0f},
               {88200.0f, 32766.0f},
               {96000.0f, 32766.0f},
               {192000.0f, 65534.0f}};
  for (const auto& c : cases) {
    CombFilter comb;
    comb.SetSampleRate(c.rate, c.rate, 1);
    EXPECT_EQ(comb.MaxDelaySamples(), c.maxDelay) << c.rate;
  }
}

// The delayed tap's impulse response comes from a third-order Lagrange interpolator, whose first
// moment is exactly its fractional position: the centroid measures the tuned delay.
TEST(CombFilterTest, DelayTunesTo440HzPeriod) {
  const struct {
    float mode;
    float delay;      // samples
    float tapWeight;  // delayed-tap weight at resonance 0
  } cases[] = {{1.0f, 100.227f, 0.5f}, {0.0f, 50.114f, -0.5f}};
  for (const auto& c : cases) {
    CombFilter comb;
    comb.SetSampleRate(kRate, kRate, 1);
    Settle(comb, 0.5f, 0.0f, c.mode);
    EXPECT_NEAR(comb.DelaySamples(), c.delay, 2e-3f);

    std::vector<float> impulse(256, 0.0f);
    impulse[0] = 0.01f;
    const std::vector<float> out = RunBlocks(comb, impulse, 0.5f, 0.0f, c.mode);
    // Direct tap: the sample written two samples earlier at about half weight (the weights come
    // from an approximate reciprocal, 1 % low).
    EXPECT_NEAR(out[2], 0.005f, 6e-5f);
    double sum = 0.0, moment = 0.0;
    for (int i = 10; i < 200; ++i) {
      sum += out[i];
      moment += static_cast<double>(out[i]) * i;
    }
    EXPECT_NEAR(sum, 0.01 * c.tapWeight, 3e-5);
    EXPECT_NEAR(moment / sum, c.delay + 2.0, 2e-3) << c.mode;
  }
}

TEST(CombFilterTest, LowestCutoffPeriodFitsTheRing) {
  CombFilter comb;
  comb.SetSampleRate(kRate, kRate, 1);
  Settle(comb, 0.0f, 0.0f, 1.0f);
  EXPECT_NEAR(comb.DelaySamples(), 6414.5f, 0.5f);
  EXPECT_LT(comb.DelaySamples(), comb.MaxDelaySamples());
}

// A cutoff jump moves the delay by 8 % of the distance per block of 32 or more samples, and
// proportionally less in shorter blocks.
TEST(CombFilterTest, DelayGlidesEightPercentPerBlock) {
  for (int n : {1, 8, 16, 32, 64, 256}) {
    CombFilter comb;
    comb.SetSampleRate(kRate, kRate, 1);
    Settle(comb, 1.0f, 0.0f, 1.0f);
    const float from = comb.DelaySamples();
    const float target = kRate / 6.875f;
    comb.SetParameters(0.0f, 0.0f, 1.0f);
    std::vector<float> buffer(n, 0.0f);
    comb.Process(buffer.data(), buffer.data(), n, 1.0f / n);
    const float fraction = 0.08f * std::min(1.0f, n / 32.0f);
    EXPECT_NEAR(comb.DelaySamples(), from + fraction * (target - from), 0.05f) << n;
  }
}

TEST(CombFilterTest, FullResonanceFeedbackWeight) {
  const struct { float mode, feedback; } cases[] = {{1.0f, 1.0456f}, {0.0f, -1.0456f}};
  for (const auto& c : cases) {
    CombFilter comb;
    comb.SetSampleRate(kRate, kRate, 1);
    RunBlocks(comb, std::vector<float>(kBlock, 0.0f), 0.5f, 1.0f, c.mode);
    EXPECT_NEAR(comb.FeedbackWeight(), c.feedback, 1e-4f);
  }
}

// Steady-state sine gains at the tuned pitch (peaks) and between the teeth (dips), against the
// editor's response curve, which must follow the filter.
TEST(CombFilterTest, PeaksAndDipsMatchResponseCurve) {
  const struct {
    float mode, hz;
    bool peak;
  } cases[] = {
      {1.0f, 440.0f, true}, {1.0f, 880.0f, true},  {1.0f, 660.0f, false}, {1.0f, 1100.0f, false},
      {0.0f, 440.0f, true}, {0.0f, 1320.0f, true}, {0.0f, 880.0f, false}, {0.0f, 1760.0f, false},
  };
  constexpr float kResonance = 0.8f;
  constexpr float kAmplitude = 0.05f;
  for (const auto& c : cases) {
    CombFilter comb;
    comb.SetSampleRate(kRate, kRate, 1);
    Settle(comb, 0.5f, kResonance, c.mode);
    const std::vector<float> out =
        RunBlocks(comb, Sine(c.hz, kAmplitude, 16384), 0.5f, kResonance, c.mode);
    const float gainDb = 20.0f * std::log10(Rms(out, 8192) / (kAmplitude / std::sqrt(2.0f)));
    const float plotDb =
        CombFilter::MagnitudeDb(0.5f, kResonance, c.mode >= 0.5f ? 1 : 0, c.hz, kRate);
    EXPECT_NEAR(gainDb, plotDb, 0.5f) << c.mode << " " << c.hz;
    if (c.peak) {
      EXPECT_GT(gainDb, -3.0f) << c.mode << " " << c.hz;
    } else {
      EXPECT_LT(gainDb, -15.0f) << c.mode << " " << c.hz;
    }
  }
}

// The input shaper and the saturating write keep the ring within +-1; at full resonance the tap
// weights (0.12 and 0.24) then bound the output for any input.
TEST(CombFilterTest, HugeInputStaysBounded) {
  for (float mode : {0.0f, 1.0f}) {
    CombFilter comb;
    comb.SetSampleRate(kRate, kRate, 1);
    Settle(comb, 0.5f, 1.0f, mode);
    std::vector<float> input = Sine(441.0f, 1e6f, 8192);
    for (size_t i = 0; i < input.size(); i += 7) input[i] = -3e38f;
    const double peak = TestKit::Peak(RunBlocks(comb, input, 0.5f, 1.0f, mode));
    EXPECT_LE(peak, 0.5) << mode;
    EXPECT_GT(peak, 0.25) << mode;
  }
}

// Polarity switches keep the ring: the recirculating sound carries on into the next block.
TEST(CombFilterTest, PolarityChangeKeepsState) {
  CombFilter comb;
  comb.SetSampleRate(kRate, kRate, 1);
  Settle(comb, 0.5f, 0.9f, 1.0f);
  RunBlocks(comb, Sine(440.0f, 0.5f, 4096), 0.5f, 0.9f, 1.0f);
  const std::vector<float> tail =
      RunBlocks(comb, std::vector<float>(kBlock, 0.0f), 0.5f, 0.9f, 0.0f);
  EXPECT_GT(Rms(tail, 0), 0.05f);
}

TEST(CombFilterTest, SetSampleRateClearsRing) {
  float tailRms[2];
  for (int clear = 0; clear < 2; ++clear) {
    CombFilter comb;
    comb.SetSampleRate(kRate, kRate, 1);
    Settle(comb, 0.5f, 0.9f, 1.0f);
    RunBlocks(comb, Sine(440.0f, 0.5f, 4096), 0.5f, 0.9f, 1.0f);
    if (clear) comb.SetSampleRate(kRate, kRate, 1);
    tailRms[clear] = Rms(RunBlocks(comb, std::vector<float>(kBlock, 0.0f), 0.5f, 0.9f, 1.0f), 0);
  }
  EXPECT_GT(tailRms[0], 0.05f);
  // Only the feedback of the kept damping state is left.
  EXPECT_LT(tailRms[1], 0.05f * tailRms[0]);
}

// Set-up reserves 0.2 s at max(factor, 4) x the host rate, so the audio thread can switch between
// 1, 2 and 4 with the full delay range and without new storage.
TEST(CombFilterTest, SetUpReservesForFactorFour) {
  const struct {
    float hostRate;
    int factor;
    uint32_t capacity;
  } cases[] = {{44100.0f, 1, 65536},     {44100.0f, 2, 65536},   {44100.0f, 4, 65536},
               {48000.0f, 8, 131072},    {44100.0f, 16, 262144}, {96000.0f, 2, 131072},
               {192000.0f, 16, 1u << 20}};
  for (const auto& c : cases) {
    CombFilter comb;
    comb.SetSampleRate(c.hostRate * c.factor, c.hostRate, c.factor);
    EXPECT_EQ(comb.RingCapacity(), c.capacity) << c.hostRate << " x" << c.factor;
    const float samples = std::round(0.2f * c.hostRate * c.factor);
    EXPECT_GE(comb.MaxDelaySamples() + 2.0f, samples) << c.hostRate << " x" << c.factor;
  }
}

TEST(CombFilterTest, SwitchingOneFourOneOnTheAudioThreadUsesTheReservedRing) {
  CombFilter comb;
  comb.SetSampleRate(kRate, kRate, 1);
  const uint32_t capacity = comb.RingCapacity();
  VBufferPow2::FixedCapacityScope audioThread;
  const struct {
    int factor;
    float maxDelay;
  } steps[] = {{4, 65534.0f}, {1, 16382.0f}, {2, 32766.0f}, {4, 65534.0f}, {1, 16382.0f}};
  for (const auto& step : steps) {
    comb.SetSampleRate(kRate * step.factor, kRate, step.factor);
    EXPECT_EQ(comb.RingCapacity(), capacity) << step.factor;
    EXPECT_EQ(comb.MaxDelaySamples(), step.maxDelay) << step.factor;
  }
}

// Position of the largest output sample after an impulse, once the delay has settled at the
// lowest cutoff (one period of 6.875 Hz) with no feedback.
size_t DelayedImpulsePosition(CombFilter& comb, size_t length) {
  std::vector<float> silence(kBlock * 8000, 0.0f);
  RunBlocks(comb, silence, 0.0f, 0.0f, 1.0f);
  std::vector<float> impulse(length, 0.0f);
  impulse[0] = 0.5f;
  const std::vector<float> out = RunBlocks(comb, impulse, 0.0f, 0.0f, 1.0f);
  size_t peak = 10;  // past the direct tap
  for (size_t i = 10; i < out.size(); ++i) {
    EXPECT_TRUE(std::isfinite(out[i]));
    if (std::fabs(out[i]) > std::fabs(out[peak])) peak = i;
  }
  return peak;
}

// Factor 16 taken on the audio thread while only factor 4 was reserved: the longest delay is the
// reserved ring (the lowest pitch rises from 6.875 Hz to about 10.8 Hz), reads stay inside it, and
// the next set-up call restores the full range.
TEST(CombFilterTest, ShortReservedRingLimitsTheDelayUntilTheNextSetUp) {
  constexpr float kFactor16 = kRate * 16.0f;
  // One period of 6.875 Hz at 16 x 44100 Hz.
  const float fullDelay = kFactor16 / 6.875f;
  CombFilter comb;
  comb.SetSampleRate(kRate, kRate, 1);
  {
    VBufferPow2::FixedCapacityScope audioThread;
    comb.SetSampleRate(kFactor16, kRate, 16);
  }
  EXPECT_EQ(comb.RingLength(), 65536u);
  EXPECT_EQ(comb.MaxDelaySamples(), 65534.0f);
  const size_t limited = DelayedImpulsePosition(comb, 70000);
  EXPECT_NEAR(static_cast<float>(limited), 65534.0f + 2.0f, 2.0f);

  comb.SetSampleRate(kFactor16, kRate, 16);
  EXPECT_EQ(comb.RingLength(), 262144u);
  const size_t full = DelayedImpulsePosition(comb, 110000);
  EXPECT_NEAR(static_cast<float>(full), fullDelay + 2.0f, 3.0f);
}

// A damaged rate must not ask for gigabytes: the ring stops at kMaxRingLength.
TEST(CombFilterTest, AbsurdRatesAreCappedAndStillProcess) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float hostRate : {1e9f, std::numeric_limits<float>::infinity(), nan, 0.0f, -5.0f}) {
    CombFilter comb;
    comb.SetSampleRate(hostRate, hostRate, 16);
    EXPECT_LE(comb.RingCapacity(), CombFilter::kMaxRingLength) << hostRate;
    EXPECT_GE(comb.RingLength(), 2u) << hostRate;
    EXPECT_LE(comb.MaxDelaySamples() + 2.0f, comb.RingLength()) << hostRate;
    std::vector<float> block(kBlock, 0.25f);
    comb.SetParameters(0.0f, 1.0f, 1.0f);
    comb.Process(block.data(), block.data(), kBlock, 1.0f / kBlock);
  }
}

}  // namespace
}  // namespace VDSP
