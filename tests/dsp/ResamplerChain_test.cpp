// Tests of the resampler chain: stage choice per ratio, the 2x pair's response and latency, block
// handling, fractional ratios, recovery and reset.
#include "dsp/ResamplerChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <vector>

#include "dsp/UpsamplerStageIIR.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

using Direction = ResamplerChain::Direction;

constexpr double kBaseRate = 44100.0;

// Sine with a period of whole samples when cyclesPerSample is a ratio of small integers, computed
// in double so the input itself adds no spurs.
std::vector<float> Sine(double cyclesPerSample, size_t length, double amplitude = 1.0) {
  return TestKit::Sine(cyclesPerSample, amplitude, length, 1.0);
}

// Complex amplitude of the component at cyclesPerSample over signal[start, start + length). With a
// whole number of periods in the window, other whole-period tones do not leak into it.
std::complex<double> Tone(const std::vector<float>& signal, size_t start, size_t length,
                          double cyclesPerSample) {
  std::complex<double> sum = 0.0;
  for (size_t n = 0; n < length; ++n) {
    const double phase = 2.0 * TestKit::kPi * cyclesPerSample * static_cast<double>(n + start);
    sum += static_cast<double>(signal[start + n]) * std::polar(1.0, -phase);
  }
  return sum * (2.0 / static_cast<double>(length));
}

using TestKit::Db;

// Both outputs of a conversion.
struct Converted {
  std::vector<float> left;
  std::vector<float> right;
};

// Runs a whole mono signal (fed to both channels) through a chain in blocks of blockFrames.
Converted Convert(ResamplerChain& chain, const std::vector<float>& input, int blockFrames) {
  Converted run;
  std::vector<float> outLeft(static_cast<size_t>(chain.MaxOutputFrames(blockFrames)));
  std::vector<float> outRight(outLeft.size());
  for (size_t start = 0; start < input.size(); start += static_cast<size_t>(blockFrames)) {
    const int frames =
        static_cast<int>(std::min(input.size() - start, static_cast<size_t>(blockFrames)));
    chain.SetBlock(frames);
    const int produced =
        chain.Process(outLeft.data(), outRight.data(), input.data() + start, input.data() + start);
    EXPECT_LE(produced, chain.MaxOutputFrames(frames));
    run.left.insert(run.left.end(), outLeft.begin(), outLeft.begin() + produced);
    run.right.insert(run.right.end(), outRight.begin(), outRight.begin() + produced);
  }
  return run;
}

void Configure(ResamplerChain& chain, double inputRate, double outputRate, int maxFrames) {
  chain.SetRates(inputRate, outputRate);
  chain.Prepare(maxFrames);
}

// --- Chain configuration ----------------------------------------------------------------------

struct StageCase {
  double inputRate;
  double outputRate;
  Direction direction;
  std::vector<int> positions;
  bool fractional;
};

TEST(ResamplerChain, ChoosesStagesForTheRatio) {
  const StageCase cases[] = {
      {kBaseRate, kBaseRate, Direction::kNone, {}, false},
      {kBaseRate, 2 * kBaseRate, Direction::kUp, {0}, false},
      {2 * kBaseRate, kBaseRate, Direction::kDown, {0}, false},
      {kBaseRate, 4 * kBaseRate, Direction::kUp, {0, 1}, false},
      {4 * kBaseRate, kBaseRate, Direction::kDown, {1, 0}, false},
      {kBaseRate, 16 * kBaseRate, Direction::kUp, {0, 1, 2, 3}, false},
      {16 * kBaseRate, kBaseRate, Direction::kDown, {3, 2, 1, 0}, false},
      {kBaseRate, 3 * kBaseRate, Direction::kUp, {0, 1}, true},
      {3 * kBaseRate, kBaseRate, Direction::kDown, {1, 0}, true},
      {kBaseRate, 48000.0, Direction::kUp, {0}, true},
      {48000.0, kBaseRate, Direction::kDown, {0}, true},
  };
  for (const StageCase& c : cases) {
    ResamplerChain chain;
    EXPECT_TRUE(chain.SetRates(c.inputRate, c.outputRate));
    SCOPED_TRACE(testing::Message() << c.inputRate << " -> " << c.outputRate);
    EXPECT_EQ(chain.GetDirection(), c.direction);
    ASSERT_EQ(chain.ActiveStageCount(), static_cast<int>(c.positions.size()));
    for (int i = 0; i < chain.ActiveStageCount(); ++i) {
      EXPECT_EQ(chain.ActiveStagePosition(i), c.positions[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(chain.HasFractionalStage(), c.fractional);
  }
}

TEST(ResamplerChain, Factor2UsesTheSteepNineCoefficientStage) {
  ResamplerChain chain;
  chain.SetRates(kBaseRate, 2 * kBaseRate);
  ASSERT_EQ(chain.ActiveStageCount(), 1);
  EXPECT_EQ(chain.ActiveStage(0).CoefficientCount(), 9);
  EXPECT_DOUBLE_EQ(chain.ActiveStage(0).TransitionBandwidth(), 0.05);
}

TEST(ResamplerChain, ClampsRatiosBeyondSixteen) {
  ResamplerChain chain;
  EXPECT_FALSE(chain.SetRates(kBaseRate, 32 * kBaseRate));
  EXPECT_DOUBLE_EQ(chain.OutputRateHz(), 16 * kBaseRate);
  EXPECT_EQ(chain.ActiveStageCount(), 4);
  EXPECT_FALSE(chain.HasFractionalStage());

  EXPECT_FALSE(chain.SetRates(kBaseRate, kBaseRate / 100.0));
  EXPECT_DOUBLE_EQ(chain.OutputRateHz(), kBaseRate / 16.0);
  EXPECT_EQ(chain.GetDirection(), Direction::kDown);
  EXPECT_EQ(chain.ActiveStageCount(), 4);
}

TEST(ResamplerChain, InvalidRatesGiveAPlainCopy) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, double> cases[] = {{0.0, kBaseRate}, {kBaseRate, -1.0}, {nan, nan}};
  for (const auto& [in, out] : cases) {
    ResamplerChain chain;
    EXPECT_FALSE(chain.SetRates(in, out));
    EXPECT_EQ(chain.GetDirection(), Direction::kNone);
    EXPECT_FALSE(chain.HasFractionalStage());
  }
}

// --- Signal behaviour -------------------------------------------------------------------------

TEST(ResamplerChain, Factor1CopiesTheSignalUnchanged) {
  ResamplerChain chain;
  Configure(chain, kBaseRate, kBaseRate, 512);
  const std::vector<float> input = Sine(0.0123, 1000, 0.7);
  const Converted run = Convert(chain, input, 128);
  EXPECT_EQ(run.left, input);
  EXPECT_EQ(run.right, input);
}

TEST(ResamplerChain, UpThenDownPassesDcWithUnitGain) {
  for (int factor : {2, 4, 8, 16}) {
    ResamplerChain up;
    ResamplerChain down;
    Configure(up, kBaseRate, factor * kBaseRate, 64 * factor);
    Configure(down, factor * kBaseRate, kBaseRate, 64 * factor);
    const std::vector<float> dc(4096, 0.5f);
    const Converted upRun = Convert(up, dc, 64);
    const Converted downRun = Convert(down, upRun.left, 64 * factor);
    ASSERT_EQ(downRun.left.size(), dc.size());
    for (size_t n = 2048; n < dc.size(); ++n) {
      ASSERT_NEAR(downRun.left[n], 0.5f, 2e-6f) << "factor " << factor << ", sample " << n;
    }
  }
}

// Going up, path 0 fills the even and path 1 the odd samples; going down, path 0 filters the odd
// and path 1 the even ones. A 2x pair therefore collapses to all nine allpass sections in series at
// the base rate: unit gain everywhere, with a known phase. Any mix-up of paths or sample order
// breaks that.
TEST(ResamplerChain, Factor2PairIsTheNineSectionAllpass) {
  UpsamplerStageIIR<9> reference(0.05);
  ResamplerChain up;
  ResamplerChain down;
  Configure(up, kBaseRate, 2 * kBaseRate, 1024);
  Configure(down, 2 * kBaseRate, kBaseRate, 1024);

  constexpr size_t kLength = 8000;
  constexpr size_t kSettle = 4000;
  for (double cycles : {0.0125, 0.1, 0.25, 0.4}) {  // 551 Hz ... 17.6 kHz
    up.Reset();
    down.Reset();
    const std::vector<float> input = Sine(cycles, kLength);
    const Converted upRun = Convert(up, input, 100);
    const Converted downRun = Convert(down, upRun.left, 200);
    ASSERT_EQ(downRun.left.size(), kLength);
    EXPECT_EQ(downRun.left, downRun.right);

    const std::complex<double> measured = Tone(downRun.left, kSettle, kLength - kSettle, cycles) /
                                          Tone(input, kSettle, kLength - kSettle, cycles);
    std::complex<double> expected = 1.0;
    const std::complex<double> zInverse = std::polar(1.0, -2.0 * TestKit::kPi * cycles);
    for (int i = 0; i < 9; ++i) {
      const double a = reference.Coefficient(i);
      expected *= (a + zInverse) / (1.0 + a * zInverse);
    }
    EXPECT_NEAR(std::abs(measured), 1.0, 1e-4) << "cycles " << cycles;
    EXPECT_NEAR(std::abs(measured - expected), 0.0, 1e-4) << "cycles " << cycles;
  }
}

// Low-frequency delay of the 2x pair: the sum of the sections' DC group delays (1 - a) / (1 + a),
// about 3.68 base-rate samples.
TEST(ResamplerChain, Factor2PairDelaysLowFrequenciesByTheDesignedLatency) {
  UpsamplerStageIIR<9> reference(0.05);
  double expectedDelay = 0.0;
  for (int i = 0; i < 9; ++i) {
    const double a = reference.Coefficient(i);
    expectedDelay += (1.0 - a) / (1.0 + a);
  }
  ResamplerChain up;
  ResamplerChain down;
  Configure(up, kBaseRate, 2 * kBaseRate, 1024);
  Configure(down, 2 * kBaseRate, kBaseRate, 1024);
  constexpr double kCycles = 1.0 / 400.0;  // 110 Hz
  const std::vector<float> input = Sine(kCycles, 8000);
  const Converted run = Convert(down, Convert(up, input, 256).left, 512);
  const double phase =
      std::arg(Tone(run.left, 4000, 4000, kCycles) / Tone(input, 4000, 4000, kCycles));
  const double delay = -phase / (2.0 * TestKit::kPi * kCycles);
  EXPECT_NEAR(delay, expectedDelay, 0.01);
  EXPECT_NEAR(expectedDelay, 3.68, 0.01);
}

struct RejectionCase {
  bool upsampling;
  double minimumDb;
};

// A 19.845 kHz tone (0.45 of 44.1 kHz) sits at the passband edge of the factor-2 filter; its mirror
// at 24.255 kHz sits at the stopband edge, where the nine-coefficient design rejects about 118 dB
// with single-precision coefficients. Going up the mirror is the image in the 88.2 kHz output;
// going down, a 24.255 kHz tone in the 88.2 kHz input folds onto 19.845 kHz.
TEST(ResamplerChain, Factor2RejectsImagesAndAliasesAtTheBandEdge) {
  constexpr size_t kSettle = 4000;
  constexpr size_t kWindow = 16000;  // a multiple of both tones' periods (20 and 40 samples)
  {
    ResamplerChain up;
    Configure(up, kBaseRate, 2 * kBaseRate, 1024);
    const std::vector<float> input = Sine(0.45, (kSettle + kWindow) / 2);
    const Converted run = Convert(up, input, 256);
    const double wanted = std::abs(Tone(run.left, kSettle, kWindow, 0.225));
    const double image = std::abs(Tone(run.left, kSettle, kWindow, 0.275));
    EXPECT_NEAR(wanted, 1.0, 1e-3);
    EXPECT_GT(Db(wanted / image), 115.0) << "image rejection " << Db(wanted / image) << " dB";
  }
  {
    ResamplerChain down;
    Configure(down, 2 * kBaseRate, kBaseRate, 1024);
    const std::vector<float> aliasing = Sine(0.275, kSettle + kWindow);
    const Converted run = Convert(down, aliasing, 512);
    const double folded = std::abs(Tone(run.left, kSettle / 2, kWindow / 2, 0.45));
    EXPECT_GT(Db(1.0 / folded), 115.0) << "alias rejection " << Db(1.0 / folded) << " dB";
  }
}

TEST(ResamplerChain, Factor2PassesTheAudioBandAndStopsAboveIt) {
  ResamplerChain down;
  Configure(down, 2 * kBaseRate, kBaseRate, 1024);
  // 1 kHz-ish and 17.6 kHz pass at unit gain; 30.9 kHz (0.35 of 88.2 kHz) is gone.
  const std::pair<double, double> cases[] = {{0.0125, 1.0}, {0.2, 1.0}, {0.35, 0.0}};
  for (const auto& [cycles, gain] : cases) {
    down.Reset();
    const std::vector<float> input = Sine(cycles, 16000);
    const Converted run = Convert(down, input, 512);
    const double level = std::abs(Tone(run.left, 2000, 6000, 2.0 * cycles - (cycles > 0.25)));
    EXPECT_NEAR(level, gain, 1e-4) << "cycles " << cycles;
  }
}

TEST(ResamplerChain, BlockSplitsDoNotChangeTheOutput) {
  const std::vector<float> input = Sine(0.0371, 3000);
  const std::pair<double, double> rates[] = {{kBaseRate, 4 * kBaseRate},
                                             {4 * kBaseRate, kBaseRate},
                                             {kBaseRate, 48000.0},
                                             {48000.0, kBaseRate}};
  for (const auto& [in, out] : rates) {
    ResamplerChain whole;
    Configure(whole, in, out, 1 << 16);
    const Converted reference = Convert(whole, input, static_cast<int>(input.size()));

    // Odd sizes: a downsampling chain must hold unpaired samples over to the next block.
    ResamplerChain split;
    Configure(split, in, out, 1 << 16);
    Converted pieces;
    const int sizes[] = {1, 7, 64, 3, 250, 5, 1000};
    size_t start = 0;
    std::vector<float> left(1 << 14), right(1 << 14);
    for (int i = 0; start < input.size(); ++i) {
      const int frames = static_cast<int>(std::min<size_t>(sizes[i % 7], input.size() - start));
      split.SetBlock(frames);
      const int produced =
          split.Process(left.data(), right.data(), input.data() + start, input.data() + start);
      pieces.left.insert(pieces.left.end(), left.begin(), left.begin() + produced);
      start += static_cast<size_t>(frames);
    }
    SCOPED_TRACE(testing::Message() << in << " -> " << out);
    ASSERT_EQ(pieces.left.size(), reference.left.size());
    for (size_t n = 0; n < reference.left.size(); ++n) {
      ASSERT_NEAR(pieces.left[n], reference.left[n], 1e-6f) << "sample " << n;
    }
  }
}

TEST(ResamplerChain, BlockLongerThanPreparedIsWorkedThroughInPieces) {
  const std::vector<float> input = Sine(0.0517, 5000);
  const std::pair<double, double> rates[] = {{kBaseRate, 16 * kBaseRate},
                                             {16 * kBaseRate, kBaseRate},
                                             {kBaseRate, 3 * kBaseRate},
                                             {3 * kBaseRate, kBaseRate}};
  for (const auto& [in, out] : rates) {
    SCOPED_TRACE(testing::Message() << in << " -> " << out);
    ResamplerChain roomy;
    Configure(roomy, in, out, 1 << 18);
    const Converted reference = Convert(roomy, input, static_cast<int>(input.size()));

    ResamplerChain tight;
    Configure(tight, in, out,
              64);  // far less than one block needs at the higher rate
    const int frames = static_cast<int>(input.size());
    constexpr float kSentinel = 12345.0f;
    const size_t room = static_cast<size_t>(tight.MaxOutputFrames(frames));
    std::vector<float> left(room + 16, kSentinel), right(room + 16, kSentinel);
    tight.SetBlock(frames);
    const int produced = tight.Process(left.data(), right.data(), input.data(), input.data());
    ASSERT_EQ(static_cast<size_t>(produced), reference.left.size());
    for (size_t n = 0; n < reference.left.size(); ++n) {
      ASSERT_NEAR(left[n], reference.left[n], 1e-6f) << "sample " << n;
    }
    for (size_t n = room; n < left.size(); ++n) ASSERT_EQ(left[n], kSentinel);
  }
}

TEST(ResamplerChain, EmptyBlockWritesNothing) {
  ResamplerChain chain;
  Configure(chain, kBaseRate, 2 * kBaseRate, 256);
  float left[4] = {7.0f, 7.0f, 7.0f, 7.0f};
  float right[4] = {7.0f, 7.0f, 7.0f, 7.0f};
  const float in[2] = {1.0f, 1.0f};
  chain.SetBlock(0);
  EXPECT_EQ(chain.Process(left, right, in, in), 0);
  chain.SetBlock(-5);
  EXPECT_EQ(chain.Process(left, right, in, in), 0);
  for (float v : left) EXPECT_EQ(v, 7.0f);
  for (float v : right) EXPECT_EQ(v, 7.0f);
}

TEST(ResamplerChain, UnpreparedChainWritesSilence) {
  ResamplerChain chain;
  chain.SetRates(kBaseRate, 4 * kBaseRate);
  std::vector<float> left(40, 3.0f), right(40, 3.0f);
  const std::vector<float> in(10, 1.0f);
  chain.SetBlock(10);
  ASSERT_EQ(chain.Process(left.data(), right.data(), in.data(), in.data()), 40);
  for (float v : left) EXPECT_EQ(v, 0.0f);
}

struct FractionalCase {
  double inputRate;
  double outputRate;
  double toneHz;
  double levelTolerance;
  double maxResidualDb;
};

// A cubic stage after (or before) the half-band stages: 44.1 <-> 48 kHz keeps a tone at its level
// and pitch, adds little distortion, and delivers the right number of frames. Going up it works at
// 88.2 kHz; going down it works at the 48 kHz input rate, where a 10 kHz tone has under five
// samples per period, so it loses more there (0.3 dB, residue near -49 dB).
TEST(ResamplerChain, NonPowerOfTwoRatioKeepsPitchAndLevel) {
  const FractionalCase cases[] = {{kBaseRate, 48000.0, 1000.0, 1e-3, -100.0},
                                  {48000.0, kBaseRate, 1000.0, 1e-3, -100.0},
                                  {kBaseRate, 48000.0, 10000.0, 0.01, -50.0},
                                  {48000.0, kBaseRate, 10000.0, 0.05, -45.0}};
  for (const FractionalCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.inputRate << " -> " << c.outputRate << ", " << c.toneHz << " Hz");
    ResamplerChain chain;
    Configure(chain, c.inputRate, c.outputRate, 4096);
    const size_t length = static_cast<size_t>(c.inputRate);  // one second
    const std::vector<float> input = Sine(c.toneHz / c.inputRate, length);
    const Converted run = Convert(chain, input, 441);
    EXPECT_NEAR(static_cast<double>(run.left.size()), c.outputRate, 2.0);

    // Fit the tone over whole periods (half a second), then measure what is left.
    const size_t start = static_cast<size_t>(c.outputRate) / 4;
    const size_t window = static_cast<size_t>(c.outputRate) / 2;
    const double cycles = c.toneHz / c.outputRate;
    const std::complex<double> tone = Tone(run.left, start, window, cycles);
    EXPECT_NEAR(std::abs(tone), 1.0, c.levelTolerance);
    double residual = 0.0;
    for (size_t n = start; n < start + window; ++n) {
      const double phase = 2.0 * TestKit::kPi * cycles * static_cast<double>(n);
      const double error = run.left[n] - std::real(tone * std::polar(1.0, phase));
      residual += error * error;
    }
    const double residualDb =
        Db(std::sqrt(residual / static_cast<double>(window)) / std::sqrt(0.5));
    EXPECT_LT(residualDb, c.maxResidualDb);
  }
}

struct RecoveryCase {
  double inputRate;
  double outputRate;
};

TEST(ResamplerChain, RecoversFromNonFiniteInput) {
  const RecoveryCase cases[] = {{kBaseRate, 2 * kBaseRate}, {2 * kBaseRate, kBaseRate},
                                {kBaseRate, 4 * kBaseRate}, {4 * kBaseRate, kBaseRate},
                                {kBaseRate, 48000.0},       {48000.0, kBaseRate}};
  const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity(), -3e38f};
  for (const RecoveryCase& c : cases) {
    for (float value : bad) {
      SCOPED_TRACE(testing::Message() << c.inputRate << " -> " << c.outputRate << ", " << value);
      ResamplerChain chain;
      Configure(chain, c.inputRate, c.outputRate, 2048);
      std::vector<float> poisoned = Sine(0.02, 256);
      for (size_t n = 100; n < 256; n += 3) poisoned[n] = value;
      const Converted hit = Convert(chain, poisoned, 256);
      for (float v : hit.left) ASSERT_TRUE(std::isfinite(v));

      const std::vector<float> clean = Sine(0.02, 2048);
      const Converted after = Convert(chain, clean, 256);
      ResamplerChain fresh;
      Configure(fresh, c.inputRate, c.outputRate, 2048);
      const Converted reference = Convert(fresh, clean, 256);
      ASSERT_FALSE(after.left.empty());
      for (float v : after.left) ASSERT_TRUE(std::isfinite(v));
      // Once the poisoned block is flushed, the chain follows the clean signal like a fresh one.
      const size_t tail = std::min(after.left.size(), reference.left.size());
      for (size_t n = tail / 2; n < tail; ++n) {
        ASSERT_NEAR(after.left[n], reference.left[n], 1e-3f) << "sample " << n;
      }
    }
  }
}

// The engine runs its blocks with rounding toward minus infinity, which can leave a decaying
// feedback memory stuck at the smallest negative number instead of reaching zero.
TEST(ResamplerChain, SilenceAfterSignalDecaysToExactZeroWhenRoundingDown) {
  const std::pair<double, double> rates[] = {{kBaseRate, 4 * kBaseRate},
                                             {4 * kBaseRate, kBaseRate}};
  for (const auto& [in, out] : rates) {
    ResamplerChain chain;
    Configure(chain, in, out, 4096);
    const int previous = std::fegetround();
    std::fesetround(FE_DOWNWARD);
    Convert(chain, Sine(0.013, 4000), 256);
    const Converted tail = Convert(chain, std::vector<float>(20000, 0.0f), 256);
    std::fesetround(previous);
    ASSERT_FALSE(tail.left.empty());
    const size_t last = tail.left.size() - 64;
    for (size_t n = last; n < tail.left.size(); ++n) {
      ASSERT_EQ(tail.left[n], 0.0f) << in << " -> " << out << ", sample " << n;
    }
  }
}

TEST(ResamplerChain, ResetEqualsFresh) {
  const std::pair<double, double> rates[] = {
      {kBaseRate, 4 * kBaseRate}, {4 * kBaseRate, kBaseRate}, {3 * kBaseRate, kBaseRate}};
  for (const auto& [in, out] : rates) {
    ResamplerChain used;
    Configure(used, in, out, 1024);
    Convert(used, Sine(0.31, 777),
            111);  // odd count leaves a sample waiting in a down chain
    used.Reset();
    ResamplerChain fresh;
    Configure(fresh, in, out, 1024);
    const std::vector<float> input = Sine(0.05, 1000);
    EXPECT_EQ(Convert(used, input, 100).left, Convert(fresh, input, 100).left);
  }
}

// An up/down pair, reconfigured for each factor in turn while it keeps running, gives back exactly
// as many frames as each block took in: the plug-in hands them straight to the host.
TEST(ResamplerChain, PairReturnsEachBlocksFrameCountAcrossFactorChanges) {
  const std::vector<std::vector<int>> sequences = {
      {3, 4, 3}, {3, 5, 3}, {6, 8, 6}, {3, 16, 3}, {5, 7, 12, 3}, {1, 3, 2, 11, 13, 16, 9}};
  constexpr double kRate = 48000.0;
  constexpr int kMaxFrames = 512;
  for (const auto& sequence : sequences) {
    ResamplerChain up;
    ResamplerChain down;
    up.Prepare(kMaxFrames * 16);
    down.Prepare(kMaxFrames * 16);
    std::vector<float> in(kMaxFrames, 0.25f);
    std::vector<float> midLeft(kMaxFrames * 16), midRight(kMaxFrames * 16);
    std::vector<float> outLeft(kMaxFrames * 16), outRight(kMaxFrames * 16);
    for (int factor : sequence) {
      up.SetRates(kRate, kRate * factor);
      down.SetRates(kRate * factor, kRate);
      for (int frames : {64, 512, 1, 77, 512}) {
        SCOPED_TRACE(testing::Message() << "factor " << factor << ", " << frames << " frames");
        up.SetBlock(frames);
        const int produced = up.Process(midLeft.data(), midRight.data(), in.data(), in.data());
        down.SetBlock(produced);
        EXPECT_EQ(down.Process(outLeft.data(), outRight.data(), midLeft.data(), midRight.data()),
                  frames);
      }
    }
  }
}

}  // namespace
}  // namespace VDSP
