// One filter slot's filter: control mapping, dispatch to the selected type, and its response plot.
#include "dsp/MultiTypeFilter.h"

#include <cmath>

#include "dsp/Clamp.h"
#include "dsp/FilterResponse.h"

namespace VDSP {
namespace {

// The defaults every type gets on Reset, as if the slot had been set to cutoff 1, resonance 0 and
// mode 0.
constexpr float kDefaultCutoff = 1.0f;
constexpr float kDefaultResonance = 0.0f;
constexpr float kDefaultMode = 0.0f;

// A type that processes nothing passes everything: 0 dB.
float FlatMagnitudeDb(float, float, int, float, float) {
  return 0.0f;
}

}  // namespace

void MultiTypeFilter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  svf_.SetSampleRate(processingRateHz, hostRateHz, factor);
  sh101_.SetSampleRate(processingRateHz, hostRateHz, factor);
  combLeft_.SetSampleRate(processingRateHz, hostRateHz, factor);
  combRight_.SetSampleRate(processingRateHz, hostRateHz, factor);
  ms20Left_.SetSampleRate(processingRateHz, hostRateHz, factor);
  ms20Right_.SetSampleRate(processingRateHz, hostRateHz, factor);
}

float MultiTypeFilter::MapResonance(float resonance) {
  const float d = (resonance - 0.5f) * 4.0f;
  const float r = d * d * d * d * d * 0.014285714f + 0.1f * resonance + 0.45f;  // 1/70
  return ClampUnit(r);
}

uint32_t MultiTypeFilter::ModeIndexOf(uint32_t typeIndex, float mode) {
  switch (typeIndex) {
    case static_cast<uint32_t>(FilterType::kJapan):
      return SH101Filter::ModeIndexOf(mode);
    case static_cast<uint32_t>(FilterType::kSvf):
      return StateVariableFilter::ModeIndexOf(mode);
    case static_cast<uint32_t>(FilterType::kFatty):
      return MS20Filter::ModeIndexOf(mode);
    case static_cast<uint32_t>(FilterType::kComb):
      return CombFilter::ModeIndexOf(mode);
    default:
      return 0;
  }
}

uint32_t MultiTypeFilter::TypeIndexOf(float type) {
  constexpr float kLastType = static_cast<float>(kFilterTypeCount - 1);
  const float rounded = std::round(kLastType * type);
  if (!(rounded >= 0.0f && rounded <= kLastType)) return kNoType;
  return static_cast<uint32_t>(rounded);
}

void MultiTypeFilter::Initialize(float cutoff, float resonance, float mode, float type) {
  type_ = TypeIndexOf(type);
  const float r = MapResonance(resonance);
  switch (type_) {
    case static_cast<uint32_t>(FilterType::kJapan):
      sh101_.SetParameters(cutoff, r, mode);
      break;
    case static_cast<uint32_t>(FilterType::kSvf):
      svf_.SetParameters(cutoff, r, mode);
      break;
    case static_cast<uint32_t>(FilterType::kFatty):
      ms20Left_.SetParameters(cutoff, r, mode);
      ms20Right_.SetParameters(cutoff, r, mode);
      break;
    case static_cast<uint32_t>(FilterType::kComb):
      combLeft_.SetParameters(cutoff, r, mode);
      combRight_.SetParameters(cutoff, r, mode);
      break;
    default:
      break;
  }
}

void MultiTypeFilter::Process(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int32_t n, float inverseN) {
  if (n < 1) return;
  switch (type_) {
    case static_cast<uint32_t>(FilterType::kJapan):
      sh101_.Process(inLeft, inRight, outLeft, outRight, n, inverseN);
      break;
    case static_cast<uint32_t>(FilterType::kSvf):
      svf_.Process(inLeft, inRight, outLeft, outRight, n, inverseN);
      break;
    case static_cast<uint32_t>(FilterType::kFatty):
      ms20Left_.Process(inLeft, outLeft, n, inverseN);
      ms20Right_.Process(inRight, outRight, n, inverseN);
      break;
    case static_cast<uint32_t>(FilterType::kComb):
      combLeft_.Process(inLeft, outLeft, n, inverseN);
      combRight_.Process(inRight, outRight, n, inverseN);
      break;
    default:
      for (int32_t i = 0; i < n; ++i) {
        outLeft[i] = inLeft[i];
        outRight[i] = inRight[i];
      }
      break;
  }
}

void MultiTypeFilter::Reset() {
  const float r = MapResonance(kDefaultResonance);
  svf_.Reset();
  svf_.SetParameters(kDefaultCutoff, r, kDefaultMode);
  // The other types' own resets restore the same defaults.
  sh101_.Reset();
  ms20Left_.Reset();
  ms20Right_.Reset();
  combLeft_.Reset();
  combRight_.Reset();
}

void MultiTypeFilter::ComputeResponse(float cutoff, float resonance, float mode, float type,
                                      float* points, int32_t count) {
  const float r = MapResonance(resonance);
  const uint32_t typeIndex = TypeIndexOf(type);
  const int modeIndex = static_cast<int>(ModeIndexOf(typeIndex, mode));
  switch (typeIndex) {
    case static_cast<uint32_t>(FilterType::kJapan):
      FillResponse(&SH101Filter::MagnitudeDb, cutoff, r, modeIndex, points, count);
      break;
    case static_cast<uint32_t>(FilterType::kSvf):
      FillResponse(&StateVariableFilter::MagnitudeDb, cutoff, r, modeIndex, points, count);
      break;
    case static_cast<uint32_t>(FilterType::kFatty):
      FillResponse(&MS20Filter::MagnitudeDb, cutoff, r, modeIndex, points, count);
      break;
    case static_cast<uint32_t>(FilterType::kComb):
      FillResponse(&CombFilter::MagnitudeDb, cutoff, r, modeIndex, points, count);
      break;
    default:
      FillResponse(&FlatMagnitudeDb, cutoff, r, 0, points, count);
      break;
  }
}

}  // namespace VDSP
