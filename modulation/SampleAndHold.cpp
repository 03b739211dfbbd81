// Sample-and-hold: a random (or sidechain) value held for one period, with an optional glide.
#include "modulation/SampleAndHold.h"

#include <cmath>

#include "dsp/Clamp.h"
#include "modulation/RateConversions.h"
#include "support/StopWatch.h"

namespace {

// Held sidechain samples beyond this are garbage, not music; the bound keeps the modulation sum
// finite whatever arrives on input 3.
constexpr float kInputLimit = 64.0f;

float SanitisedInput(float x) {
  if (!std::isfinite(x)) return 0.0f;
  return std::fmin(std::fmax(x, -kInputLimit), kInputLimit);
}

}  // namespace

SampleAndHold::SampleAndHold() {
  Reseed();
}

void SampleAndHold::Reseed() {
  generator_.Seed(static_cast<uint32_t>(VFoundation::HighResolutionCounter()));
}

void SampleAndHold::Update(float rateHz, float slew) {
  int32_t period = kMaxPeriodSamples;
  if (rateHz > 0.0f) {
    const float samples = (1.0f / rateHz) * processingRateHz_;
    if (samples < static_cast<float>(kMaxPeriodSamples)) {
      period = samples >= 1.0f ? static_cast<int32_t>(samples) : 1;
    }
  }
  period_ = period;
  const float inverse = 1.0f / static_cast<float>(period_);
  step_ = rising_ != 0 ? inverse : -inverse;
  slew_ = VDSP::ClampUnit(slew);
}

void SampleAndHold::Render(const float* input, float* output, int32_t count) {
  const float exponent = 4.0f * slew_ + 1.0f;
  for (int32_t i = 0; i < count; ++i) {
    t_ += step_;
    const float x = VDSP::ClampUnit(t_);
    const float glide = std::pow(x, exponent) * glideRange_ + glideStart_;
    output[i] = glide * slew_ + (1.0f - slew_) * held_;
    // A period shortened by the last update may already lie behind the counter.
    if (++counter_ >= period_) NewSample(input != nullptr ? input + i : nullptr);
  }
}

float SampleAndHold::RenderLast(const float* input, int32_t count) {
  for (int32_t i = 0; i + 1 < count; ++i) {
    t_ += step_;
    if (++counter_ >= period_) NewSample(input != nullptr ? input + i : nullptr);
  }
  float last;
  Render(input != nullptr ? input + count - 1 : nullptr, &last, 1);
  return last;
}

void SampleAndHold::NewSample(const float* candidate) {
  Reseed();
  held_ = newValue_;
  counter_ = 0;
  newValue_ = candidate != nullptr ? SanitisedInput(*candidate) : generator_.Draw(0.0f, 1.0f);
  glideRange_ = std::fabs(newValue_ - held_);
  rising_ = newValue_ > held_ ? 1 : 0;
  glideStart_ = rising_ != 0 ? held_ : newValue_;
  const float inverse = 1.0f / static_cast<float>(period_);
  t_ = rising_ != 0 ? 0.0f : 1.0f;
  step_ = rising_ != 0 ? inverse : -inverse;
}

void SampleAndHold::Reset() {
  Reseed();
  newValue_ = generator_.Draw(0.0f, 1.0f);
  NewSample(nullptr);
}

float SampleAndHold::ConvertStringToSampleAndHoldRate(std::string_view text, bool synced) {
  return ConvertStringToRate(text, synced);
}
