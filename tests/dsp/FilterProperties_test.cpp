// Properties every filter type keeps in every mode: a reset object sounds like a fresh one, empty
// blocks do nothing, non-finite input and controls neither escape nor wedge it, and the way a host
// cuts the signal into blocks does not change what it hears.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "kit/Blocks.h"
#include "kit/FilterTypes.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace TestKit {
namespace {

constexpr float kRate = 44100.0f;
constexpr size_t kBlock = 32;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct Controls {
  float cutoff;
  float resonance;
  float mode;
};

std::unique_ptr<FilterUnderTest> MakeFilter(const FilterMode& mode) {
  std::unique_ptr<FilterUnderTest> filter = mode.kind->make();
  filter->SetSampleRate(kRate, kRate, 1);
  return filter;
}

// Runs the signal in place in the slot's blocks, applying the controls before each block as the
// slot does.
void RunBlocks(FilterUnderTest& filter, Stereo& s, const Controls& c) {
  ForEachBlock(s.Size(), kBlock, [&](size_t start, int32_t n, float inverseN) {
    filter.SetParameters(c.cutoff, c.resonance, c.mode);
    filter.Process(&s.left[start], &s.right[start], &s.left[start], &s.right[start], n, inverseN);
  });
}

Stereo Silence(size_t length) {
  return Constant(0.0f, length);
}

class FilterProperties : public ::testing::TestWithParam<FilterMode> {
 protected:
  const FilterMode& Mode() const { return GetParam(); }
  // Another mode of the same type (the type's only mode if it has one).
  float OtherModeValue() const {
    const FilterMode other{Mode().kind, (Mode().index + 1) % Mode().kind->modeCount};
    return other.ModeValue();
  }
};

TEST_P(FilterProperties, ResetEqualsFresh) {
  std::unique_ptr<FilterUnderTest> used = MakeFilter(Mode());
  Stereo warmUp = GaussianNoise(2048, 5, 2.0f);
  RunBlocks(*used, warmUp, {0.3f, 1.0f, OtherModeValue()});
  RunBlocks(*used, warmUp, {0.8f, 1.0f, Mode().ModeValue()});
  used->Reset();
  std::unique_ptr<FilterUnderTest> fresh = MakeFilter(Mode());

  Stereo a = GaussianNoise(2048, 6, 0.5f);
  Stereo b = a;
  const Controls controls{0.6f, 0.7f, Mode().ModeValue()};
  RunBlocks(*used, a, controls);
  RunBlocks(*fresh, b, controls);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

// An empty or negative block neither writes the output nor moves a glide or a state: a filter
// that was handed them between blocks sounds like one that was not.
TEST_P(FilterProperties, EmptyBlocksDoNothing) {
  std::unique_ptr<FilterUnderTest> interrupted = MakeFilter(Mode());
  std::unique_ptr<FilterUnderTest> plain = MakeFilter(Mode());
  const Controls c{0.55f, 0.8f, Mode().ModeValue()};
  Stereo a = GaussianNoise(1024, 7, 0.5f);
  Stereo b = a;
  ForEachBlock(a.Size(), kBlock, [&](size_t start, int32_t n, float inverseN) {
    float untouched[2] = {9.0f, -9.0f};
    interrupted->SetParameters(c.cutoff, c.resonance, c.mode);
    for (int32_t empty : {0, -5}) {
      interrupted->Process(&a.left[start], &a.right[start], &untouched[0], &untouched[1], empty,
                           1.0f);
    }
    ASSERT_EQ(untouched[0], 9.0f);
    ASSERT_EQ(untouched[1], -9.0f);
    interrupted->Process(&a.left[start], &a.right[start], &a.left[start], &a.right[start], n,
                         inverseN);
    plain->SetParameters(c.cutoff, c.resonance, c.mode);
    plain->Process(&b.left[start], &b.right[start], &b.left[start], &b.right[start], n, inverseN);
  });
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

// Blocks of NaN, infinities, denormals and huge values, first with sound controls and then with
// non-finite ones.
Stereo PoisonedInput() {
  const float bad[] = {kNaN, kInf, -kInf, 3e38f, -1e30f, 1e-40f, kNaN};
  Stereo s = Silence(8 * kBlock);
  for (size_t i = 0; i < s.Size(); ++i) {
    s.left[i] = bad[i % std::size(bad)];
    s.right[i] = bad[(i + 3) % std::size(bad)];
  }
  return s;
}

void ExpectFinite(const Stereo& s, const char* stage) {
  for (size_t i = 0; i < s.Size(); ++i) {
    ASSERT_TRUE(std::isfinite(s.left[i]) && std::isfinite(s.right[i])) << stage << " sample " << i;
  }
}

// Below self-oscillation a filter forgets its past: after the poison and a second of silence it
// must sound as one that heard silence instead. The comb's delay glide stops within a few
// thousandths of a sample of its target, from whichever side it came, hence the tolerance.
TEST_P(FilterProperties, NonFiniteInputAndControlsRecover) {
  const Controls c{0.5f, 0.6f, Mode().ModeValue()};
  std::unique_ptr<FilterUnderTest> hit = MakeFilter(Mode());
  std::unique_ptr<FilterUnderTest> clean = MakeFilter(Mode());
  Stereo warmUp = GaussianNoise(4096, 8, 0.5f);
  Stereo cleanWarmUp = warmUp;
  RunBlocks(*hit, warmUp, c);
  RunBlocks(*clean, cleanWarmUp, c);

  const Controls badControls[] = {c, {kNaN, kInf, c.mode}, {-kInf, kNaN, kNaN}};
  for (const Controls& bad : badControls) {
    Stereo poison = PoisonedInput();
    RunBlocks(*hit, poison, bad);
    ExpectFinite(poison, "poisoned");
    Stereo quiet = Silence(poison.Size());
    RunBlocks(*clean, quiet, c);
  }
  Stereo hitSilence = Silence(44100);
  Stereo cleanSilence = Silence(44100);
  RunBlocks(*hit, hitSilence, c);
  RunBlocks(*clean, cleanSilence, c);
  ExpectFinite(hitSilence, "silence");

  Stereo a = Both(Sine(440.0, 0.3, 4096, kRate));
  Stereo b = a;
  RunBlocks(*hit, a, c);
  RunBlocks(*clean, b, c);
  ExpectFinite(a, "after");
  for (size_t i = 0; i < a.Size(); ++i) {
    ASSERT_NEAR(a.left[i], b.left[i], 1e-4f) << "sample " << i;
    ASSERT_NEAR(a.right[i], b.right[i], 1e-4f) << "sample " << i;
  }
}

// Block lengths a host may use, cycled: single samples, odd lengths and longer than the slot's.
constexpr size_t kRaggedBlocks[] = {1, 7, 32, 64, 13, 2, 100, 31, 5, 33};

void RunRagged(FilterUnderTest& filter, Stereo& s, const Controls& c) {
  size_t start = 0;
  for (size_t k = 0; start < s.Size(); ++k) {
    const size_t n = std::min(kRaggedBlocks[k % std::size(kRaggedBlocks)], s.Size() - start);
    filter.SetParameters(c.cutoff, c.resonance, c.mode);
    filter.Process(&s.left[start], &s.right[start], &s.left[start], &s.right[start],
                   static_cast<int32_t>(n), 1.0f / static_cast<float>(n));
    start += n;
  }
}

// Once the glides have arrived, the output depends on the samples, not on the blocks. The glides
// re-aim at their targets every block, so their last bits and the once-a-block anti-denormal
// offset may differ: by less than -80 dB of the signal (the S.V.F's band passes come closest,
// about -95 dB).
TEST_P(FilterProperties, BlockLengthsDoNotChangeTheSettledSound) {
  const Controls c{0.6f, 0.7f, Mode().ModeValue()};
  std::unique_ptr<FilterUnderTest> even = MakeFilter(Mode());
  std::unique_ptr<FilterUnderTest> ragged = MakeFilter(Mode());
  Stereo settle = Silence(16384);
  Stereo settleToo = settle;
  RunBlocks(*even, settle, c);
  RunBlocks(*ragged, settleToo, c);

  Stereo a = GaussianNoise(8192, 9, 0.5f);
  Stereo b = a;
  RunBlocks(*even, a, c);
  RunRagged(*ragged, b, c);
  double largest = 0.0;
  for (size_t i = 0; i < a.Size(); ++i) {
    largest = std::fmax(largest, std::fabs(double{a.left[i]} - double{b.left[i]}));
    largest = std::fmax(largest, std::fabs(double{a.right[i]} - double{b.right[i]}));
  }
  EXPECT_LE(largest, 1e-4 * Peak(a.left)) << "largest difference " << largest;
}

INSTANTIATE_TEST_SUITE_P(EveryTypeAndMode, FilterProperties, ::testing::ValuesIn(AllFilterModes()),
                         [](const ::testing::TestParamInfo<FilterMode>& info) {
                           return info.param.Name();
                         });

}  // namespace
}  // namespace TestKit
