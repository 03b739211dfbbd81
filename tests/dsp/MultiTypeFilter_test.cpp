// Tests of the slot's filter: control mapping, type selection and dispatch, reset, response plots.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/FilterResponse.h"
#include "dsp/MultiTypeFilter.h"
#include "kit/Blocks.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 88200.0f;
constexpr int32_t kBlock = 32;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

using TestKit::Stereo;

Stereo Noise(size_t length, unsigned seed) {
  return TestKit::GaussianNoise(length, seed, 0.4f);
}

struct Controls {
  float cutoff;
  float resonance;
  float mode;
  float type;
};

void RunSlot(MultiTypeFilter& f, Stereo& s, const Controls& c) {
  TestKit::ForEachBlock(s.Size(), kBlock, [&](size_t start, int32_t n, float inverseN) {
    f.Initialize(c.cutoff, c.resonance, c.mode, c.type);
    f.Process(&s.left[start], &s.right[start], &s.left[start], &s.right[start], n, inverseN);
  });
}

struct MappingCase {
  float control;
  float mapped;
};

TEST(MultiTypeFilterTest, ResonanceSCurve) {
  const MappingCase cases[] = {
      {0.0f, 0.0f},   {0.001f, 0.0f}, {0.25f, 0.460714f}, {0.5f, 0.5f}, {0.75f, 0.539286f},
      {0.999f, 1.0f}, {1.0f, 1.0f},   {-3.0f, 0.0f},      {4.0f, 1.0f}, {kNaN, 0.0f}};
  for (const MappingCase& c : cases) {
    EXPECT_NEAR(MultiTypeFilter::MapResonance(c.control), c.mapped, 1e-5f) << c.control;
  }
  // The ends are reached slightly inside the control range.
  EXPECT_GT(MultiTypeFilter::MapResonance(0.002f), 0.0f);
  EXPECT_LT(MultiTypeFilter::MapResonance(0.998f), 1.0f);
}

struct TypeCase {
  float control;
  uint32_t type;
};

TEST(MultiTypeFilterTest, TypeRoundsHalfAwayFromZero) {
  const TypeCase cases[] = {{0.0f, 0},
                            {0.16f, 0},
                            {1.0f / 6.0f, 1},
                            {1.0f / 3.0f, 1},
                            {0.5f, 2},
                            {2.5f / 3.0f, 3},
                            {1.0f, 3},
                            {-0.1f, 0},
                            {1.2f, MultiTypeFilter::kNoType},
                            {-0.2f, MultiTypeFilter::kNoType},
                            {kNaN, MultiTypeFilter::kNoType}};
  for (const TypeCase& c : cases) {
    EXPECT_EQ(MultiTypeFilter::TypeIndexOf(c.control), c.type) << c.control;
  }
}

void SetUpSlot(MultiTypeFilter& f) {
  f.SetSampleRate(kRate, kRate / 2.0f, 2);
}

// The slot with type t must sound exactly like that type's own object(s) given the mapped values.
TEST(MultiTypeFilterTest, EachTypeRunsItsOwnFilterWithTheMappedControls) {
  const Controls controls[] = {{0.55f, 0.7f, 0.3f, 0.0f},
                               {0.55f, 0.7f, 0.3f, 1.0f / 3.0f},
                               {0.55f, 0.7f, 0.4f, 2.0f / 3.0f},
                               {0.55f, 0.7f, 0.8f, 1.0f}};
  for (const Controls& c : controls) {
    MultiTypeFilter slot;
    SetUpSlot(slot);
    Stereo viaSlot = Noise(1024, 1);
    Stereo direct = viaSlot;
    RunSlot(slot, viaSlot, c);

    const float r = MultiTypeFilter::MapResonance(c.resonance);
    SH101Filter japan;
    StateVariableFilter svf;
    MS20Filter fattyLeft;
    MS20Filter fattyRight;
    CombFilter combLeft;
    CombFilter combRight;
    for (SampleRateUser* u : std::initializer_list<SampleRateUser*>{
             &japan, &svf, &fattyLeft, &fattyRight, &combLeft, &combRight}) {
      u->SetSampleRate(kRate, kRate / 2.0f, 2);
    }
    for (size_t start = 0; start < direct.left.size(); start += kBlock) {
      float* l = &direct.left[start];
      float* rr = &direct.right[start];
      const float inverseN = 1.0f / kBlock;
      switch (MultiTypeFilter::TypeIndexOf(c.type)) {
        case 0:
          japan.SetParameters(c.cutoff, r, c.mode);
          japan.Process(l, rr, l, rr, kBlock, inverseN);
          break;
        case 1:
          svf.SetParameters(c.cutoff, r, c.mode);
          svf.Process(l, rr, l, rr, kBlock, inverseN);
          break;
        case 2:
          fattyLeft.SetParameters(c.cutoff, r, c.mode);
          fattyRight.SetParameters(c.cutoff, r, c.mode);
          fattyLeft.Process(l, l, kBlock, inverseN);
          fattyRight.Process(rr, rr, kBlock, inverseN);
          break;
        default:
          combLeft.SetParameters(c.cutoff, r, c.mode);
          combRight.SetParameters(c.cutoff, r, c.mode);
          combLeft.Process(l, l, kBlock, inverseN);
          combRight.Process(rr, rr, kBlock, inverseN);
          break;
      }
    }
    EXPECT_EQ(viaSlot.left, direct.left) << "type " << c.type;
    EXPECT_EQ(viaSlot.right, direct.right) << "type " << c.type;
    EXPECT_EQ(slot.Type(), MultiTypeFilter::TypeIndexOf(c.type));
  }
}

TEST(MultiTypeFilterTest, AnUnknownTypePassesTheBuffersUnchanged) {
  MultiTypeFilter slot;
  SetUpSlot(slot);
  Stereo s = Noise(256, 2);
  const Stereo input = s;
  RunSlot(slot, s, {0.5f, 0.5f, 0.5f, 1.4f});
  EXPECT_EQ(slot.Type(), MultiTypeFilter::kNoType);
  EXPECT_EQ(s.left, input.left);
  EXPECT_EQ(s.right, input.right);
  // Separate output buffers receive a copy.
  Stereo out{std::vector<float>(256), std::vector<float>(256)};
  slot.Process(input.left.data(), input.right.data(), out.left.data(), out.right.data(), 256,
               1.0f / 256.0f);
  EXPECT_EQ(out.left, input.left);
}

TEST(MultiTypeFilterTest, OnlyTheSelectedTypeReceivesTheControls) {
  MultiTypeFilter slot;
  SetUpSlot(slot);
  slot.Initialize(0.25f, 0.5f, 0.0f, 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(slot.Svf().CutoffOctaves(), -3.0f);
  slot.Initialize(0.9f, 0.5f, 1.0f, 0.0f);  // "Japan" now
  EXPECT_FLOAT_EQ(slot.Svf().CutoffOctaves(), -3.0f);
  EXPECT_EQ(slot.Svf().ModeIndex(), 0u);
  EXPECT_EQ(slot.Japan().Mode(), 21u);
  slot.Initialize(0.9f, 0.5f, 0.5f, 2.0f / 3.0f);  // "Fatty": round(min(3 * 0.5, 3)) = 2
  EXPECT_EQ(slot.FattyLeft().Mode(), MS20Mode::kHighPass);
  EXPECT_EQ(slot.FattyRight().Mode(), MS20Mode::kHighPass);
  EXPECT_EQ(slot.Japan().Mode(), 21u);
}

TEST(MultiTypeFilterTest, ATypeChangeKeepsEveryStateAndResumesWhereItStopped) {
  // Slot: S.V.F, then a stretch of "Comb", then S.V.F again. Reference: an S.V.F that never saw
  // the comb stretch. The S.V.F part must continue seamlessly.
  MultiTypeFilter slot;
  SetUpSlot(slot);
  StateVariableFilter reference;
  reference.SetSampleRate(kRate, kRate / 2.0f, 2);
  const Controls svf{0.6f, 0.9f, 0.0f, 1.0f / 3.0f};
  const float r = MultiTypeFilter::MapResonance(svf.resonance);
  Stereo first = Noise(512, 3);
  Stereo firstRef = first;
  RunSlot(slot, first, svf);
  Stereo comb = Noise(512, 4);
  RunSlot(slot, comb, {0.2f, 0.5f, 1.0f, 1.0f});
  Stereo second = Noise(512, 5);
  Stereo secondRef = second;
  RunSlot(slot, second, svf);
  for (Stereo* s : {&firstRef, &secondRef}) {
    for (size_t start = 0; start < s->left.size(); start += kBlock) {
      reference.SetParameters(svf.cutoff, r, svf.mode);
      reference.Process(&s->left[start], &s->right[start], &s->left[start], &s->right[start],
                        kBlock, 1.0f / kBlock);
    }
  }
  EXPECT_EQ(second.left, secondRef.left);
  EXPECT_EQ(second.right, secondRef.right);
}

TEST(MultiTypeFilterTest, ResetRestoresDefaultsAndThenBehavesLikeAFreshSlot) {
  for (float type : {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f}) {
    MultiTypeFilter used;
    SetUpSlot(used);
    for (float warmType : {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f}) {
      Stereo warm = Noise(512, 6);
      RunSlot(used, warm, {0.7f, 1.0f, 0.6f, warmType});
    }
    used.Reset();
    EXPECT_FLOAT_EQ(used.Svf().CutoffOctaves(), 6.0f);
    EXPECT_FLOAT_EQ(used.Svf().Resonance(), 0.101f);
    EXPECT_EQ(used.Svf().ModeIndex(), 0u);
    EXPECT_EQ(used.Japan().Mode(), 0u);
    EXPECT_EQ(used.FattyLeft().Mode(), MS20Mode::kLowPass);

    MultiTypeFilter fresh;

    SetUpSlot(fresh);
    Stereo a = Noise(1024, 7);
    Stereo b = a;
    RunSlot(used, a, {0.45f, 0.6f, 0.2f, type});
    RunSlot(fresh, b, {0.45f, 0.6f, 0.2f, type});
    EXPECT_EQ(a.left, b.left) << "type " << type;
    EXPECT_EQ(a.right, b.right) << "type " << type;
  }
}

TEST(MultiTypeFilterTest, ZeroLengthProcessesNothing) {
  MultiTypeFilter slot;
  SetUpSlot(slot);
  slot.Initialize(0.5f, 0.5f, 0.5f, 2.0f);
  float l = 0.3f;
  float r = 0.4f;
  float outL = 9.0f;
  float outR = 9.0f;
  slot.Process(&l, &r, &outL, &outR, 0, 1.0f);
  EXPECT_EQ(outL, 9.0f);
  EXPECT_EQ(outR, 9.0f);
}

TEST(MultiTypeFilterTest, ResponseDispatchesToTheSelectedTypesMagnitude) {
  const int32_t count = 48;
  std::vector<float> points(count);
  std::vector<float> expected(count);
  const float r = MultiTypeFilter::MapResonance(0.7f);
  MultiTypeFilter::ComputeResponse(0.5f, 0.7f, 0.5f, 1.0f / 3.0f, points.data(), count);
  FillResponse(&StateVariableFilter::MagnitudeDb, 0.5f, r, 5, expected.data(), count);
  EXPECT_EQ(points, expected);
  MultiTypeFilter::ComputeResponse(0.5f, 0.7f, 0.5f, 0.0f, points.data(), count);
  FillResponse(&SH101Filter::MagnitudeDb, 0.5f, r, 11, expected.data(), count);
  EXPECT_EQ(points, expected);
  MultiTypeFilter::ComputeResponse(0.5f, 0.7f, 0.5f, 2.0f / 3.0f, points.data(), count);
  FillResponse(&MS20Filter::MagnitudeDb, 0.5f, r, 2, expected.data(), count);
  EXPECT_EQ(points, expected);
  MultiTypeFilter::ComputeResponse(0.5f, 0.7f, 0.5f, 1.0f, points.data(), count);
  FillResponse(&CombFilter::MagnitudeDb, 0.5f, r, 1, expected.data(), count);
  EXPECT_EQ(points, expected);
  MultiTypeFilter::ComputeResponse(0.5f, 0.7f, 0.5f, 2.0f, points.data(), count);
  for (float p : points) EXPECT_FLOAT_EQ(p, 80.0f / 120.0f);
  // Every type's curve stays finite and inside the stored range.
  for (float type : {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f}) {
    for (float mode : {0.0f, 0.35f, 1.0f}) {
      MultiTypeFilter::ComputeResponse(1.0f, 1.0f, mode, type, points.data(), count);
      for (float p : points) {
        ASSERT_GE(p, -20.0f / 120.0f);
        ASSERT_LE(p, 140.0f / 120.0f);
      }
    }
  }
}

// Each type's stored mode values (item / (count - 1)) select that item, in the slot as in the
// filter that runs it; the values between two items go to the nearer one.
TEST(MultiTypeFilter, EachTypeReadsItsOwnModeItems) {
  struct TypeModes {
    FilterType type;
    uint32_t count;
  };
  const TypeModes types[] = {{FilterType::kJapan, SH101Filter::kModeCount},
                             {FilterType::kSvf, StateVariableFilter::kModeCount},
                             {FilterType::kFatty, MS20Filter::kModeCount},
                             {FilterType::kComb, CombFilter::kModeCount}};
  EXPECT_EQ(SH101Filter::kModeCount, 22u);
  EXPECT_EQ(StateVariableFilter::kModeCount, 10u);
  EXPECT_EQ(MS20Filter::kModeCount, 4u);
  EXPECT_EQ(CombFilter::kModeCount, 2u);
  for (const TypeModes& t : types) {
    const auto typeIndex = static_cast<uint32_t>(t.type);
    const float last = static_cast<float>(t.count - 1);
    for (uint32_t item = 0; item < t.count; ++item) {
      const float value = static_cast<float>(item) / last;
      EXPECT_EQ(MultiTypeFilter::ModeIndexOf(typeIndex, value), item) << typeIndex;
      const float justAbove = (static_cast<float>(item) + 0.4f) / last;
      EXPECT_EQ(MultiTypeFilter::ModeIndexOf(typeIndex, justAbove), item) << typeIndex;
    }
    EXPECT_EQ(MultiTypeFilter::ModeIndexOf(typeIndex, kNaN), 0u) << typeIndex;
  }
  EXPECT_EQ(MultiTypeFilter::ModeIndexOf(MultiTypeFilter::kNoType, 0.7f), 0u);
  for (uint32_t item = 0; item < SH101Filter::kModeCount; ++item) {
    MultiTypeFilter slot;
    slot.Initialize(0.5f, 0.2f, static_cast<float>(item) / 21.0f, 0.0f);
    EXPECT_EQ(slot.Japan().Mode(), item);
  }
}

}  // namespace
}  // namespace VDSP
