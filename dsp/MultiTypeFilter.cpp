// One filter slot's filter: control mapping, dispatch to the selected type, and its response plot.
#include "dsp/MultiTypeFilter.h"

#include <cmath>

#include "dsp/FilterResponse.h"

namespace VDSP {
namespace {

// The defaults every type gets on Reset, as if the slot had been set to cutoff 1, resonance 0 and
// mode 0.
constexpr float kDefaultCutoff = 1.0f;
constexpr float kDefaultResonance = 0.0f;
constexpr float kDefaultMode = 0.0f;

// round(21 m) limited to 0..21, the "Japan" mode index.
int JapanModeIndexOf(float mode) {
  if (!(mode == mode)) return 0;
  const float m = 21.0f * std::fmin(std::fmax(mode, -1.0f), 2.0f);
  return static_cast<int>((std::fabs(m) + 21.0f - std::fabs(m - 21.0f)) / 2.0f + 0.5f);
}

// round(min(3 |m|, 3)), the "Fatty" mode index.
int FattyModeIndexOf(float mode) {
  if (!(mode == mode)) return 0;
  return static_cast<int>(std::round(std::fmin(3.0f * std::fabs(mode), 3.0f)));
}

// The "Comb" polarity: 1 "Positive" from 0.5 up, 0 "Negative" below.
int CombModeIndexOf(float mode) {
  return mode >= 0.5f ? 1 : 0;
}

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
  return std::fmin(std::fmax(r, 0.0f), 1.0f);
}

uint32_t MultiTypeFilter::TypeIndexOf(float type) {
  const float rounded = std::round(3.0f * type);
  if (!(rounded >= 0.0f && rounded <= 3.0f)) return kNoType;
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
  switch (TypeIndexOf(type)) {
    case static_cast<uint32_t>(FilterType::kJapan):
      FillResponse(&SH101Filter::MagnitudeDb, cutoff, r, JapanModeIndexOf(mode), points, count);
      break;
    case static_cast<uint32_t>(FilterType::kSvf):
      FillResponse(&StateVariableFilter::MagnitudeDb, cutoff, r,
                   static_cast<int>(StateVariableFilter::ModeIndexOf(mode)), points, count);
      break;
    case static_cast<uint32_t>(FilterType::kFatty):
      FillResponse(&MS20Filter::MagnitudeDb, cutoff, r, FattyModeIndexOf(mode), points, count);
      break;
    case static_cast<uint32_t>(FilterType::kComb):
      FillResponse(&CombFilter::MagnitudeDb, cutoff, r, CombModeIndexOf(mode), points, count);
      break;
    default:
      FillResponse(&FlatMagnitudeDb, cutoff, r, 0, points, count);
      break;
  }
}

}  // namespace VDSP
