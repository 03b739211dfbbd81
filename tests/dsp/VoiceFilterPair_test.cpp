// Two "Japan" slots run as one paired ladder must sound exactly like the slots run one after the
// other: same samples, bit for bit, while every control moves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "dsp/VoiceFilter.h"

namespace VDSP {
namespace {

constexpr int32_t kLength = 4000;
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

struct Signal {
  std::vector<float> left, right;
};

Signal Input() {
  Signal s{std::vector<float>(kLength), std::vector<float>(kLength)};
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
  Signal a = Input(), b = Input();
  Signal copyA = a, copyB = b;
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
