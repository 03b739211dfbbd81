// "Comb" filter type: a tuned feedback comb with damped, saturating recirculation (one channel).
#pragma once

#include <cstdint>

#include "dsp/SampleRateUser.h"
#include "dsp/VBufferPow2.h"

namespace VDSP {

enum class CombMode : uint32_t { kNegative = 0, kPositive = 1 };

class CombFilter : public SampleRateUser {
 public:
  static constexpr uint32_t kModeCount = 2;
  // Set-up calls reserve delay memory for at least this oversampling factor, so that the factors
  // the editor offers (1, 2 and 4) can be switched on the audio thread without allocating.
  static constexpr int32_t kReservedFactor = 4;
  // Ring limit: 0.2 s up to about 20 MHz processing rate. A damaged rate must not ask for
  // gigabytes.
  static constexpr uint32_t kMaxRingLength = 1u << 22;

  // Sized for 44100 Hz so that a fresh object can process before the first rate change.
  CombFilter();

  // Uses a ring of 0.2 s at the processing rate and always clears it; other state is kept.
  // Outside a VBufferPow2::FixedCapacityScope it first reserves 0.2 s at the host rate times
  // max(factor, kReservedFactor), which allocates (set-up calls, UI thread). Inside one (the audio
  // thread applying a factor change) it never allocates: should the reserved ring be shorter than
  // 0.2 s at the new rate (factor 8 or 16 asked for while running), the longest delay, and so the
  // lowest pitch, is limited to what the ring holds until the next set-up call reserves enough.
  // // UI thread, or audio thread inside a FixedCapacityScope
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // cutoff: normalised, 440 * 2^(12c - 6) Hz limited to 6.875 Hz..28160 Hz; resonance: the slot's
  // mapped 0..1; mode: below 0.5 "Negative" (half-period delay, inverted feedback), otherwise
  // "Positive" (one period). // audio thread
  void SetParameters(float cutoff, float resonance, float mode);

  // The mode index of a normalised mode: CombMode::kPositive from 0.5 up, kNegative below (and for
  // NaN). // any thread
  static uint32_t ModeIndexOf(float mode);

  // One channel; in and out may be the same buffer. n < 1 processes nothing. // audio thread
  void Process(const float* in, float* out, int32_t n, float inverseN);

  // Clears the ring and the glides and restores the slot's defaults ("Negative", +6 octaves,
  // resonance 0). // audio thread
  void Reset();

  // Small-signal magnitude in dB at frequencyHz for the editor's response plot, evaluated at
  // displayRateHz with the coefficients the block setter would reach. // UI thread
  static float MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                           float displayRateHz);

  float DelaySamples() const { return delaySamples_; }
  float FeedbackWeight() const { return feedback_; }
  float MaxDelaySamples() const { return maxDelaySamples_; }
  uint32_t RingLength() const { return ring_.Length(); }
  uint32_t RingCapacity() const { return ring_.Capacity(); }

 private:
  struct Targets {
    float delaySamples;
    float feedback;
    float direct;
    float delayed;
    float dampingCoeff;
  };
  // Ring samples for 0.2 s at rateHz: at least 2, at most kMaxRingLength.
  static uint32_t RingSamplesFor(float rateHz);
  static Targets ComputeTargets(bool positive, float cutoffOctaves, float resonance, float rateHz,
                                float negativeDampingCoeff);

  float delaySamples_ = 1.0f;
  float feedback_ = 0.0f;
  float direct_ = 1.0f;
  float delayed_ = 1.0f;
  uint32_t writeIndex_ = 0;
  float maxDelaySamples_ = 0.0f;
  float negativeDampingCoeff_ = 0.0f;
  float dampingState_ = 0.0f;
  float antiDenormal_ = 1e-8f;
  VBufferPow2 ring_;
  bool positive_ = true;
  float cutoffOctaves_ = 6.0f;
  float resonance_ = 0.0f;
};

}  // namespace VDSP
