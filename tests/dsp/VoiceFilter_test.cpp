// Tests of the filter slot chain: gain law, order of the stages, pan, fade-in and reset.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/VoiceFilter.h"

namespace VDSP {
namespace {

constexpr int32_t kBlock = 32;
// A type control that rounds outside 0..3: the filter passes the signal, leaving the gains and
// the pan to be measured exactly.
constexpr float kNoFilter = 1.4f;

struct Stereo {
  std::vector<float> left;
  std::vector<float> right;
};

Stereo Sine(double hz, double amplitude, int32_t length) {
  Stereo s{std::vector<float>(length), std::vector<float>(length)};
  for (int32_t i = 0; i < length; ++i) {
    s.left[i] = static_cast<float>(amplitude * std::sin(2.0 * 3.14159265358979 * hz * i / 88200));
    s.right[i] = s.left[i];
  }
  return s;
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
  const auto length = static_cast<int32_t>(s.left.size());
  for (int32_t start = 0; start < length; start += kBlock) {
    const int32_t n = std::min(kBlock, length - start);
    v.SetControls(c.cutoff, c.resonance, c.mode, c.type, c.preGain, c.postGain, c.pan);
    v.ProcessStereo(&s.left[start], &s.right[start], n, 1.0f / static_cast<float>(n));
  }
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

}  // namespace
}  // namespace VDSP
