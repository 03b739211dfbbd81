// The visualisation curves: which changes redraw which display, and each curve against the engine
// function it shows (the drive stage, the LFO preview, the envelope, the filter response).
#include "editor/VizCurves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "dsp/Distortion.h"
#include "dsp/GainLaws.h"
#include "dsp/MultiTypeFilter.h"
#include "modulation/AHDREnvelope.h"
#include "modulation/LFO.h"
#include "plugin/ParameterTable.h"

namespace {

namespace PT = ParameterTable;
using VizCurves::Snapshot;

Snapshot Defaults() {
  Snapshot s{};
  for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) s[i] = 0.25f;
  return s;
}

TEST(VizCurvesTest, EveryPlaceholderNamesItsKind) {
  for (int32_t kind = 0; kind < VizCurves::kNumKinds; ++kind) {
    EXPECT_EQ(VizCurves::KindForPlaceholder(VizCurves::kPlaceholders[kind]), kind);
  }
  for (const char* other : {"", "Viz", "F3Viz", "dviz", "XYControllerPanel"}) {
    EXPECT_EQ(VizCurves::KindForPlaceholder(other), VizCurves::kNoKind) << other;
  }
}

TEST(VizCurvesTest, LiveValuesAreMadeSafe) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const struct {
    float in, out;
  } cases[] = {{std::nanf(""), 0.0f}, {kInf, 0.0f}, {-kInf, 0.0f}, {-0.5f, 0.0f},
               {1.5f, 1.0f},          {0.3f, 0.3f}, {0.0f, 0.0f},  {1.0f, 1.0f}};
  for (const auto& c : cases) EXPECT_EQ(VizCurves::SafeValue(c.in), c.out) << c.in;
}

// A change of one parameter, just inside or just outside each display's range.
TEST(VizCurvesTest, OnlyAChangeInsideTheRangeRedraws) {
  const struct {
    int32_t kind;
    int32_t changed;
    bool redraws;
  } cases[] = {
      {VizCurves::kDrive, PT::kDriveAmount, true},    {VizCurves::kDrive, PT::kDriveMode, true},
      {VizCurves::kDrive, PT::kEnvFollowGain, false}, {VizCurves::kDrive, PT::kDriveActive, false},
      {VizCurves::kFilter1, PT::kF1Cutoff, true},     {VizCurves::kFilter1, PT::kF1FMSource, true},
      {VizCurves::kFilter1, PT::kF1Active, true},     {VizCurves::kFilter1, PT::kFilterLink, false},
      {VizCurves::kFilter1, PT::kF1Pan, false},       {VizCurves::kFilter2, PT::kF2Cutoff, true},
      {VizCurves::kFilter2, PT::kF2FMSource, true},   {VizCurves::kFilter2, PT::kF1Pan, false},
      {VizCurves::kFilter2, PT::kF2Pan, false},       {VizCurves::kLFO1, PT::kLFO1Rate, true},
      {VizCurves::kLFO1, PT::kLFO1Swing, true},       {VizCurves::kLFO1, PT::kLFO2Rate, false},
      {VizCurves::kLFO2, PT::kLFO2Rate, true},        {VizCurves::kLFO2, PT::kLFO2Swing, true},
      {VizCurves::kLFO2, PT::kLFO1Swing, false},      {VizCurves::kLFO2, PT::kEnvAttack, false},
      {VizCurves::kEnvelope, PT::kEnvAttack, true},   {VizCurves::kEnvelope, PT::kEnvGain, true},
      {VizCurves::kEnvelope, PT::kLFO2Swing, false},  {VizCurves::kEnvelope, PT::kSandHRate, false},
      {VizCurves::kCompressor, PT::kComp, true},      {VizCurves::kCompressor, PT::kCompMode, true},
      {VizCurves::kCompressor, PT::kGain, false},     {VizCurves::kSampleAndHold, PT::kMix, true},
      {VizCurves::kFollower, PT::kMix, true},         {9, PT::kComp, false},
      {VizCurves::kNoKind, PT::kComp, false},
  };
  for (const auto& c : cases) {
    const Snapshot before = Defaults();
    Snapshot after = before;
    after[c.changed] = 0.75f;
    EXPECT_EQ(VizCurves::NeedsRedraw(c.kind, before, after), c.redraws)
        << "kind " << c.kind << ", parameter " << c.changed;
  }
}

TEST(VizCurvesTest, OnlyTheHistoriesRedrawWithoutAChange) {
  const Snapshot same = Defaults();
  for (int32_t kind = 0; kind < VizCurves::kNumKinds; ++kind) {
    EXPECT_EQ(VizCurves::NeedsRedraw(kind, same, same), VizCurves::IsHistory(kind)) << kind;
  }
}

TEST(VizCurvesTest, FilterDisplaysDimWhileTheirSlotIsOff) {
  const struct {
    int32_t kind;
    float f1Active, f2Active;
    bool dimmed;
  } cases[] = {
      {VizCurves::kFilter1, 1.0f, 0.0f, false}, {VizCurves::kFilter1, 0.49f, 1.0f, true},
      {VizCurves::kFilter1, 0.5f, 0.0f, false}, {VizCurves::kFilter2, 1.0f, 0.0f, true},
      {VizCurves::kFilter2, 0.0f, 1.0f, false}, {VizCurves::kDrive, 0.0f, 0.0f, false},
  };
  for (const auto& c : cases) {
    Snapshot s = Defaults();
    s[PT::kF1Active] = c.f1Active;
    s[PT::kF2Active] = c.f2Active;
    EXPECT_EQ(VizCurves::IsDimmed(c.kind, s), c.dimmed) << c.kind << " " << c.f1Active;
  }
}

// --- Compressor --------------------------------------------------------------------------------

TEST(VizCurvesTest, CompressorRisesOneToOneToTheCentreThenAtItsSlope) {
  const struct {
    float compress, mode;
    float slope;  // rise over the second half
  } cases[] = {
      {0.0f, 1.0f, 0.5f},  // hard at 0: one straight 1:1 line
      {0.0f, 0.0f, 0.5f}, {1.0f, 0.0f, 0.1f},  {1.0f, 1.0f, 0.0f},
      {0.5f, 0.0f, 0.3f}, {0.5f, 0.7f, 0.25f},
  };
  for (const int32_t width : {160, 161}) {
    const int32_t h = width / 2;
    for (const auto& c : cases) {
      std::vector<float> curve;
      VizCurves::CompressorCurve(c.compress, c.mode, width, curve);
      ASSERT_EQ(curve.size(), size_t(2 * h + 1));
      EXPECT_FLOAT_EQ(curve[0], 0.0f);
      EXPECT_FLOAT_EQ(curve[h], 0.5f);
      EXPECT_NEAR(curve.back(), 0.5f + c.slope, 1e-5f) << c.compress << " " << c.mode;
      for (int32_t i = 1; i < int32_t(curve.size()); ++i) {
        const float step = i <= h ? 0.5f / float(h) : c.slope / float(h);
        ASSERT_NEAR(curve[i] - curve[i - 1], step, 1e-5f) << "point " << i;
      }
    }
  }
}

TEST(VizCurvesTest, CompressorNeedsTwoColumns) {
  std::vector<float> curve = {1.0f};
  for (const int32_t width : {-3, 0, 1}) {
    VizCurves::CompressorCurve(0.5f, 0.0f, width, curve);
    EXPECT_TRUE(curve.empty()) << width;
  }
}

// --- Drive -------------------------------------------------------------------------------------

// The drive stage as the engine runs it: a fresh stage, the gain from the amount, two blocks of
// the test sine, the second one kept.
std::vector<float> EngineDriveOutput(float amount, uint32_t mode) {
  VDSP::Distortion drive;
  drive.SetSampleRate(44100.0f, 44100.0f, 1);
  drive.SetMode(mode);
  drive.SetTargetGain(VDSP::DriveGain(amount));
  std::vector<float> left(256), right(256);
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 256; ++i) left[i] = right[i] = VizCurves::DriveInput(i);
    drive.Process(left.data(), right.data(), 256);
  }
  return left;
}

TEST(VizCurvesTest, DriveCurveIsTheDriveStagesOutputInEveryMode) {
  for (uint32_t mode = 0; mode < VDSP::kDistortionModeCount; ++mode) {
    for (const float amount : {0.0f, 0.4f, 1.0f}) {
      const float normalisedMode = float(mode) / 6.0f;
      std::vector<float> curve;
      VizCurves::DriveCurve(amount, normalisedMode, curve);
      const std::vector<float> engine = EngineDriveOutput(amount, mode);
      ASSERT_EQ(curve.size(), engine.size());
      float peak = 1.0f;
      for (const float y : engine) peak = std::max(peak, std::fabs(y));
      for (size_t i = 0; i < curve.size(); ++i) {
        ASSERT_NEAR(curve[i], 0.5f + 0.5f * engine[i] / peak, 1e-6f)
            << "mode " << mode << " at " << i;
      }
      const auto [low, high] = std::minmax_element(curve.begin(), curve.end());
      EXPECT_GE(*low, 0.0f) << "mode " << mode;
      EXPECT_LE(*high, 1.0f) << "mode " << mode;
    }
  }
}

TEST(VizCurvesTest, DriveInputHoldsTwoCyclesOfTheSine) {
  EXPECT_NEAR(VizCurves::DriveInput(0), 0.0f, 1e-6f);
  EXPECT_NEAR(VizCurves::DriveInput(32), VizCurves::kDriveInputPeak, 1e-6f);
  EXPECT_NEAR(VizCurves::DriveInput(96), -VizCurves::kDriveInputPeak, 1e-6f);
  EXPECT_NEAR(VizCurves::DriveInput(160), VizCurves::kDriveInputPeak, 1e-6f);
}

TEST(VizCurvesTest, DriveCurveShowsWhatAMusicianHears) {
  // Op-amp at amount 0 passes the sine (apart from the band limits and the 20 Hz high-pass).
  std::vector<float> clean;
  VizCurves::DriveCurve(0.0f, 2.0f / 6.0f, clean);
  for (int i = 0; i < VizCurves::kDrivePoints; ++i) {
    ASSERT_NEAR(clean[i], 0.5f + 0.5f * VizCurves::DriveInput(i), 0.03f) << i;
  }
  // Clipper at full amount: a square wave that never passes +-0.75.
  std::vector<float> clipped;
  VizCurves::DriveCurve(1.0f, 5.0f / 6.0f, clipped);
  const auto [low, high] = std::minmax_element(clipped.begin(), clipped.end());
  EXPECT_GE(*low, 0.5f - 0.5f * 0.75f - 1e-4f);
  EXPECT_LE(*high, 0.5f + 0.5f * 0.75f + 1e-4f);
  EXPECT_NEAR(clipped[32], 0.875f, 0.02f);
  EXPECT_NEAR(clipped[16], 0.875f, 0.02f);  // flat top: already clipped an eighth cycle in
  // Tannin folds far beyond full scale: the whole fold is shown, from the bottom to the top.
  std::vector<float> folded;
  VizCurves::DriveCurve(1.0f, 1.0f, folded);
  const auto [foldLow, foldHigh] = std::minmax_element(folded.begin(), folded.end());
  EXPECT_NEAR(*foldLow, 0.0f, 0.01f);
  EXPECT_NEAR(*foldHigh, 1.0f, 0.01f);
}

// --- LFOs ----------------------------------------------------------------------------------------

TEST(VizCurvesTest, LFOCurvesAreTheLFOsPreviewOfTheirOwnParameters) {
  const struct {
    int32_t lfo;
    int32_t shape, phase, gain, morph;
  } cases[] = {
      {0, PT::kLFO1Shape, PT::kLFO1Phase, PT::kLFO1Gain, PT::kLFO1Swing},
      {1, PT::kLFO2Shape, PT::kLFO2Phase, PT::kLFO2Gain, PT::kLFO2Swing},
  };
  Snapshot s = Defaults();
  // Different values everywhere, so that a plot reading a neighbour's parameter shows.
  for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) s[i] = 0.1f + 0.013f * float(i);
  for (const auto& c : cases) {
    std::vector<float> curve;
    VizCurves::LFOCurve(c.lfo, s, 144, curve);
    std::vector<float> expected;
    LFO::RenderPreview(s[c.shape], s[c.phase], s[c.gain], s[c.morph], expected, 144);
    EXPECT_EQ(curve, expected) << "LFO " << c.lfo + 1;
  }
}

// --- Envelope ------------------------------------------------------------------------------------

// The engine's envelope rendered at 44.1 kHz in 32-sample sub-blocks, as the engine runs it.
std::vector<float> EngineEnvelope(float attack, float hold, float decay, float curve, int frames) {
  AHDREnvelope envelope;
  envelope.SetSampleRate(44100.0f, 44100.0f, 1);
  envelope.Update(attack, hold, decay, curve);
  envelope.Trigger();
  std::vector<float> out(size_t(frames) + 32, 0.0f);
  for (int at = 0; at < frames; at += 32) envelope.Render(out.data() + at, 32);
  return out;
}

TEST(VizCurvesTest, EnvelopeCurveFollowsTheEngineEnvelope) {
  const struct {
    float attack, hold, decay, curve;
  } cases[] = {{0.0f, 0.0f, 0.5f, 0.1f},
               {0.3f, 0.2f, 0.3f, 0.0f},
               {0.2f, 0.0f, 0.4f, 1.0f},
               {0.5f, 0.5f, 0.2f, 0.6f}};
  constexpr int kPoints = 175;
  for (const auto& c : cases) {
    Snapshot s = Defaults();
    s[PT::kEnvAttack] = c.attack;
    s[PT::kEnvHold] = c.hold;
    s[PT::kEnvDecay] = c.decay;
    s[PT::kEnvCurve] = c.curve;
    s[PT::kEnvGain] = 1.0f;
    std::vector<float> curve;
    VizCurves::EnvelopeCurve(s, kPoints, curve);
    ASSERT_EQ(curve.size(), size_t(kPoints));
    const auto lengths = AHDREnvelope::ConvertToTimeInSamples(c.attack, c.hold, c.decay, 44100.0f);
    const float total = lengths.attack + lengths.hold + lengths.decay;
    const std::vector<float> engine =
        EngineEnvelope(c.attack, c.hold, c.decay, c.curve, int(total) + 1);
    EXPECT_NEAR(curve.front(), 0.0f, 1e-6f);
    EXPECT_NEAR(curve.back(), 0.0f, 1e-3f);
    for (int i = 0; i < kPoints; ++i) {
      const int sample = int(std::lround(total * float(i) / float(kPoints - 1)));
      // The engine reaches each level one sample later and draws its decay as straight lines
      // between sub-block ends.
      EXPECT_NEAR(curve[i], engine[size_t(std::max(sample - 1, 0))], 0.02f)
          << "attack " << c.attack << " point " << i;
    }
  }
}

TEST(VizCurvesTest, EnvelopeCurveScalesWithItsGainSquared) {
  Snapshot s = Defaults();
  s[PT::kEnvGain] = 1.0f;
  std::vector<float> full;
  VizCurves::EnvelopeCurve(s, 100, full);
  s[PT::kEnvGain] = 0.5f;
  std::vector<float> quarter;
  VizCurves::EnvelopeCurve(s, 100, quarter);
  ASSERT_EQ(full.size(), quarter.size());
  EXPECT_GT(*std::max_element(full.begin(), full.end()), 0.99f);
  for (size_t i = 0; i < full.size(); ++i) EXPECT_FLOAT_EQ(quarter[i], full[i] * 0.25f) << i;
}

// --- Filters -------------------------------------------------------------------------------------

TEST(VizCurvesTest, FilterCurvesAreTheirSlotsResponse) {
  const struct {
    int32_t slot;
    int32_t cutoff, resonance, mode, type;
  } cases[] = {
      {0, PT::kF1Cutoff, PT::kF1Res, PT::kF1Mode, PT::kF1Type},
      {1, PT::kF2Cutoff, PT::kF2Res, PT::kF2Mode, PT::kF2Type},
  };
  Snapshot s = Defaults();
  for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) s[i] = 0.1f + 0.013f * float(i);
  for (const auto& c : cases) {
    std::vector<float> curve;
    VizCurves::FilterCurve(c.slot, s, 124, curve);
    std::vector<float> expected(124);
    VDSP::MultiTypeFilter::ComputeResponse(s[c.cutoff], s[c.resonance], s[c.mode], s[c.type],
                                           expected.data(), 124);
    EXPECT_EQ(curve, expected) << "filter " << c.slot + 1;
  }
}

TEST(VizCurvesTest, ALowPassFallsAboveItsCutoff) {
  Snapshot s = Defaults();
  s[PT::kF1Cutoff] = 0.5f;  // 440 Hz
  s[PT::kF1Res] = 0.0f;
  s[PT::kF1Mode] = 0.0f;
  s[PT::kF1Type] = 1.0f / 3.0f;  // state-variable filter, mode 0
  std::vector<float> curve;
  VizCurves::FilterCurve(0, s, 120, curve);
  ASSERT_EQ(curve.size(), 120u);
  EXPECT_GT(curve[5], curve[119] + 0.2f);
}

// --- Geometry ------------------------------------------------------------------------------------

TEST(VizCurvesTest, PointsSitInsideTheirMargins) {
  const struct {
    float value;
    float filterY, curveY;
  } cases[] = {{1.0f, 2.0f, 4.0f},   {0.0f, 68.0f, 66.0f},          {0.5f, 35.0f, 35.0f},
               {2.0f, 2.0f, 4.0f},   {std::nanf(""), 68.0f, 66.0f}, {-1.0f, 68.0f, 66.0f},
               {0.25f, 51.5f, 50.5f}};
  for (const auto& c : cases) {
    EXPECT_FLOAT_EQ(VizCurves::FilterY(c.value, 70.0f), c.filterY) << c.value;
    EXPECT_FLOAT_EQ(VizCurves::CurveY(c.value, 70.0f), c.curveY) << c.value;
  }
}

TEST(VizCurvesTest, ValuesAreSpreadOverTheColumns) {
  const std::vector<float> values = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 0.5f, 0.0f, 1.0f};
  const struct {
    int32_t columns;
    std::vector<size_t> shown;  // the value index each column shows
  } cases[] = {
      {4, {0, 2, 4, 6}},  // more values than columns: every 2nd
      {16, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7}},  // fewer: each twice
      {8, {0, 1, 2, 3, 4, 5, 6, 7}},
      {3, {0, 2, 5}},
  };
  for (const auto& c : cases) {
    std::vector<VGui::PointF> points;
    VizCurves::ColumnPoints(values, c.columns, 40.0f, false, points);
    ASSERT_EQ(points.size(), c.shown.size()) << c.columns;
    for (size_t i = 0; i < points.size(); ++i) {
      EXPECT_FLOAT_EQ(points[i].x, float(i) + 0.5f);
      EXPECT_FLOAT_EQ(points[i].y, VizCurves::CurveY(values[c.shown[i]], 40.0f))
          << c.columns << " columns, column " << i;
    }
  }
  std::vector<VGui::PointF> points = {{1.0f, 1.0f}};
  VizCurves::ColumnPoints({}, 10, 40.0f, false, points);
  EXPECT_TRUE(points.empty());
  VizCurves::ColumnPoints(values, 0, 40.0f, false, points);
  EXPECT_TRUE(points.empty());
}

TEST(VizCurvesTest, StrokedLinesLeaveOutOnlyPointsOnAStraightRun) {
  using P = VGui::PointF;
  const struct {
    const char* what;
    std::vector<P> points;
    std::vector<P> stroked;
  } cases[] = {
      {"flat", {{0.5f, 9}, {1.5f, 9}, {2.5f, 9}, {3.5f, 9}}, {{0.5f, 9}, {3.5f, 9}}},
      {"two legs",
       {{0.5f, 20}, {1.5f, 18}, {2.5f, 16}, {3.5f, 15}, {4.5f, 14}},
       {{0.5f, 20}, {2.5f, 16}, {4.5f, 14}}},
      {"step",
       {{0.5f, 9}, {1.5f, 9}, {2.5f, 4}, {3.5f, 4}},
       {{0.5f, 9}, {1.5f, 9}, {2.5f, 4}, {3.5f, 4}}},
      {"turning back", {{0.5f, 9}, {1.5f, 9}, {0.5f, 9}}, {{0.5f, 9}, {1.5f, 9}, {0.5f, 9}}},
      {"one point", {{0.5f, 9}}, {{0.5f, 9}}},
      {"none", {}, {}},
  };
  for (const auto& c : cases) {
    std::vector<P> out = {{7, 7}};
    VizCurves::DropStraightRunPoints(c.points, out);
    ASSERT_EQ(out.size(), c.stroked.size()) << c.what;
    for (size_t i = 0; i < out.size(); ++i) {
      EXPECT_FLOAT_EQ(out[i].x, c.stroked[i].x) << c.what << " " << i;
      EXPECT_FLOAT_EQ(out[i].y, c.stroked[i].y) << c.what << " " << i;
    }
  }
}

TEST(VizCurvesTest, ACurvedLineKeepsEveryPoint) {
  std::vector<float> values;
  LFO::RenderPreview(0.5f, 0.0f, 1.0f, 0.5f, values, 144);
  std::vector<VGui::PointF> points;
  VizCurves::ColumnPoints(values, 144, 28.0f, false, points);
  std::vector<VGui::PointF> stroked;
  VizCurves::DropStraightRunPoints(points, stroked);
  // Only the sine's nearly straight stretches through its centre line may thin out.
  EXPECT_GT(stroked.size(), points.size() * 3 / 4);
  EXPECT_FLOAT_EQ(stroked.front().x, points.front().x);
  EXPECT_FLOAT_EQ(stroked.back().x, points.back().x);
}

}  // namespace
