// Attack-hold-decay envelope triggered by notes; no release stage, note-offs are ignored.
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/SampleRateUser.h"

// Rises linearly from 0 to 1 over the attack, holds 1, then falls along (1 - t)^curve over the
// decay and stops at 0. The engine updates it once per sub-block and renders the sub-block on the
// audio thread; a trigger restarts the attack from 0 whatever the stage.
class AHDREnvelope : public VDSP::SampleRateUser {
 public:
  enum class Stage : int32_t { kAttack = 0, kHold = 1, kDecay = 2, kFinished = 3 };

  // Attack, hold and decay lengths in samples.
  struct StageLengths {
    float attack;
    float hold;
    float decay;
  };

  // Attack and decay never shorter than this many samples, so that a very low processing rate still
  // gives a ramp rather than a click.
  static constexpr float kMinimumRampSamples = 16.0f;

  AHDREnvelope();

  // Recomputes the lengths for the new rate from the last parameter values. // set-up call
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // Per sub-block, from modulated values 0..1: attack 4 ms..10 s, hold 0..5 s, decay 4 ms..10 s
  // (each v^2.5 over its range), curve exponent 1 + 9 c^3. NaN reads as 0. // audio thread
  void Update(float attack, float hold, float decay, float curve);

  // Writes `count` samples, normally in [0, 1] (the last attack sample may overshoot 1 by less than
  // one step). No allocation. // audio thread
  void Render(float* buffer, int32_t count);
  // Runs `count` samples as Render does and returns the last one without writing a buffer (the
  // engine reads one value per sub-block). No allocation. // audio thread
  float RenderLast(int32_t count);

  // Restarts the attack from 0 (stage, output, ramp increment and counters to 0); also the engine's
  // reset, so the envelope runs once after it. // audio thread
  void Trigger();

  Stage CurrentStage() const { return static_cast<Stage>(stage_); }  // audio thread
  float Output() const { return output_; }                           // audio thread
  // any thread
  StageLengths Lengths() const { return {attackLength_, holdLength_, decayLength_}; }

  // Stage lengths in samples for parameter values at a processing rate. // any thread
  static StageLengths ConvertToTimeInSamples(float attack, float hold, float decay,
                                             float processingRateHz);
  // The decay's exponent for a curve value c in 0..1: 1 + 9 c^3 (a straight line at 0, a fast
  // fall at 1). // any thread
  static float CurveExponent(float curve) { return 1.0f + 9.0f * curve * curve * curve; }
  // The decay's level at a position along it (0 at its start, 1 and beyond at its end): (1 - p)^e.
  // The engine renders its decay with it and the editor plots it. // any thread
  static float DecayLevel(float position, float exponent) {
    return std::pow(1.0f - std::fmin(position, 1.0f), exponent);
  }
  // Typed seconds to a normalised value; stage 0 attack, 1 hold, 2 decay. // UI thread
  static float ConverFromTimeInSecondsToNormalisedFloat(double seconds, int32_t stage);

 private:
  int32_t RenderInto(float* buffer, int32_t count);
  void RenderAttack(float* buffer, int32_t& written, int32_t count, float incrementStep);
  void RenderHold(float* buffer, int32_t& written, int32_t count);
  void RenderDecay(float* buffer, int32_t& written, int32_t count);

  int32_t stage_ = static_cast<int32_t>(Stage::kFinished);
  float output_ = 0.0f;
  // The last sample a decay wrote (it may end the envelope and leave output_ at 0).
  float lastDecayValue_ = 0.0f;
  float curve_ = 1.0f;
  float renderCurve_ = 1.0f;
  float attackLength_ = kMinimumRampSamples;
  float holdLength_ = 0.0f;
  float decayLength_ = kMinimumRampSamples;
  float attackIncrement_ = 0.0f;
  float attackIncrementTarget_ = 1.0f / kMinimumRampSamples;
  float decayIncrement_ = 1.0f / kMinimumRampSamples;
  float renderDecayIncrement_ = 1.0f / kMinimumRampSamples;
  float attackAccumulator_ = 0.0f;
  int32_t holdCounter_ = 0;
  float decayPosition_ = 0.0f;

  // Last parameter values, so that a rate change can recompute the lengths.
  float attackValue_ = 0.0f;
  float holdValue_ = 0.0f;
  float decayValue_ = 0.0f;
  float curveValue_ = 0.0f;
};
