// "Fatty" filter type: two saturating integrators with diode-clipped resonance (one channel).
#pragma once

#include <cstdint>

#include "dsp/SampleRateUser.h"

namespace VDSP {

enum class MS20Mode : uint32_t { kLowPass = 0, kBandPass = 1, kHighPass = 2, kNotch = 3 };

class MS20Filter : public SampleRateUser {
 public:
  static constexpr uint32_t kModeCount = 4;

  MS20Filter();

  // Updates the 10 Hz DC blocker; filter state is kept. // UI thread
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // cutoff: normalised, 440 * 2^(12c - 6) Hz; resonance: the slot's mapped 0..1; mode: normalised,
  // 0 "Low pass", 1/3 "Band pass", 2/3 "High pass", 1 "Notch". A mode change keeps the state, so
  // mode sweeps morph without a click. // audio thread
  void SetParameters(float cutoff, float resonance, float mode);

  // The mode index of a normalised mode: round(3 |m|) limited to 0..3, NaN 0. // any thread
  static uint32_t ModeIndexOf(float mode);

  // One channel; in and out may be the same buffer. n < 1 processes nothing. // audio thread
  void Process(const float* in, float* out, int32_t n, float inverseN);

  // Clears the state; restores low pass, +6 octaves and resonance 0. // audio thread
  void Reset();

  // Small-signal magnitude in dB at frequencyHz for the editor's response plot, evaluated at
  // displayRateHz with the coefficients a block would reach; mode is the index 0..3. // UI thread
  static float MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                           float displayRateHz);

  MS20Mode Mode() const { return static_cast<MS20Mode>(mode_); }

 private:
  template <MS20Mode kMode>
  void ProcessMode(const float* in, float* out, int32_t n, float gainStep);
  void ClearState();

  float s1_ = 0.0f;
  float s2_ = 0.0f;
  float feedback_ = 0.0f;  // d, the diode-clipped second stage
  float weightA_ = 0.0f;
  float weightB_ = 1.0f;
  float dcCoeff_ = 0.0f;
  float dcState_ = 0.0f;
  float gain_ = 0.0f;
  float antiDenormal_ = 1e-8f;
  uint32_t mode_ = 0;
  float cutoffOctaves_ = 6.0f;
  float resonance_ = 0.0f;
};

}  // namespace VDSP
