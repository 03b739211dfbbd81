// Low-frequency oscillator: five morphing shapes, a skewable duty split, free or synced rate.
#include "modulation/LFO.h"

#include <cmath>

#include "dsp/Clamp.h"
#include "dsp/SineTable.h"
#include "modulation/RateConversions.h"

namespace {

// The morph can quicken a half-cycle fourfold (factor 0.25 or 1.75); capping the increment at a
// quarter cycle keeps every step within one cycle, so the single wrap per sample holds the phase in
// [0, 1]. Rates that high only alias anyway (11 kHz at 44.1 kHz, far above 1024 Hz).
constexpr double kMaxPhaseIncrement = 0.25;

struct ShapeWeights {
  float w[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
};

ShapeWeights WeightsFor(float shape) {
  const float s = 4.0f * VDSP::ClampUnit(shape);
  ShapeWeights weights;
  if (s < 1.0f) {
    weights.w[0] = 1.0f - s;
    weights.w[1] = s;
  } else if (s < 2.0f) {
    weights.w[1] = 1.0f - (s - 1.0f);
    weights.w[2] = s - 1.0f;
  } else if (s < 3.0f) {
    weights.w[2] = 1.0f - (s - 2.0f);
    weights.w[3] = s - 2.0f;
  } else {
    weights.w[3] = 1.0f - (s - 3.0f);
    weights.w[4] = s - 3.0f;
  }
  return weights;
}

// Morph factor m in [0.25, 1.75]: the first half-cycle lasts m / 2 of the period.
double MorphFactorFor(float morph) {
  return 1.5 * static_cast<double>(VDSP::ClampUnit(morph)) + 0.25;
}

// Phase steps for the two halves of the cycle, so that the period stays 1 / increment, and the
// factors that carry a step's overshoot across a half boundary into the other half's speed.
struct HalfSteps {
  double first;
  double second;
  double firstToSecond;
  double secondToFirst;
};

HalfSteps StepsFor(double increment, double morphFactor) {
  // A stopped LFO (0 Hz) must not turn the ratios into 0 / 0.
  if (std::fabs(morphFactor) < 1e-6 || !(increment > 0.0)) return {increment, increment, 1.0, 1.0};
  const double first = increment / morphFactor;
  const double second = increment / (2.0 - morphFactor);
  return {first, second, second / first, first / second};
}

// One step of the phase; the half is chosen by the phase before the step. The part of a step that
// crosses into the other half runs at that half's speed: otherwise every cycle gains or loses up to
// a step, which at audio-rate FM with a strong morph detunes the LFO by over a semitone. A phase of
// exactly 1 is kept for this sample.
double Advance(double phase, const HalfSteps& steps) {
  if (phase < 0.5) {
    phase += steps.first;
    if (phase > 0.5) phase = std::fmin(0.5 + (phase - 0.5) * steps.firstToSecond, 1.0);
  } else {
    phase += steps.second;
    if (phase > 1.0) phase = std::fmin((phase - 1.0) * steps.secondToFirst, 0.5);
  }
  return phase;
}

// Sum of the five weighted shapes at phase p plus the 0.5 centre line, before clamping. Every shape
// is evaluated whatever the weights, so the cost does not depend on the setting.
float WaveAt(double phase, const ShapeWeights& weights, const VDSP::SineTable& sine,
             const VDSP::ArcsineTable& arcsine) {
  const float p = static_cast<float>(phase);
  const float ramp = 0.5f - p;
  const float square = p < 0.5f ? 0.5f : -0.5f;
  const float position = 2048.0f * p;
  const float sineValue = sine.Read(position);
  const float triangle = p < 0.25f ? 2.0f * p : (p < 0.75f ? 1.0f - 2.0f * p : 2.0f * p - 2.0f);
  const float peaked = arcsine.Read(position);
  return weights.w[4] * peaked + weights.w[3] * triangle + weights.w[2] * sineValue +
         weights.w[1] * square + weights.w[0] * ramp + 0.5f;
}

// Clamp to [0, 1] by absolute values, (|y| + 1 - |y - 1|) / 2. Its rounding inside the range
// is part of the waves' values, so it stays apart from VDSP::ClampUnit.
float ClampUnitByAbs(float y) {
  return (std::fabs(y) + 1.0f - std::fabs(y - 1.0f)) * 0.5f;
}

double WrapPhase(double phase) {
  if (!std::isfinite(phase)) return 0.0;
  const double wrapped = phase - std::floor(phase);
  return wrapped < 1.0 ? wrapped : 0.0;
}

}  // namespace

LFO::LFO() : sine_(VDSP::SineTable::Get()), arcsine_(VDSP::ArcsineTable::Get()) {}

void LFO::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  phaseIncrement_ =
      std::fmin(frequencyHz_ * static_cast<double>(inverseProcessingRate_), kMaxPhaseIncrement);
}

void LFO::Update(float rateValue, bool synced, float tempoBpm, float shape, float morph) {
  const float hz = ComputeRate(rateValue, synced, tempoBpm);
  frequencyHz_ = std::isfinite(hz) && hz > 0.0f ? static_cast<double>(hz) : 0.0;
  phaseIncrement_ =
      std::fmin(frequencyHz_ * static_cast<double>(inverseProcessingRate_), kMaxPhaseIncrement);
  shape_ = VDSP::ClampUnit(shape);
  morphFactor_ = MorphFactorFor(morph);
}

void LFO::Render(float* buffer, int32_t count) {
  const ShapeWeights weights = WeightsFor(static_cast<float>(shape_));
  const HalfSteps steps = StepsFor(phaseIncrement_, morphFactor_);
  double phase = phase_;
  for (int32_t i = 0; i < count; ++i) {
    phase = Advance(phase, steps);
    buffer[i] = ClampUnitByAbs(WaveAt(phase, weights, sine_, arcsine_));
  }
  phase_ = phase;
}

float LFO::RenderLast(int32_t count) {
  const HalfSteps steps = StepsFor(phaseIncrement_, morphFactor_);
  double phase = phase_;
  for (int32_t i = 0; i < count; ++i) phase = Advance(phase, steps);
  phase_ = phase;
  return ClampUnitByAbs(WaveAt(phase, WeightsFor(static_cast<float>(shape_)), sine_, arcsine_));
}

void LFO::SetPhase(double phaseCycles) {
  phase_ = WrapPhase(phaseCycles);
}

void LFO::AlignToTransport(double ppqPosition, float tempoBpm, float phaseValue) {
  phase_ = TransportPhase(ppqPosition, tempoBpm, static_cast<float>(frequencyHz_), phaseValue);
}

float LFO::TransportPhase(double ppqPosition, float tempoBpm, float frequencyHz, float phaseValue) {
  float x = (1.0f / tempoBpm) * frequencyHz * static_cast<float>(ppqPosition) * 60.0f + phaseValue;
  if (!std::isfinite(x)) x = std::isfinite(phaseValue) ? phaseValue : 0.0f;
  if (x < 0.0f) x = std::fmod(x, 1.0f) + 1.0f;
  if (x >= 1.0f) x = std::fmod(x, 1.0f);
  return x;
}

float LFO::ComputeRate(float value, bool synced, float tempoBpm) {
  return ::ComputeRate(value, synced, tempoBpm);
}

float LFO::ConvertStringToLFORate(std::string_view text, bool synced) {
  return ConvertStringToRate(text, synced);
}

void LFO::RenderPreview(float shape, float phase, float gain, float morph,
                        std::vector<float>& points, int32_t pointCount) {
  if (pointCount <= 0) return;
  const ShapeWeights weights = WeightsFor(shape);
  const HalfSteps steps =
      StepsFor(std::fmin(1.0 / (static_cast<double>(pointCount) * 0.5), kMaxPhaseIncrement),
               MorphFactorFor(morph));
  const float gainSquared = std::isfinite(gain) ? gain * gain : 0.0f;
  const VDSP::SineTable& sine = VDSP::SineTable::Get();
  const VDSP::ArcsineTable& arcsine = VDSP::ArcsineTable::Get();
  double p = WrapPhase(phase);
  points.reserve(points.size() + static_cast<std::size_t>(pointCount));
  for (int32_t i = 0; i < pointCount; ++i) {
    p = Advance(p, steps);
    const float y = WaveAt(p, weights, sine, arcsine);
    points.push_back(ClampUnitByAbs(y * 0.8f + 0.1f) * gainSquared);
  }
}
