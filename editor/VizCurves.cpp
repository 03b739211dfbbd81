// The visualisation panels' curves, from the engine's own functions.
#include "editor/VizCurves.h"

#include <algorithm>
#include <cmath>

#include "dsp/Distortion.h"
#include "dsp/GainLaws.h"
#include "dsp/MathConstants.h"
#include "dsp/MultiTypeFilter.h"
#include "modulation/AHDREnvelope.h"
#include "modulation/LFO.h"
#include "plugin/ParameterTable.h"

namespace VizCurves {
namespace {

namespace PT = ParameterTable;

struct FilterSlotIndices {
  int32_t cutoff, resonance, active, mode, type;
};
constexpr FilterSlotIndices kFilterSlots[2] = {
    {PT::kF1Cutoff, PT::kF1Res, PT::kF1Active, PT::kF1Mode, PT::kF1Type},
    {PT::kF2Cutoff, PT::kF2Res, PT::kF2Active, PT::kF2Mode, PT::kF2Type},
};

struct LFOIndices {
  int32_t shape, phase, gain, morph;
};
constexpr LFOIndices kLFOs[2] = {
    {PT::kLFO1Shape, PT::kLFO1Phase, PT::kLFO1Gain, PT::kLFO1Swing},
    {PT::kLFO2Shape, PT::kLFO2Phase, PT::kLFO2Gain, PT::kLFO2Swing},
};

constexpr ParameterRange kRanges[kNumKinds] = {
    {PT::kDriveAmount, PT::kDriveMode},  // drive
    {PT::kF1Cutoff, PT::kF1FMSource},    // filter 1
    {PT::kF2Cutoff, PT::kF2FMSource},    // filter 2
    {0, -1},                             // sample-and-hold history
    {PT::kLFO1Rate, PT::kLFO1Swing},     // LFO 1
    {PT::kLFO2Rate, PT::kLFO2Swing},     // LFO 2
    {PT::kEnvAttack, PT::kEnvGain},      // envelope
    {0, -1},                             // follower history
    {PT::kComp, PT::kCompMode},          // compressor
};

bool IsKind(int32_t kind) {
  return kind >= 0 && kind < kNumKinds;
}

bool On(float value) {
  return value >= 0.5f;
}

// Levels of the envelope's three stages at time t (samples) along an envelope of these lengths.
float EnvelopeLevelAt(float t, const AHDREnvelope::StageLengths& lengths, float exponent) {
  if (t < lengths.attack) return t / lengths.attack;
  const float decayStart = lengths.attack + lengths.hold;
  if (t < decayStart) return 1.0f;
  return AHDREnvelope::DecayLevel((t - decayStart) / lengths.decay, exponent);
}

}  // namespace

int32_t KindForPlaceholder(std::string_view name) {
  for (int32_t kind = 0; kind < kNumKinds; ++kind) {
    if (name == kPlaceholders[kind]) return kind;
  }
  return kNoKind;
}

float SafeValue(float value) {
  return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
}

std::optional<ParameterRange> RangeOf(int32_t kind) {
  if (!IsKind(kind) || IsHistory(kind)) return std::nullopt;
  return kRanges[kind];
}

bool IsHistory(int32_t kind) {
  return kind == kSampleAndHold || kind == kFollower;
}

bool IsFilter(int32_t kind) {
  return kind == kFilter1 || kind == kFilter2;
}

bool NeedsRedraw(int32_t kind, const Snapshot& previous, const Snapshot& current) {
  if (IsHistory(kind)) return true;
  const std::optional<ParameterRange> range = RangeOf(kind);
  if (!range) return false;
  return !std::equal(previous.begin() + range->first, previous.begin() + range->last + 1,
                     current.begin() + range->first);
}

bool IsDimmed(int32_t kind, const Snapshot& live) {
  if (!IsFilter(kind)) return false;
  return !On(live[kFilterSlots[kind - kFilter1].active]);
}

void FilterCurve(int32_t slot, const Snapshot& live, int32_t columns, std::vector<float>& out) {
  out.assign(static_cast<size_t>(std::max(columns, 0)), 0.0f);
  if (out.empty() || slot < 0 || slot > 1) return;
  const FilterSlotIndices& s = kFilterSlots[slot];
  VDSP::MultiTypeFilter::ComputeResponse(live[s.cutoff], live[s.resonance], live[s.mode],
                                         live[s.type], out.data(), columns);
}

float DriveInput(int32_t sample) {
  // Two cycles over the 256 samples.
  const float phase = VDSP::kTwoPi * 2.0f * static_cast<float>(sample) / float(kDrivePoints);
  return kDriveInputPeak * std::sin(phase);
}

void DriveCurve(float amount, float mode, std::vector<float>& out) {
  std::array<float, kDrivePoints> left{};
  std::array<float, kDrivePoints> right{};
  const auto fill = [&] {
    for (int32_t i = 0; i < kDrivePoints; ++i) left[i] = right[i] = DriveInput(i);
  };
  VDSP::Distortion drive;
  drive.SetSampleRate(kPlotRateHz, kPlotRateHz, 1);
  drive.SetMode(VDSP::Distortion::ModeIndexOf(mode));
  drive.SetTargetGain(VDSP::DriveGain(SafeValue(amount)));
  // A fresh stage fades its gain in across the first block: that block only warms it up (and
  // settles its high-pass), the second is the plot.
  fill();
  drive.Process(left.data(), right.data(), kDrivePoints);
  fill();
  drive.Process(left.data(), right.data(), kDrivePoints);
  float peak = 1.0f;
  for (const float y : left) peak = std::fmax(peak, std::fabs(y));
  const float scale = 0.5f / peak;
  out.resize(kDrivePoints);
  for (int32_t i = 0; i < kDrivePoints; ++i) out[i] = 0.5f + scale * left[i];
}

void LFOCurve(int32_t lfo, const Snapshot& live, int32_t points, std::vector<float>& out) {
  out.clear();
  if (lfo < 0 || lfo > 1 || points <= 0) return;
  const LFOIndices& l = kLFOs[lfo];
  LFO::RenderPreview(live[l.shape], live[l.phase], live[l.gain], live[l.morph], out, points);
}

void EnvelopeCurve(const Snapshot& live, int32_t points, std::vector<float>& out) {
  out.clear();
  if (points <= 0) return;
  const AHDREnvelope::StageLengths lengths = AHDREnvelope::ConvertToTimeInSamples(
      SafeValue(live[PT::kEnvAttack]), SafeValue(live[PT::kEnvHold]),
      SafeValue(live[PT::kEnvDecay]), kPlotRateHz);
  const float exponent = AHDREnvelope::CurveExponent(SafeValue(live[PT::kEnvCurve]));
  const float gain = SafeValue(live[PT::kEnvGain]);
  const float total = lengths.attack + lengths.hold + lengths.decay;
  const float step = points > 1 ? total / static_cast<float>(points - 1) : 0.0f;
  out.reserve(static_cast<size_t>(points));
  for (int32_t i = 0; i < points; ++i) {
    out.push_back(EnvelopeLevelAt(step * static_cast<float>(i), lengths, exponent) * gain * gain);
  }
}

void CompressorCurve(float compress, float compMode, int32_t width, std::vector<float>& out) {
  out.clear();
  const int32_t h = width / 2;
  if (h < 1) return;
  const float c = SafeValue(compress);
  const float slope = On(SafeValue(compMode)) ? (1.0f - c) * 0.5f : (1.0f - c) * 0.4f + 0.1f;
  const float hf = static_cast<float>(h);
  out.reserve(static_cast<size_t>(2 * h + 1));
  for (int32_t i = 0; i < h; ++i) out.push_back(static_cast<float>(i) * 0.5f / hf);
  for (int32_t i = 0; i <= h; ++i) out.push_back(0.5f + static_cast<float>(i) * slope / hf);
}

float FilterY(float value, float height) {
  return (1.0f - SafeValue(value)) * (height - 4.0f) + 2.0f;
}

float CurveY(float value, float height) {
  return (1.0f - SafeValue(value)) * (height - 8.0f) + 4.0f;
}

void ColumnPoints(const std::vector<float>& values, int32_t columns, float height, bool filter,
                  std::vector<VGui::PointF>& points) {
  points.clear();
  if (values.empty() || columns <= 0) return;
  const auto n = static_cast<int64_t>(values.size());
  points.reserve(static_cast<size_t>(columns));
  for (int32_t column = 0; column < columns; ++column) {
    const int64_t index = std::min<int64_t>(n - 1, int64_t(column) * n / columns);
    const float value = values[static_cast<size_t>(index)];
    points.push_back({static_cast<float>(column) + 0.5f,
                      filter ? FilterY(value, height) : CurveY(value, height)});
  }
}

void DropStraightRunPoints(const std::vector<VGui::PointF>& points,
                           std::vector<VGui::PointF>& out) {
  constexpr float kTolerance = 0.01f;
  out.clear();
  for (const VGui::PointF& p : points) {
    if (out.size() >= 2) {
      const VGui::PointF& a = out[out.size() - 2];
      const VGui::PointF& b = out.back();
      // Distance of b from the line a-p, times the length of a-p.
      const float cross = (p.x - a.x) * (b.y - a.y) - (p.y - a.y) * (b.x - a.x);
      const float length = std::hypot(p.x - a.x, p.y - a.y);
      const bool between = (b.x - a.x) * (p.x - b.x) + (b.y - a.y) * (p.y - b.y) >= 0.0f;
      if (between && std::fabs(cross) <= kTolerance * length) out.pop_back();
    }
    out.push_back(p);
  }
}

}  // namespace VizCurves
