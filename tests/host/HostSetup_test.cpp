// Set-up values hosts send that the plug-in must survive: oversampling factors changing between
// blocks of any length, sample rates and block sizes it cannot work with. Every process call must
// write exactly the frames it was given, and a refused value must leave the sound as it was.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "host/TestHost.h"

namespace tavo::test {
namespace {

constexpr int kBlock = 512;
// -4 dBFS
constexpr float kSineAmplitude = 0.63095734f;
constexpr double kSineHz = 1000.0;
// A sound that clips hard stays below this; a refused value must not get near it.
constexpr float kPeakBound = 4.0f;

struct Played {
  std::vector<float> channels[2];
  bool guardsIntact = true;
  bool allWritten = true;  // every frame finite, none left as the guard pattern
  float peak = 0.0f;
};

// Processes `blocks` blocks of `frames` frames of the test sine, from frame `startFrame` on.
Played PlaySine(const PluginInstance& plugin, double sampleRate, int blocks, int frames,
                int64_t startFrame) {
  Played played;
  GuardedBuffers inputs(4, frames);
  GuardedBuffers outputs(2, frames);
  for (int block = 0; block < blocks; ++block) {
    inputs.FillSine(kSineAmplitude, kSineHz, sampleRate, startFrame + int64_t{block} * frames);
    outputs.FillWithGuard();
    plugin.Process(inputs, outputs, frames);
    played.guardsIntact = played.guardsIntact && inputs.GuardsIntact() && outputs.GuardsIntact();
    played.allWritten = played.allWritten && outputs.AllFinite(frames);
    played.peak = std::max(played.peak, outputs.Peak(frames));
    for (int c = 0; c < 2; ++c) {
      const std::vector<float> samples = outputs.Copy(c, frames);
      played.channels[c].insert(played.channels[c].end(), samples.begin(), samples.end());
    }
  }
  return played;
}

// The first frame where the two differ bit for bit, or -1.
int64_t FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<int64_t>(i);
  }
  return -1;
}

std::string FactorDocument(int factor) {
  return "<root StateVersion=\"2.2\" Oversample=\"" + std::to_string(factor) + "\"/>";
}

class HostSetup : public ::testing::Test {
 protected:
  void SetUp() override { Host().Clear(); }
};

// --- Oversampling factors changing between blocks ----------------------------------------------

struct FactorStep {
  int factor;
  int frames;
};

struct FactorSequence {
  const char* name;
  std::vector<FactorStep> steps;
};

std::vector<FactorStep> RandomFactorWalk(unsigned seed, int steps) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> factor(1, 16);
  std::uniform_int_distribution<int> frames(1, kBlock);
  std::vector<FactorStep> walk;
  for (int step = 0; step < steps; ++step) walk.push_back({factor(random), frames(random)});
  return walk;
}

void PrintTo(const FactorSequence& sequence, std::ostream* out) {
  *out << sequence.steps.size() << " factor changes";
}

class HostSetupFactorChanges : public HostSetup,
                               public ::testing::WithParamInterface<FactorSequence> {};

// A fresh instance, resumed, takes a chunk with another factor before each block.
TEST_P(HostSetupFactorChanges, EveryBlockWritesExactlyTheFramesAsked) {
  constexpr float kRate = 48000.0f;
  PluginInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Start(kRate, kBlock);
  int64_t frame = 0;
  const std::vector<FactorStep>& steps = GetParam().steps;
  for (size_t step = 0; step < steps.size(); ++step) {
    SCOPED_TRACE(testing::Message() << "step " << step << ": x" << steps[step].factor << ", "
                                    << steps[step].frames << " frames");
    ASSERT_EQ(plugin.LoadChunk(FactorDocument(steps[step].factor)), 1);
    const Played played = PlaySine(plugin, kRate, 1, steps[step].frames, frame);
    frame += steps[step].frames;
    ASSERT_TRUE(played.guardsIntact) << "written past the frames asked for";
    ASSERT_TRUE(played.allWritten) << "output not finite or not written";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, HostSetupFactorChanges,
    ::testing::Values(FactorSequence{"ShortBlocksThenAFullOne", {{3, 64}, {4, 64}, {3, 512}}},
                      FactorSequence{"PowersOfTwo",
                                     {{1, 512},
                                      {2, 512},
                                      {4, 512},
                                      {8, 512},
                                      {16, 512},
                                      {8, 256},
                                      {1, 512},
                                      {16, 1},
                                      {16, 512}}},
                      FactorSequence{"OddFactors",
                                     {{3, 511},
                                      {5, 512},
                                      {7, 100},
                                      {9, 512},
                                      {11, 1},
                                      {13, 512},
                                      {15, 333},
                                      {16, 512},
                                      {1, 512}}},
                      FactorSequence{
                          "ExtremesBackAndForth",
                          {{16, 512}, {1, 512}, {16, 7}, {1, 512}, {16, 512}, {15, 512}, {3, 512}}},
                      FactorSequence{"RandomWalk", RandomFactorWalk(20240611u, 50)}),
    [](const ::testing::TestParamInfo<FactorSequence>& info) {
      return std::string(info.param.name);
    });

// --- Refused set-up values: the sound goes on as before ----------------------------------------

// Both instances get the same calls, except that one of them also gets `setup` while suspended.
template <typename SetupCall>
void ExpectRefusedLikeTwin(float sampleRate, const SetupCall& setup) {
  constexpr int kBlocksBefore = 2;
  constexpr int kBlocksAfter = 8;
  PluginInstance tested;
  PluginInstance twin;
  ASSERT_NE(tested.effect(), nullptr);
  ASSERT_NE(twin.effect(), nullptr);
  const auto startAndPlay = [sampleRate](PluginInstance& plugin) {
    plugin.Start(sampleRate, kBlock);
    return PlaySine(plugin, sampleRate, kBlocksBefore, kBlock, 0);
  };
  const Played testedBefore = startAndPlay(tested);
  const Played twinBefore = startAndPlay(twin);
  ASSERT_EQ(FirstDifference(testedBefore.channels[0], twinBefore.channels[0]), -1)
      << "two fresh instances sound different";
  tested.Dispatch(vst::effMainsChanged, 0, 0);
  setup(tested);
  tested.Dispatch(vst::effMainsChanged, 0, 1);
  twin.Dispatch(vst::effMainsChanged, 0, 0);
  twin.Dispatch(vst::effMainsChanged, 0, 1);
  const int64_t startFrame = int64_t{kBlocksBefore} * kBlock;
  const Played played = PlaySine(tested, sampleRate, kBlocksAfter, kBlock, startFrame);
  const Played expected = PlaySine(twin, sampleRate, kBlocksAfter, kBlock, startFrame);
  EXPECT_TRUE(played.guardsIntact) << "written past the frames asked for";
  EXPECT_TRUE(played.allWritten) << "output not finite or not written";
  EXPECT_LT(played.peak, kPeakBound);
  for (int c = 0; c < 2; ++c) {
    const int64_t difference = FirstDifference(played.channels[c], expected.channels[c]);
    EXPECT_EQ(difference, -1) << "channel " << c << " differs from frame " << difference
                              << " on from the instance that never got the value";
  }
}

struct BadRate {
  const char* name;
  float hz;
};

void PrintTo(const BadRate& rate, std::ostream* out) {
  *out << rate.hz << " Hz";
}

class HostSetupBadRate : public HostSetup, public ::testing::WithParamInterface<BadRate> {};

TEST_P(HostSetupBadRate, IsRefusedAndTheSoundStaysAsItWas) {
  const float rate = GetParam().hz;
  ExpectRefusedLikeTwin(48000.0f, [rate](const PluginInstance& plugin) {
    plugin.Dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
  });
}

// The plug-in works from 8 kHz to 384 kHz.
INSTANTIATE_TEST_SUITE_P(
    OutsideTheWorkingRange, HostSetupBadRate,
    ::testing::Values(BadRate{"OneHz", 1.0f}, BadRate{"HundredHz", 100.0f},
                      BadRate{"JustBelow8kHz", 7999.0f}, BadRate{"JustAbove384kHz", 384001.0f},
                      BadRate{"TenMHz", 1.0e7f}, BadRate{"Zero", 0.0f},
                      BadRate{"Negative", -44100.0f},
                      BadRate{"NaN", std::numeric_limits<float>::quiet_NaN()},
                      BadRate{"Infinity", std::numeric_limits<float>::infinity()},
                      BadRate{"MinusInfinity", -std::numeric_limits<float>::infinity()}),
    [](const ::testing::TestParamInfo<BadRate>& info) { return std::string(info.param.name); });

struct BadBlockSize {
  const char* name;
  vst::VstIntPtr frames;
};

void PrintTo(const BadBlockSize& size, std::ostream* out) {
  *out << size.frames << " frames";
}

class HostSetupBadBlockSize : public HostSetup,
                              public ::testing::WithParamInterface<BadBlockSize> {};

TEST_P(HostSetupBadBlockSize, LeavesTheSoundAsItWas) {
  const vst::VstIntPtr frames = GetParam().frames;
  ExpectRefusedLikeTwin(44100.0f, [frames](const PluginInstance& plugin) {
    plugin.Dispatch(vst::effSetBlockSize, 0, frames);
  });
}

INSTANTIATE_TEST_SUITE_P(HugeZeroOrNegative, HostSetupBadBlockSize,
                         ::testing::Values(BadBlockSize{"Zero", 0}, BadBlockSize{"MinusOne", -1},
                                           BadBlockSize{"Minus512", -512},
                                           BadBlockSize{"IntMin", INT_MIN},
                                           BadBlockSize{"TwoTo24", 1 << 24},
                                           BadBlockSize{"TwoTo30", 1 << 30},
                                           BadBlockSize{"IntMax", INT_MAX}),
                         [](const ::testing::TestParamInfo<BadBlockSize>& info) {
                           return std::string(info.param.name);
                         });

// An offline bounce announces long blocks; a host block longer still is processed in pieces, and
// every part of it sounds.
TEST_F(HostSetup, LongBlocksSoundThroughout) {
  constexpr float kRate = 48000.0f;
  constexpr int kAnnounced = 8192;
  constexpr int kWindow = 1000;
  // The default sound passes the -4 dBFS sine at about unity (RMS 0.45); below this is a dropout.
  constexpr double kAudibleRms = 0.1;
  PluginInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Start(kRate, kBlock);
  plugin.Dispatch(vst::effMainsChanged, 0, 0);
  plugin.Dispatch(vst::effSetBlockSize, 0, kAnnounced);
  plugin.Dispatch(vst::effMainsChanged, 0, 1);
  int64_t frame = 0;
  for (int frames : {kAnnounced, 20000}) {
    SCOPED_TRACE(testing::Message() << frames << " frames");
    const Played played = PlaySine(plugin, kRate, 1, frames, frame);
    frame += frames;
    ASSERT_TRUE(played.guardsIntact) << "written past the frames asked for";
    ASSERT_TRUE(played.allWritten) << "output not finite or not written";
    for (int c = 0; c < 2; ++c) {
      for (int start = 0; start + kWindow <= frames; start += kWindow) {
        double energy = 0.0;
        for (int i = start; i < start + kWindow; ++i) {
          energy += double{played.channels[c][i]} * played.channels[c][i];
        }
        ASSERT_GT(std::sqrt(energy / kWindow), kAudibleRms)
            << "channel " << c << ", frames " << start << " to " << start + kWindow;
      }
    }
  }
}

}  // namespace
}  // namespace tavo::test
