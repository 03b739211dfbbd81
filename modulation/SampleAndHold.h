// Sample-and-hold: a random (or sidechain) value held for one period, with an optional glide.
#pragma once

#include <cstdint>
#include <string_view>

#include "dsp/SampleRateUser.h"
#include "support/Random.h"

// At every period boundary a new value is taken (a random value in [0, 1), or the input sample when
// an input buffer is given). The output is one period behind: at slew 0 it holds the previous
// value, at slew 1 it glides over the period from the previous value to the new one along a power
// curve (rising: slow start; falling: fast start). The engine updates it once per sub-block and
// renders it on the audio thread.
class SampleAndHold : public VDSP::SampleRateUser {
 public:
  // Longest period in samples: over an hour at any processing rate.
  static constexpr int32_t kMaxPeriodSamples = 1 << 30;

  SampleAndHold();  // seeds the generator from the clock

  // Per sub-block: the rate in Hz (LFO::ComputeRate of the rate and sync values) and the slew 0..1.
  // The period is the integer part of processing rate / rate, at least 1 sample; 0 Hz, a negative
  // or a NaN rate mean no new value for kMaxPeriodSamples. // audio thread
  void Update(float rateHz, float slew);

  // Writes `count` samples. With `input` (may be null) the input samples are the candidates at the
  // period boundaries; non-finite input is taken as 0 and the rest held to +-64. No allocation.
  // audio thread
  void Render(const float* input, float* output, int32_t count);
  // Runs `count` samples exactly as Render does and returns only the last output: the engine reads
  // one value per sub-block, and the glide curve (a power per sample) is only needed there.
  // count >= 1. // audio thread
  float RenderLast(const float* input, int32_t count);

  // Takes a new value (the candidate, or a random one when `candidate` is null) and starts the
  // glide to it over one period. // audio thread
  void NewSample(const float* candidate);

  // Reseeds, draws a first value and takes a new random sample: the engine's reset and every
  // sample-rate change. // audio thread
  void Reset();

  int32_t PeriodSamples() const { return period_; }  // any thread
  float HeldValue() const { return held_; }          // audio thread
  float NewValue() const { return newValue_; }       // audio thread

  // Typed rate text, as the LFO's. // UI thread
  static float ConvertStringToSampleAndHoldRate(std::string_view text, bool synced);

 private:
  void Reseed();

  VFoundation::RandomGenerator generator_;
  int32_t counter_ = 0;
  int32_t period_ = 1000;
  float held_ = 0.0f;
  float newValue_ = 0.0f;
  float glideStart_ = 0.0f;
  float glideRange_ = 0.0f;
  float t_ = 0.0f;
  float step_ = 1.0f / 1000.0f;
  uint8_t rising_ = 1;
  float slew_ = 0.0f;
};
