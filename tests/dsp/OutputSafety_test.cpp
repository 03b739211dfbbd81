// Tests of the output safety limiter: bit-exact pass below the ceiling, bounded smooth limiting,
// release back to the exact pass, non-finite samples, stereo link, bypass and reset.
#include "dsp/OutputSafety.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "dsp/FlushDenormals.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 48000.0f;
// -4 dBFS, the loudest input the plug-in is specified for.
constexpr float kQuietAmplitude = 0.63095734f;
constexpr float kPlus60Db = 1000.0f;

using TestKit::Peak;
using TestKit::Stereo;

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

bool SameBits(const Stereo& a, const Stereo& b) {
  return SameBits(a.left, b.left) && SameBits(a.right, b.right);
}

// A sine starting at phase 0; at 1 kHz and 48 kHz every 48th sample lands on the crest exactly.
std::vector<float> Sine(double hz, double amplitude, size_t frames, float rate = kRate) {
  return TestKit::Sine(hz, amplitude, frames, rate);
}

Stereo SinePair(double hz, double amplitude, size_t frames, float rate = kRate) {
  return TestKit::Both(Sine(hz, amplitude, frames, rate));
}

size_t Frames(float ms, float rate = kRate) {
  return static_cast<size_t>(std::lround(ms * rate / 1000.0f));
}

Stereo Concatenate(const Stereo& a, const Stereo& b) {
  Stereo s = a;
  s.left.insert(s.left.end(), b.left.begin(), b.left.end());
  s.right.insert(s.right.end(), b.right.begin(), b.right.end());
  return s;
}

// Processes in place in blocks of `block` frames, as a host would.
void ProcessInBlocks(OutputSafety& safety, Stereo& s, size_t block = 256) {
  for (size_t at = 0; at < s.Size(); at += block) {
    const auto n = static_cast<int32_t>(std::min(block, s.Size() - at));
    safety.Process(s.left.data() + at, s.right.data() + at, n);
  }
}

// Processes one frame at a time and returns the gain after each.
std::vector<float> ProcessRecordingGain(OutputSafety& safety, Stereo& s) {
  std::vector<float> gains(s.Size());
  for (size_t i = 0; i < s.Size(); ++i) {
    safety.Process(&s.left[i], &s.right[i], 1);
    gains[i] = safety.Gain();
  }
  return gains;
}

double LargestStep(const std::vector<float>& s, size_t from) {
  double step = 0.0;
  for (size_t i = from + 1; i < s.size(); ++i) {
    step = std::max(step, std::fabs(double{s[i]} - double{s[i - 1]}));
  }
  return step;
}

class RoundingScope {
 public:
  explicit RoundingScope(int mode) : previous_(std::fegetround()) { std::fesetround(mode); }
  ~RoundingScope() { std::fesetround(previous_); }

 private:
  int previous_;
};

TEST(OutputSafety, PassesBitExactBelowTheCeiling) {
  const float justBelow = std::nextafter(OutputSafety::kCeiling, 0.0f);
  Stereo sineJustBelow = SinePair(1000.0, justBelow, 4800);
  ASSERT_EQ(Peak(sineJustBelow.left), justBelow);
  Stereo sineAtCeiling = SinePair(1000.0, OutputSafety::kCeiling, 4800);
  sineAtCeiling.right = Sine(1000.0, -OutputSafety::kCeiling, 4800);
  ASSERT_EQ(Peak(sineAtCeiling.left), OutputSafety::kCeiling);
  Stereo noise(4801);
  uint32_t seed = 1u;
  for (size_t i = 0; i < noise.Size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    const float white = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
    noise.left[i] = white * OutputSafety::kCeiling;
    noise.right[i] = -0.5f * white;
  }
  Stereo tiny(7);
  tiny.left = {0.0f, -0.0f, 1e-40f, -1e-45f, FLT_MIN, -1e-30f, 1e-7f};
  tiny.right = {-0.0f, 0.0f, -1e-40f, 1e-45f, -FLT_MIN, 1e-30f, -1e-7f};

  for (const Stereo* signal : {&sineJustBelow, &sineAtCeiling, &noise, &tiny}) {
    for (size_t block : {1u, 3u, 64u, 256u}) {
      OutputSafety safety;
      safety.SetSampleRate(kRate);
      Stereo out = *signal;
      ProcessInBlocks(safety, out, block);
      EXPECT_TRUE(SameBits(out, *signal)) << "block " << block << " size " << signal->Size();
      EXPECT_EQ(safety.Gain(), 1.0f);
    }
  }
}

// Also with denormals flushed, as inside the plug-in's block: untouched means not even multiplied.
TEST(OutputSafety, SamplesBeforeTheFirstLoudOneAreUntouched) {
  OutputSafety safety;
  safety.SetSampleRate(kRate);
  Stereo in = SinePair(440.0, kQuietAmplitude, 256);
  in.left[100] = 1e-40f;
  in.right[101] = -1e-42f;
  in.left[200] = kPlus60Db;
  Stereo out = in;
  {
    const FlushDenormalsScope flush;
    ProcessInBlocks(safety, out);
  }
  EXPECT_EQ(std::memcmp(out.left.data(), in.left.data(), 200 * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(out.right.data(), in.right.data(), 200 * sizeof(float)), 0);
  EXPECT_LE(out.left[200], OutputSafety::kHardBound);
  EXPECT_GT(out.left[200], OutputSafety::kCeiling);
  EXPECT_LT(safety.Gain(), 0.01f);
}

// A steady loud tone comes out finite, under the bound, still loud, and shaped like a sine: a hard
// clipper would turn it into a square wave whose steps are large against its peak.
TEST(OutputSafety, LoudSinesStayBoundedFiniteAndSmooth) {
  struct Case {
    double hz;
    double amplitude;
    int rounding;
  };
  const Case cases[] = {
      {1000.0, kPlus60Db, FE_TONEAREST},    {50.0, kPlus60Db, FE_TONEAREST},
      {20.0, kPlus60Db, FE_TONEAREST},      {5000.0, kPlus60Db, FE_DOWNWARD},
      {1000.0, 10.0, FE_DOWNWARD},          {1000.0, 1e30, FE_TONEAREST},
      {1000.0, double{FLT_MAX}, FE_UPWARD}, {12000.0, double{FLT_MAX}, FE_DOWNWARD},
  };
  for (const Case& c : cases) {
    const Stereo in = SinePair(c.hz, c.amplitude, Frames(1000.0f));
    Stereo out = in;
    {
      const RoundingScope rounding(c.rounding);
      OutputSafety safety;
      safety.SetSampleRate(kRate);
      ProcessInBlocks(safety, out);
    }
    for (size_t i = 0; i < out.Size(); ++i) {
      ASSERT_TRUE(std::isfinite(out.left[i])) << c.hz << " Hz " << c.amplitude << " at " << i;
      ASSERT_LE(std::fabs(out.left[i]), OutputSafety::kHardBound) << c.hz << " " << c.amplitude;
    }
    EXPECT_TRUE(SameBits(out.left, out.right));
    const size_t settled = Frames(100.0f);
    const double outPeak = Peak(out.left, settled);
    EXPECT_GT(outPeak, OutputSafety::kCeiling) << c.hz << " Hz " << c.amplitude;
    const double inSlope = LargestStep(in.left, settled) / Peak(in.left, settled);
    const double outSlope = LargestStep(out.left, settled) / outPeak;
    EXPECT_LE(outSlope, 1.05 * inSlope) << c.hz << " Hz " << c.amplitude;
  }
}

// The soft knee: output crest f(p) = C + W (p - C) / (W + p - C), W = B - C, for a held tone.
TEST(OutputSafety, KneeSetsTheOutputPeak) {
  struct Case {
    float inputDb;
    float outputPeak;
  };
  const Case cases[] = {
      {13.0f, 4.4137855f}, {14.0f, 4.7990649f}, {20.0f, 6.3704044f},
      {40.0f, 7.7862616f}, {60.0f, 7.9275829f},
  };
  for (const Case& c : cases) {
    const double amplitude = std::pow(10.0, c.inputDb / 20.0);
    Stereo out = SinePair(1000.0, amplitude, Frames(100.0f));
    OutputSafety safety;
    safety.SetSampleRate(kRate);
    ProcessInBlocks(safety, out);
    EXPECT_NEAR(Peak(out.left, Frames(10.0f)), c.outputPeak, 2e-6 * c.outputPeak) << c.inputDb;
  }
}

// After a burst the gain is held for the hold time, then rises without a step back to exactly 1
// within kHoldMs + kReleaseMs * ln((D + 3) / 3) for a reduction of D dB; from then on the pass is
// bit-exact again.
TEST(OutputSafety, RecoversToTheExactPassWithinTheStatedTime) {
  struct Case {
    double burstAmplitude;
    float rate;
  };
  const Case cases[] = {
      {4.4668359, 48000.0f},  // +13 dBFS
      {kPlus60Db, 48000.0f}, {kPlus60Db, 96000.0f},       {kPlus60Db, 44100.0f},
      {1e30, 44100.0f},      {double{FLT_MAX}, 48000.0f}, {double{FLT_MAX}, 192000.0f},
  };
  for (const Case& c : cases) {
    OutputSafety safety;
    safety.SetSampleRate(c.rate);
    Stereo burst = SinePair(1000.0, c.burstAmplitude, Frames(20.0f, c.rate), c.rate);
    // The burst ends on its loudest sample, so the hold starts with the quiet part.
    burst.left.back() = burst.right.back() = static_cast<float>(c.burstAmplitude);
    ProcessInBlocks(safety, burst);
    const float heldGain = safety.Gain();
    ASSERT_LT(heldGain, 1.0f);
    const double reductionDb = -20.0 * std::log10(double{heldGain});
    const double statedMs =
        OutputSafety::kHoldMs + OutputSafety::kReleaseMs * std::log((reductionDb + 3.0) / 3.0);
    ASSERT_LE(statedMs, OutputSafety::kLongestRecoveryMs);

    const Stereo quiet = SinePair(440.0, kQuietAmplitude, Frames(400.0f, c.rate), c.rate);
    Stereo out = quiet;
    const std::vector<float> gains = ProcessRecordingGain(safety, out);
    const size_t holdEnd = Frames(OutputSafety::kHoldMs, c.rate) - 1;
    for (size_t i = 0; i < holdEnd; ++i) ASSERT_EQ(gains[i], heldGain) << i;
    EXPECT_GT(gains[holdEnd + 2], heldGain);
    for (size_t i = 1; i < gains.size(); ++i) ASSERT_GE(gains[i], gains[i - 1]) << i;
    size_t recovered = 0;
    while (recovered < gains.size() && gains[recovered] < 1.0f) ++recovered;
    const double recoveredMs = 1000.0 * static_cast<double>(recovered) / c.rate;
    EXPECT_NEAR(recoveredMs, statedMs, 0.1) << c.burstAmplitude << " at " << c.rate;
    ASSERT_LT(recovered, gains.size());
    EXPECT_EQ(std::memcmp(out.left.data() + recovered, quiet.left.data() + recovered,
                          (quiet.Size() - recovered) * sizeof(float)),
              0);
    // No step at the end of the release: the last rise is a small fraction of a dB.
    ASSERT_GT(recovered, 0u);
    EXPECT_GT(gains[recovered - 1], 0.999f) << c.burstAmplitude << " at " << c.rate;
  }
}

TEST(OutputSafety, IgnoresUnusableSampleRates) {
  for (float rate : {0.0f, -48000.0f, NAN, INFINITY}) {
    OutputSafety reference;
    reference.SetSampleRate(96000.0f);
    OutputSafety safety;
    safety.SetSampleRate(96000.0f);
    safety.SetSampleRate(rate);
    Stereo signal = Concatenate(SinePair(1000.0, kPlus60Db, 960, 96000.0f),
                                SinePair(440.0, kQuietAmplitude, 19200, 96000.0f));
    Stereo expected = signal;
    ProcessInBlocks(reference, expected);
    ProcessInBlocks(safety, signal);
    EXPECT_TRUE(SameBits(signal, expected)) << rate;
  }
}

// A NaN or infinite sample leaves as silence and acts on the gain exactly as a 0 would.
TEST(OutputSafety, NonFiniteSamplesActAsSilence) {
  const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                          -std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::signaling_NaN(), INFINITY, -INFINITY};
  enum class Where { kLeft, kRight, kBoth };
  for (const double context : {double{kQuietAmplitude}, double{kPlus60Db}}) {
    for (const float value : values) {
      for (const Where where : {Where::kLeft, Where::kRight, Where::kBoth}) {
        Stereo withZero = SinePair(1000.0, context, Frames(200.0f));
        Stereo withValue = withZero;
        // 12 is a crest of the tone.
        for (size_t at : {size_t{6}, size_t{12}, size_t{300}, size_t{301}}) {
          if (where != Where::kRight) {
            withZero.left[at] = 0.0f;
            withValue.left[at] = value;
          }
          if (where != Where::kLeft) {
            withZero.right[at] = 0.0f;
            withValue.right[at] = value;
          }
        }
        const Stereo zeroedInput = withZero;
        OutputSafety a;
        OutputSafety b;
        ProcessInBlocks(a, withZero);
        ProcessInBlocks(b, withValue);
        EXPECT_TRUE(SameBits(withValue, withZero)) << context << " " << value;
        EXPECT_EQ(a.Gain(), b.Gain());
        if (context < OutputSafety::kCeiling) {
          EXPECT_TRUE(SameBits(withValue, zeroedInput));
        }
      }
    }
  }
  OutputSafety safety;
  Stereo quiet = SinePair(440.0, kQuietAmplitude, 64);
  const Stereo expected = quiet;
  quiet.left[10] = INFINITY;
  ProcessInBlocks(safety, quiet);
  EXPECT_EQ(quiet.left[10], 0.0f);
  quiet.left[10] = expected.left[10];
  EXPECT_TRUE(SameBits(quiet, expected));
  EXPECT_EQ(safety.Gain(), 1.0f);
}

// One loud channel turns the other down by the same gain, so the stereo image stays put.
TEST(OutputSafety, OneGainForBothChannels) {
  for (const bool loudLeft : {true, false}) {
    const std::vector<float> loud = Sine(1000.0, kPlus60Db, Frames(100.0f));
    const std::vector<float> quiet = Sine(330.0, kQuietAmplitude, Frames(100.0f));
    Stereo in(loud.size());
    in.left = loudLeft ? loud : quiet;
    in.right = loudLeft ? quiet : loud;
    Stereo out = in;
    OutputSafety safety;
    safety.SetSampleRate(kRate);
    const std::vector<float> gains = ProcessRecordingGain(safety, out);
    const std::vector<float>& quietIn = loudLeft ? in.right : in.left;
    const std::vector<float>& quietOut = loudLeft ? out.right : out.left;
    const std::vector<float>& loudOut = loudLeft ? out.left : out.right;
    for (size_t i = 0; i < gains.size(); ++i) {
      ASSERT_EQ(quietOut[i], quietIn[i] * gains[i]) << i;
      ASSERT_EQ(loudOut[i], loud[i] * gains[i]) << i;
    }
    // About 42 dB of reduction on the quiet channel too.
    EXPECT_NEAR(Peak(quietOut, Frames(10.0f)), kQuietAmplitude * 7.9275829f / kPlus60Db, 1e-4);
  }
}

TEST(OutputSafety, DisabledLeavesEverythingUntouched) {
  OutputSafety safety;
  safety.SetSampleRate(kRate);
  EXPECT_TRUE(safety.Enabled());
  Stereo loud = SinePair(1000.0, kPlus60Db, 480);
  ProcessInBlocks(safety, loud);
  ASSERT_LT(safety.Gain(), 1.0f);

  safety.SetEnabled(false);
  EXPECT_FALSE(safety.Enabled());
  Stereo wild = SinePair(1000.0, double{FLT_MAX}, 480);
  wild.left[3] = std::numeric_limits<float>::quiet_NaN();
  wild.left[4] = -std::numeric_limits<float>::signaling_NaN();
  wild.right[5] = INFINITY;
  wild.right[6] = -INFINITY;
  wild.right[7] = 1e30f;
  const Stereo expected = wild;
  ProcessInBlocks(safety, wild, 100);
  EXPECT_TRUE(SameBits(wild, expected));

  // Switched on again, it starts from unity: no reduction left over from before.
  safety.SetEnabled(true);
  Stereo quiet = SinePair(440.0, kQuietAmplitude, 480);
  const Stereo quietExpected = quiet;
  ProcessInBlocks(safety, quiet);
  EXPECT_TRUE(SameBits(quiet, quietExpected));
  EXPECT_EQ(safety.Gain(), 1.0f);
}

TEST(OutputSafety, ResetEqualsFresh) {
  constexpr float kRate96 = 96000.0f;
  const Stereo signal = Concatenate(SinePair(1000.0, 20.0, 960, kRate96),
                                    SinePair(440.0, kQuietAmplitude, 9600, kRate96));
  OutputSafety fresh;
  fresh.SetSampleRate(kRate96);
  Stereo expected = signal;
  ProcessInBlocks(fresh, expected, 64);

  OutputSafety used;
  used.SetSampleRate(kRate96);
  Stereo burst = SinePair(50.0, kPlus60Db, 4800, kRate96);
  ProcessInBlocks(used, burst);
  ASSERT_LT(used.Gain(), 1.0f);
  used.Reset();
  EXPECT_EQ(used.Gain(), 1.0f);
  Stereo out = signal;
  ProcessInBlocks(used, out, 64);
  EXPECT_TRUE(SameBits(out, expected));
}

TEST(OutputSafety, EmptyBlockDoesNothing) {
  OutputSafety safety;
  float left = INFINITY;
  float right = kPlus60Db;
  safety.Process(&left, &right, 0);
  safety.Process(&left, &right, -3);
  EXPECT_EQ(left, INFINITY);
  EXPECT_EQ(right, kPlus60Db);
  EXPECT_EQ(safety.Gain(), 1.0f);
}

}  // namespace
}  // namespace VDSP
