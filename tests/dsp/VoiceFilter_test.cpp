// Tests of the filter slot chain: gain law, order of the stages, pan, fade-in, reset and the paired
// "Japan" ladders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "dsp/VoiceFilter.h"
#include "kit/Blocks.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr int32_t kBlock = 32;
// A type control that rounds outside 0..3: the filter passes the signal, leaving the gains and
// the pan to be measured exactly.
constexpr float kNoFilter = 1.4f;

using TestKit::Stereo;

// At the slot's processing rate, 88200 Hz.
Stereo Sine(double hz, double amplitude, size_t length) {
  return TestKit::Both(TestKit::Sine(hz, amplitude, length, 88200.0));
}

struct SlotControls {
  float cutoff = 0.5f;
  float resonance = 0.3f;
  float mode = 0.0f;
  float type = kNoFilter;
  float preGain = 0.6f;
  float postGain = 0.6f;
  float pan = 0.5f;
};

void RunSlot(VoiceFilter& v, Stereo& s, const SlotControls& c) {
  TestKit::ForEachBlock(s.Size(), kBlock, [&](size_t start, int32_t n, float inverseN) {
    v.SetControls(c.cutoff, c.resonance, c.mode, c.type, c.preGain, c.postGain, c.pan);
    v.ProcessStereo(&s.left[start], &s.right[start], n, inverseN);
  });
}

void SetUpSlot(VoiceFilter& v) {
  v.SetSampleRate(88200.0f, 44100.0f, 2);
  v.Prepare(kBlock);
}

struct GainCase {
  float preGain;
  float postGain;
  float pan;
  float expectedLeft;
  float expectedRight;
};

TEST(VoiceFilterTest, SettledGainsFollowTheStageGainLawAndThePanLaw) {
  const float unity = 0.98363239f;  // FastExp2(0): control 0.6
  const GainCase cases[] = {
      {0.6f, 0.6f, 0.5f, unity * unity, unity * unity},
      {0.0f, 0.6f, 0.5f, 0.0f, 0.0f},  // pre gain 0 silences the slot
      {0.6f, 0.0f, 0.5f, 0.0f, 0.0f},  // and so does post gain 0
      {1.0f, 0.6f, 0.5f, 15.98363f * unity, 15.98363f * unity},
      {0.6f, 0.6f, 0.25f, unity * unity, 0.5f * unity * unity},  // pan 0.25: right at half
      {0.6f, 0.6f, 1.0f, 0.0f, unity * unity},                   // hard right
  };
  for (const GainCase& c : cases) {
    VoiceFilter slot;
    SetUpSlot(slot);
    SlotControls controls;
    controls.preGain = c.preGain;
    controls.postGain = c.postGain;
    controls.pan = c.pan;
    Stereo s{std::vector<float>(4 * kBlock, 1.0f), std::vector<float>(4 * kBlock, 1.0f)};
    RunSlot(slot, s, controls);
    // After the first block every ramp has arrived.
    for (int32_t i = kBlock; i < 4 * kBlock; ++i) {
      ASSERT_NEAR(s.left[i], c.expectedLeft, 1e-4f)
          << c.preGain << " " << c.postGain << " " << c.pan;
      ASSERT_NEAR(s.right[i], c.expectedRight, 1e-4f)
          << c.preGain << " " << c.postGain << " " << c.pan;
    }
  }
}

TEST(VoiceFilterTest, AFreshSlotFadesInFromSilenceOverTheFirstBlock) {
  VoiceFilter slot;
  SetUpSlot(slot);
  Stereo s{std::vector<float>(kBlock, 1.0f), std::vector<float>(kBlock, 1.0f)};
  RunSlot(slot, s, SlotControls{});
  const float unity = 0.98363239f;
  for (int32_t i = 0; i < kBlock; ++i) {
    const float ramp = unity * static_cast<float>(i + 1) / kBlock;
    ASSERT_NEAR(s.left[i], ramp * ramp, 1e-5f) << i;
  }
}

TEST(VoiceFilterTest, PreGainDrivesTheFilterAndPostGainScalesItsOutput) {
  // 15.98 before the saturating S.V.F is bounded by its output range; 15.98 after it is not.
  SlotControls drivenIn;
  drivenIn.type = 1.0f / 3.0f;
  drivenIn.cutoff = 0.9f;
  drivenIn.preGain = 1.0f;
  SlotControls boostedOut = drivenIn;
  boostedOut.preGain = 0.6f;
  boostedOut.postGain = 1.0f;
  VoiceFilter a;
  SetUpSlot(a);
  VoiceFilter b;
  SetUpSlot(b);
  Stereo sa = Sine(200.0, 1.0, 8192);
  Stereo sb = sa;
  RunSlot(a, sa, drivenIn);
  RunSlot(b, sb, boostedOut);
  double peakA = 0.0;
  double peakB = 0.0;
  for (int32_t i = 4096; i < 8192; ++i) {
    peakA = std::fmax(peakA, std::fabs(sa.left[i]));
    peakB = std::fmax(peakB, std::fabs(sb.left[i]));
  }
  EXPECT_LT(peakA, 6.6 * 0.9837);
  EXPECT_GT(peakB, 10.0);
}

TEST(VoiceFilterTest, ResetReturnsToSilenceAndTheCentre) {
  VoiceFilter slot;
  SetUpSlot(slot);
  SlotControls c;
  c.pan = 0.0f;
  c.type = 1.0f / 3.0f;
  Stereo warm = Sine(300.0, 0.5, 512);
  RunSlot(slot, warm, c);
  slot.Reset();
  EXPECT_EQ(slot.PreGain().CurrentGain(), 0.0f);
  EXPECT_EQ(slot.PostGain().CurrentGain(), 0.0f);
  EXPECT_EQ(slot.Panner().Position(), 0.5f);
  EXPECT_FLOAT_EQ(slot.Filter().Svf().CutoffOctaves(), 6.0f);

  VoiceFilter fresh;

  SetUpSlot(fresh);
  Stereo a = Sine(300.0, 0.5, 512);
  Stereo b = a;
  RunSlot(slot, a, c);
  RunSlot(fresh, b, c);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

TEST(VoiceFilterTest, ZeroLengthProcessesNothing) {
  VoiceFilter slot;
  SetUpSlot(slot);
  slot.SetControls(0.5f, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 0.5f);
  float l = 0.25f;
  float r = -0.25f;
  slot.ProcessStereo(&l, &r, 0, 1.0f);
  EXPECT_EQ(l, 0.25f);
  EXPECT_EQ(r, -0.25f);
  EXPECT_EQ(slot.PreGain().CurrentGain(), 0.0f);
}

// Runs the slot one sample at a time (as under filter FM) until its fade has ended; answers the
// samples it took, or -1 beyond `limit`.
int32_t SamplesUntilTheFadeEnds(VoiceFilter& v, int32_t limit) {
  for (int32_t n = 0; n <= limit; ++n) {
    if (!v.Fading()) return n;
    float l = 0.1f;
    float r = -0.1f;
    v.ProcessStereo(&l, &r, 1, 1.0f);
  }
  return -1;
}

constexpr float kSvf = 1.0f / 3.0f;
constexpr float kFatty = 2.0f / 3.0f;

TEST(VoiceFilterTest, TypeAndModeChangesFadeForFiveMillisecondsAtTheProcessingRate) {
  struct Case {
    float rateHz;
    float fromMode, fromType, toMode, toType;
    int32_t fadeSamples;
  };
  const Case cases[] = {
      {88200.0f, 0.0f, 0.0f, 0.0f, kSvf, 441},          // "Japan" -> "S.V.F"
      {44100.0f, 0.0f, kSvf, 0.0f, 1.0f, 221},          // "S.V.F" -> "Comb"
      {192000.0f, 0.0f, 1.0f, 0.0f, kFatty, 960},       // "Comb" -> "Fatty"
      {88200.0f, 0.0f, 0.0f, 5.0f / 21.0f, 0.0f, 441},  // "Japan" 2L -> 4H
      {88200.0f, 1.0f, 1.0f, 0.0f, 1.0f, 441},          // "Comb" Positive -> Negative
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rateHz << " Hz, " << c.fromType << " " << c.fromMode
                                    << " -> " << c.toType << " " << c.toMode);
    VoiceFilter slot;
    slot.SetSampleRate(c.rateHz, c.rateHz / 2.0f, 2);
    slot.Prepare(kBlock);
    SlotControls controls;
    controls.mode = c.fromMode;
    controls.type = c.fromType;
    Stereo warm = Sine(300.0, 0.5, 512);
    RunSlot(slot, warm, controls);
    EXPECT_FALSE(slot.Fading());
    const MultiTypeFilter* before = &slot.Filter();
    slot.SetControls(0.5f, 0.3f, c.toMode, c.toType, 0.6f, 0.6f, 0.5f);
    ASSERT_TRUE(slot.Fading());
    // The new response runs from the change on; the old one fades out beside it.
    EXPECT_EQ(slot.Filter().Type(), MultiTypeFilter::TypeIndexOf(c.toType));
    EXPECT_EQ(slot.Twin().Type(), MultiTypeFilter::TypeIndexOf(c.fromType));
    EXPECT_EQ(&slot.Twin(), before);
    EXPECT_EQ(SamplesUntilTheFadeEnds(slot, 2000), c.fadeSamples);
  }
}

TEST(VoiceFilterTest, AFreshSlotAndAnUnchangedItemSwitchWithoutAFade) {
  VoiceFilter slot;
  SetUpSlot(slot);
  slot.SetControls(0.5f, 0.3f, 0.0f, 0.0f, 0.6f, 0.6f, 0.5f);
  slot.SetControls(0.5f, 0.3f, 0.0f, 1.0f, 0.6f, 0.6f, 0.5f);  // nothing played yet
  EXPECT_FALSE(slot.Fading());
  EXPECT_EQ(slot.Filter().Type(), 3u);
  Stereo s = Sine(300.0, 0.5, 256);
  RunSlot(slot, s, {0.5f, 0.3f, 0.0f, 1.0f});
  // 0.4 and 0.45 are both "Negative": the same response, no fade.
  slot.SetControls(0.5f, 0.3f, 0.4f, 1.0f, 0.6f, 0.6f, 0.5f);
  slot.SetControls(0.5f, 0.3f, 0.45f, 1.0f, 0.6f, 0.6f, 0.5f);
  EXPECT_FALSE(slot.Fading());
  slot.Reset();
  slot.SetControls(0.5f, 0.3f, 0.0f, kSvf, 0.6f, 0.6f, 0.5f);
  EXPECT_FALSE(slot.Fading());
}

TEST(VoiceFilterTest, AChangeDuringAFadeIsTakenWhenItEnds) {
  VoiceFilter slot;
  SetUpSlot(slot);
  Stereo warm = Sine(300.0, 0.5, 512);
  RunSlot(slot, warm, {0.5f, 0.3f, 0.0f, 0.0f});
  slot.SetControls(0.5f, 0.3f, 0.0f, kSvf, 0.6f, 0.6f, 0.5f);
  ASSERT_TRUE(slot.Fading());
  slot.SetControls(0.5f, 0.3f, 0.0f, 1.0f, 0.6f, 0.6f, 0.5f);
  EXPECT_EQ(slot.Filter().Type(), 1u);
  ASSERT_EQ(SamplesUntilTheFadeEnds(slot, 2000), 441);
  slot.SetControls(0.5f, 0.3f, 0.0f, 1.0f, 0.6f, 0.6f, 0.5f);
  EXPECT_TRUE(slot.Fading());
  EXPECT_EQ(slot.Filter().Type(), 3u);
  EXPECT_EQ(slot.Twin().Type(), 1u);
}

// The fade hands over between two complete responses: a 300 Hz sine through a low pass well above
// it stays between the two types' levels through a change from one to the other, give or take the
// 3 dB of an equal-power fade.
TEST(VoiceFilterTest, ASineKeepsItsLevelThroughATypeChange) {
  VoiceFilter slot;
  SetUpSlot(slot);
  const SlotControls japan{0.8f, 0.0f, 0.0f, 0.0f};
  SlotControls svf = japan;
  svf.type = kSvf;
  Stereo s = Sine(300.0, 0.5, 16384);
  const int32_t change = 8192;
  Stereo first{std::vector<float>(s.left.begin(), s.left.begin() + change),
               std::vector<float>(s.right.begin(), s.right.begin() + change)};
  Stereo second{std::vector<float>(s.left.begin() + change, s.left.end()),
                std::vector<float>(s.right.begin() + change, s.right.end())};
  RunSlot(slot, first, japan);
  RunSlot(slot, second, svf);
  const auto peak = [](const std::vector<float>& x, size_t from, size_t count) {
    float p = 0.0f;
    for (size_t i = from; i < from + count; ++i) p = std::max(p, std::fabs(x[i]));
    return p;
  };
  const float before = peak(first.left, change - 1024, 1024);
  const float after = peak(second.left, second.left.size() - 1024, 1024);
  ASSERT_GT(std::min(before, after), 0.2f);
  // One period of 300 Hz is 294 samples: the peaks of every period through the fade.
  for (size_t from = 0; from + 294 < 1024; from += 147) {
    const float level = peak(second.left, from, 294);
    EXPECT_GT(level, std::min(before, after) * 0.707f) << from;
    EXPECT_LT(level, std::max(before, after) * 1.42f) << from;
  }
}

TEST(VoiceFilterTest, ALentTwinRunsTheSameResponseThroughTheSameGains) {
  VoiceFilter slot;
  SetUpSlot(slot);
  const SlotControls c{0.45f, 0.7f, 0.0f, kFatty, 0.7f, 0.55f, 0.3f};
  slot.LendTwin();
  EXPECT_FALSE(slot.TwinIsFree());
  Stereo live = Sine(300.0, 0.5, 512);
  Stereo twin = live;
  for (int32_t start = 0; start < 512; start += kBlock) {
    slot.SetControls(c.cutoff, c.resonance, c.mode, c.type, c.preGain, c.postGain, c.pan);
    slot.ProcessStereoPair(&live.left[start], &live.right[start], &twin.left[start],
                           &twin.right[start], kBlock, 1.0f / kBlock);
  }
  // Both filters started from silence and heard the same signal.
  EXPECT_EQ(live.left, twin.left);
  EXPECT_EQ(live.right, twin.right);
  EXPECT_NE(live.left, live.right);  // the pan reached both
  const MultiTypeFilter* twinFilter = &slot.Twin();
  slot.AdoptTwin();
  EXPECT_TRUE(slot.TwinIsFree());
  EXPECT_EQ(&slot.Filter(), twinFilter);
  EXPECT_EQ(slot.Filter().Type(), 2u);
}

TEST(VoiceFilterTest, ResetAfterAFadeEqualsAFreshSlot) {
  VoiceFilter slot;
  SetUpSlot(slot);
  Stereo warm = Sine(300.0, 0.5, 512);
  RunSlot(slot, warm, {0.5f, 0.3f, 0.0f, 0.0f});
  slot.SetControls(0.5f, 0.3f, 0.0f, 1.0f, 0.6f, 0.6f, 0.5f);
  RunSlot(slot, warm, {0.5f, 0.3f, 0.0f, 1.0f});
  slot.Reset();
  EXPECT_FALSE(slot.Fading());
  VoiceFilter fresh;
  SetUpSlot(fresh);
  const SlotControls c{0.6f, 0.5f, 0.0f, kSvf};
  Stereo a = Sine(300.0, 0.5, 512);
  Stereo b = a;
  RunSlot(slot, a, c);
  RunSlot(fresh, b, c);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

// --- Two "Japan" slots run as one paired ladder ------------------------------------------------
// They must sound exactly like the slots run one after the other: same samples, bit for bit, while
// every control moves.

constexpr int32_t kLength = 4000;  // of the paired runs
constexpr float kJapan = 0.0f;

struct Slot {
  float cutoff, resonance, mode, preGain, postGain, pan;
};

// Controls that move every sub-block, so ramps of cutoff, feedback, gains and pan all run.
Slot ControlsAt(int32_t block, const Slot& from, float drift) {
  const float t = static_cast<float>(block);
  return {from.cutoff + 0.2f * std::sin(0.07f * t * drift),
          from.resonance + 0.3f * std::sin(0.05f * t),
          from.mode,
          from.preGain + 0.1f * std::sin(0.11f * t),
          from.postGain + 0.1f * std::cos(0.09f * t * drift),
          from.pan + 0.4f * std::sin(0.13f * t * drift)};
}

void Apply(VoiceFilter& slot, const Slot& c) {
  slot.SetControls(c.cutoff, c.resonance, c.mode, kJapan, c.preGain, c.postGain, c.pan);
}

Stereo PairInput() {
  Stereo s{std::vector<float>(kLength), std::vector<float>(kLength)};
  for (int32_t i = 0; i < kLength; ++i) {
    s.left[i] = 0.8f * std::sin(0.031f * static_cast<float>(i)) + 0.3f * std::sin(0.57f * i);
    s.right[i] = 0.7f * std::sin(0.023f * static_cast<float>(i) + 1.0f);
  }
  // A burst far beyond full scale drives every stage into its rails.
  for (int32_t i = 1500; i < 1600; ++i) s.left[i] *= 40.0f;
  return s;
}

struct PairCase {
  const char* name;
  bool parallel;
  Slot first, second;
  int32_t blockLength;
};

class PairedLadders : public ::testing::TestWithParam<PairCase> {};

TEST_P(PairedLadders, EqualTheSlotsRunOneAfterTheOther) {
  const PairCase& c = GetParam();
  VoiceFilter separate[2], paired[2];
  for (VoiceFilter* slot : {&separate[0], &separate[1], &paired[0], &paired[1]}) {
    slot->SetSampleRate(88200.0f, 44100.0f, 2);
  }
  Stereo a = PairInput(), b = PairInput();
  Stereo copyA = a, copyB = b;
  for (int32_t start = 0, block = 0; start < kLength; start += c.blockLength, ++block) {
    const int32_t n = std::min(c.blockLength, kLength - start);
    const float inverseN = 1.0f / static_cast<float>(n);
    const Slot first = ControlsAt(block, c.first, 1.0f);
    const Slot second = ControlsAt(block, c.second, 1.7f);
    Apply(separate[0], first);
    Apply(separate[1], second);
    Apply(paired[0], first);
    Apply(paired[1], second);
    float* l = a.left.data() + start;
    float* r = a.right.data() + start;
    float* pl = b.left.data() + start;
    float* pr = b.right.data() + start;
    if (c.parallel) {
      std::memcpy(copyA.left.data() + start, l, sizeof(float) * n);
      std::memcpy(copyA.right.data() + start, r, sizeof(float) * n);
      std::memcpy(copyB.left.data() + start, pl, sizeof(float) * n);
      std::memcpy(copyB.right.data() + start, pr, sizeof(float) * n);
      separate[0].ProcessStereo(l, r, n, inverseN);
      separate[1].ProcessStereo(copyA.left.data() + start, copyA.right.data() + start, n, inverseN);
      ASSERT_TRUE(VoiceFilter::ProcessParallel(paired[0], paired[1], pl, pr,
                                               copyB.left.data() + start,
                                               copyB.right.data() + start, n, inverseN));
    } else {
      separate[0].ProcessStereo(l, r, n, inverseN);
      separate[1].ProcessStereo(l, r, n, inverseN);
      ASSERT_TRUE(VoiceFilter::ProcessSeries(paired[0], paired[1], pl, pr, n, inverseN));
    }
  }
  for (int32_t i = 0; i < kLength; ++i) {
    ASSERT_EQ(a.left[i], b.left[i]) << c.name << " left at " << i;
    ASSERT_EQ(a.right[i], b.right[i]) << c.name << " right at " << i;
    if (c.parallel) {
      ASSERT_EQ(copyA.left[i], copyB.left[i]) << c.name << " second left at " << i;
      ASSERT_EQ(copyA.right[i], copyB.right[i]) << c.name << " second right at " << i;
    }
  }
  // The output is a filtered signal, not silence or a copy.
  double energy = 0.0;
  for (float v : b.left) energy += static_cast<double>(v) * v;
  EXPECT_GT(energy, 1.0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Japan, PairedLadders,
                         ::testing::Values(PairCase{"series_lowpasses",
                                                    false,
                                                    {0.6f, 0.5f, 0.0f, 0.5f, 0.58f, 0.5f},
                                                    {0.8f, 0.3f, 1.0f / 21.0f, 0.5f, 0.58f, 0.5f},
                                                    32},
                                           PairCase{"series_bandpass_into_notch",
                                                    false,
                                                    {0.5f, 0.8f, 3.0f / 21.0f, 0.6f, 0.6f, 0.3f},
                                                    {0.7f, 0.9f, 16.0f / 21.0f, 0.55f, 0.62f, 0.7f},
                                                    17},
                                           PairCase{"series_one_sample_blocks",
                                                    false,
                                                    {0.4f, 0.95f, 1.0f / 21.0f, 0.6f, 0.6f, 0.5f},
                                                    {0.6f, 0.2f, 5.0f / 21.0f, 0.5f, 0.6f, 0.5f},
                                                    1},
                                           PairCase{"parallel_four_pole",
                                                    true,
                                                    {0.45f, 0.7f, 1.0f / 21.0f, 0.6f, 0.6f, 0.2f},
                                                    {0.75f, 0.7f, 1.0f / 21.0f, 0.6f, 0.6f, 0.8f},
                                                    32},
                                           PairCase{"parallel_high_and_peak",
                                                    true,
                                                    {0.3f, 0.4f, 5.0f / 21.0f, 0.5f, 0.58f, 0.5f},
                                                    {0.9f, 1.0f, 6.0f / 21.0f, 0.7f, 0.5f, 0.5f},
                                                    7}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PairedLadders, RefuseOtherTypesAndLeaveTheSignalAlone) {
  VoiceFilter first, second;
  first.SetControls(0.5f, 0.5f, 0.0f, kJapan, 0.6f, 0.6f, 0.5f);
  second.SetControls(0.5f, 0.5f, 0.0f, 1.0f / 3.0f, 0.6f, 0.6f, 0.5f);  // "S.V.F"
  float left[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  float right[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_FALSE(VoiceFilter::ProcessSeries(first, second, left, right, 8, 0.125f));
  EXPECT_FALSE(VoiceFilter::ProcessParallel(first, second, left, right, left, right, 8, 0.125f));
  EXPECT_EQ(left[7], 8.0f);
  second.SetControls(0.5f, 0.5f, 0.0f, kJapan, 0.6f, 0.6f, 0.5f);
  std::vector<float> longLeft(VoiceFilter::kMaxPairedBlock + 1, 1.0f), longRight = longLeft;
  EXPECT_FALSE(VoiceFilter::ProcessSeries(first, second, longLeft.data(), longRight.data(),
                                          VoiceFilter::kMaxPairedBlock + 1, 1.0f / 33.0f));
}

}  // namespace
}  // namespace VDSP
