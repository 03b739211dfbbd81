// Envelope follower: a peak detector with separate attack and decay times on an audio input.
#include "modulation/EnvelopeFollower.h"

#include <cmath>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "dsp/MathConstants.h"

namespace {

// Time in seconds 2^(12 v - 9): 1.95 ms at 0, 8 s at 1.
float TimeSeconds(float value) {
  return VDSP::Exp2Poly(12.0f * VDSP::ClampUnit(value) - 9.0f);
}

// One-pole coefficient for a time constant: the angular step of one sample over the time.
float CoefficientFor(float twoPiOverRate, float seconds) {
  return VDSP::ClampUnit(twoPiOverRate / (std::fmax(seconds, 0.0f) + 1e-8f));
}

// The output clips at 1 anyway; a ceiling of +36 dB over full scale keeps a burst of garbage (or an
// infinity) from holding the peak up for minutes.
constexpr float kPeakCeiling = 64.0f;

// The output as the engine reads it: nothing below 1e-15, nothing above 1.
float Limited(float out) {
  return out < 1e-15f ? 0.0f : (out > 1.0f ? 1.0f : out);
}

}  // namespace

void EnvelopeFollower::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  twoPiOverRate_ = VDSP::kTwoPi / processingRateHz;
  attackCoefficient_ = CoefficientFor(twoPiOverRate_, attackTime_);
  decayCoefficient_ = CoefficientFor(twoPiOverRate_, decayTime_);
}

void EnvelopeFollower::Update(float attack, float decay, float level) {
  const float ta = TimeSeconds(attack);
  if (std::fabs(ta - attackTime_) >= 1e-6f) {
    attackTime_ = ta;
    attackCoefficient_ = CoefficientFor(twoPiOverRate_, ta);
  }
  const float td = TimeSeconds(decay);
  if (std::fabs(td - decayTime_) >= 1e-6f) {
    decayTime_ = td;
    decayCoefficient_ = CoefficientFor(twoPiOverRate_, td);
  }
  level_ = VDSP::ClampUnit(level);
}

void EnvelopeFollower::Render(const float* input, float* output, int32_t count) {
  Run(input, output, count);
}

float EnvelopeFollower::RenderLast(const float* input, int32_t count) {
  return Run(input, nullptr, count);
}

// Writes every output when `output` is given; returns the last.
float EnvelopeFollower::Run(const float* input, float* output, int32_t count) {
  float peak = peak_ - antiDenormal_;
  float out = output_ + antiDenormal_;
  const float gain = level_ * 1.5f;
  for (int32_t i = 0; i < count; ++i) {
    float e = std::fabs(input[i] * gain);
    // NaN fails both tests and reads as silence.
    e = e <= kPeakCeiling ? e : (e > kPeakCeiling ? kPeakCeiling : 0.0f);
    if (e > peak) peak = e;
    peak += (e - peak) * decayCoefficient_;
    out += (peak - out) * attackCoefficient_;
    if (output != nullptr) output[i] = Limited(out);
  }
  peak_ = peak;
  output_ = out;
  return Limited(out);
}

void EnvelopeFollower::Reset() {
  peak_ = 0.0f;
  output_ = 0.0f;
}
