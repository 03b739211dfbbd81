// Envelope follower: a peak detector with separate attack and decay times on an audio input.
#pragma once

#include <cstdint>

#include "dsp/MathConstants.h"
#include "dsp/SampleRateUser.h"

// The peak jumps up to the rectified input at once and falls with the decay time; the output
// follows the peak with the attack time and is held to [0, 1]. The engine updates it once per
// sub-block and renders it on the audio thread.
class EnvelopeFollower : public VDSP::SampleRateUser {
 public:
  EnvelopeFollower() = default;

  // Stores the rates and 2 pi / rate and recomputes the coefficients for the stored times, so a
  // rate change keeps the follower's timing. // set-up call
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // Per sub-block, from modulated values 0..1: attack and decay times 2^(12 v - 9) s (about 1.95 ms
  // to 8 s) and the input level (gain). NaN reads as 0. // audio thread
  void Update(float attack, float decay, float level);

  // Reads `count` input samples and writes `count` outputs in [0, 1]. Non-finite input counts as
  // silence. No allocation. // audio thread
  void Render(const float* input, float* output, int32_t count);
  // Runs `count` samples as Render does and returns only the last output. count >= 1.
  // audio thread
  float RenderLast(const float* input, int32_t count);

  // Peak and output states to 0, as a new follower. // audio thread
  void Reset();

  float AttackCoefficient() const { return attackCoefficient_; }  // any thread
  float DecayCoefficient() const { return decayCoefficient_; }    // any thread

 private:
  float Run(const float* input, float* output, int32_t count);
  float level_ = 0.0f;
  float peak_ = 0.0f;
  float output_ = 0.0f;
  float attackTime_ = 0.0f;
  float attackCoefficient_ = 1.0f;
  float decayTime_ = 0.0f;
  float decayCoefficient_ = 1.0f;
  float twoPiOverRate_ = VDSP::kTwoPi / 44100.0f;
  // Keeps the one-pole states out of the denormal range in silence.
  float antiDenormal_ = 1e-8f;
};
