// Tests of the sidechain high-pass: the response a listener hears through the follower, the mono
// sum, the nudge that keeps silence off denormals, non-finite input, reset and block splitting.
#include "dsp/SidechainHighPass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "kit/Measure.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr double kRate = 44100.0;
constexpr size_t kSecond = 44100;

// The plug-in draws the nudge from its random generator; any uniform source stands in for it.
class NoiseDither {
 public:
  explicit NoiseDither(uint32_t seed) : noise_(seed) {}
  float Draw(float lo, float hi) { return lo + (hi - lo) * (noise_.Next() * 0.5f + 0.5f); }

 private:
  TestKit::UniformNoise noise_;
};

// No nudge at all, to show what it prevents.
struct NoDither {
  float Draw(float, float) { return 0.0f; }
};

// Remembers the bounds it was asked for.
struct RecordingDither {
  float Draw(float lo, float hi) {
    ++calls;
    low = lo;
    high = hi;
    return 0.0f;
  }
  int calls = 0;
  float low = 0.0f;
  float high = 0.0f;
};

struct Output {
  std::vector<float> left;
  std::vector<float> right;
};

template <typename Dither>
Output RunFilter(SidechainHighPass& filter, const std::vector<float>& in3,
                 const std::vector<float>& in4, Dither& dither, size_t block = kSecond) {
  Output out{std::vector<float>(in3.size()), std::vector<float>(in3.size())};
  for (size_t start = 0; start < in3.size(); start += block) {
    const auto n = static_cast<int32_t>(std::min(block, in3.size() - start));
    filter.Process(in3.data() + start, in4.data() + start, out.left.data() + start,
                   out.right.data() + start, n, dither);
  }
  return out;
}

double GainDb(double hz) {
  SidechainHighPass filter;
  NoiseDither dither(7);
  const std::vector<float> sine = TestKit::Sine(hz, 0.5, kSecond, kRate);
  const Output out = RunFilter(filter, sine, sine, dither);
  // The second half, after the filter has settled.
  return TestKit::Db(TestKit::Amplitude(out.left, kSecond / 2, hz, kRate) / 0.5);
}

struct ResponseCase {
  double hz;
  double lowestDb;
  double highestDb;
};

// Two poles: 12 dB per octave below the corner (about 427.5 Hz at 44.1 kHz), flat within half a
// decibel above it.
const ResponseCase kResponse[] = {
    {50.0, -45.0, -30.0}, {100.0, -33.0, -20.0}, {200.0, -16.0, -10.0}, {427.5, -4.0, -1.5},
    {2000.0, -0.5, 0.5},  {5000.0, -0.5, 0.5},   {10000.0, -0.5, 0.5},
};

TEST(SidechainHighPassTest, CutsTheLowsAndPassesTheHighs) {
  for (const ResponseCase& c : kResponse) {
    const double db = GainDb(c.hz);
    EXPECT_GE(db, c.lowestDb) << c.hz << " Hz";
    EXPECT_LE(db, c.highestDb) << c.hz << " Hz";
  }
  EXPECT_NEAR(GainDb(100.0) - GainDb(50.0), 12.0, 1.0) << "dB per octave well below the corner";
}

TEST(SidechainHighPassTest, FiltersTheMonoSumIntoBothOutputs) {
  const std::vector<float> sine = TestKit::Sine(3000.0, 0.5, kSecond, kRate);
  std::vector<float> opposite(sine.size());
  for (size_t i = 0; i < sine.size(); ++i) opposite[i] = -sine[i];
  const std::vector<float> silence(sine.size(), 0.0f);
  const auto amplitude = [](const Output& out) {
    return TestKit::Amplitude(out.left, kSecond / 2, 3000.0, kRate);
  };
  SidechainHighPass filter;
  NoiseDither dither(3);
  const Output both = RunFilter(filter, sine, sine, dither);
  const Output one = RunFilter(filter, sine, silence, dither);
  const Output cancelled = RunFilter(filter, sine, opposite, dither);
  EXPECT_NEAR(amplitude(one) / amplitude(both), 0.5, 1e-3);
  EXPECT_LT(TestKit::Peak(cancelled.left, kSecond / 2), 1e-6);
  for (const Output* out : {&both, &one, &cancelled}) EXPECT_EQ(out->left, out->right);
}

TEST(SidechainHighPassTest, NudgesTheStateByAtMostOneHundredMillionthPerSample) {
  SidechainHighPass filter;
  RecordingDither dither;
  const std::vector<float> silence(100, 0.0f);
  RunFilter(filter, silence, silence, dither);
  EXPECT_EQ(dither.calls, 100);
  EXPECT_EQ(dither.low, -1e-8f);
  EXPECT_EQ(dither.high, 1e-8f);
}

int CountDenormals(const std::vector<float>& samples) {
  int count = 0;
  for (float x : samples) count += std::fpclassify(x) == FP_SUBNORMAL ? 1 : 0;
  return count;
}

// Ten seconds of silence: the undithered filter rings down into denormal numbers, which cost a
// hundred times more per sample on many processors; the nudge keeps it above them.
TEST(SidechainHighPassTest, SilenceNeverDecaysIntoDenormals) {
  const std::vector<float> silence(10 * kSecond, 0.0f);
  SidechainHighPass undithered;
  NoDither none;
  EXPECT_GT(CountDenormals(RunFilter(undithered, silence, silence, none).left), 0);
  SidechainHighPass dithered;
  NoiseDither dither(11);
  EXPECT_EQ(CountDenormals(RunFilter(dithered, silence, silence, dither).left), 0);
}

TEST(SidechainHighPassTest, RecoversFromNonFiniteInput) {
  const float bad[] = {NAN, INFINITY, -INFINITY};
  for (float value : bad) {
    SidechainHighPass filter;
    NoiseDither dither(5);
    const std::vector<float> broken(64, value);
    RunFilter(filter, broken, broken, dither);
    const std::vector<float> sine = TestKit::Sine(1000.0, 0.5, kSecond, kRate);
    const Output out = RunFilter(filter, sine, sine, dither);
    for (float x : out.left) ASSERT_TRUE(std::isfinite(x)) << value;
    EXPECT_NEAR(TestKit::Amplitude(out.left, kSecond / 2, 1000.0, kRate), 0.5, 0.05) << value;
  }
}

TEST(SidechainHighPassTest, ResetFilterSoundsLikeAFreshOne) {
  const std::vector<float> noise = TestKit::GaussianNoise(4096, 1, 0.3f).left;
  SidechainHighPass used;
  NoiseDither usedDither(9);
  RunFilter(used, noise, noise, usedDither);
  used.Reset();
  SidechainHighPass fresh;
  NoiseDither freshDither(9);
  NoiseDither replayDither(9);
  EXPECT_EQ(RunFilter(used, noise, noise, replayDither).left,
            RunFilter(fresh, noise, noise, freshDither).left);
}

TEST(SidechainHighPassTest, BlockSplitsDoNotChangeTheOutput) {
  const std::vector<float> noise = TestKit::GaussianNoise(4000, 2, 0.3f).left;
  const size_t blocks[] = {1, 3, 64, 1000};
  SidechainHighPass whole;
  NoiseDither wholeDither(13);
  const Output reference = RunFilter(whole, noise, noise, wholeDither, noise.size());
  for (size_t block : blocks) {
    SidechainHighPass split;
    NoiseDither splitDither(13);
    EXPECT_EQ(RunFilter(split, noise, noise, splitDither, block).left, reference.left) << block;
  }
}

}  // namespace
}  // namespace VDSP
