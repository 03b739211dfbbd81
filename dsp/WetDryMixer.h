// Final stage of the chain: blends the processed pair with the dry input and applies the output
// gain; a wet amount of (almost) zero hands the dry input through untouched.
#pragma once

#include <cstdint>

namespace VDSP {

class WetDryMixer {
 public:
  // wetAmount 0..1 (0 dry only, 1 processed only); gainParameter 0..1 sets the output gain
  // OutputGain(gain) (1.0 at 0.7937005, 2.0 at 1). Values outside 0..1 are limited to it; a
  // non-finite value keeps the previous target. Both glide there across the next block.
  // audio thread
  void Set(float wetAmount, float gainParameter);

  // out = (wet * processed + (1 - wet) * dry) * gain per sample. Once the gliding wet amount falls
  // below 1e-6 the rest of the block is the dry input exactly, without the output gain, and the
  // glides end at their targets. Outputs may alias either input. n < 1 processes nothing;
  // inverseN is 1/n. // audio thread
  void Process(const float* dryLeft, const float* dryRight, const float* wetLeft,
               const float* wetRight, float* outLeft, float* outRight, int32_t n, float inverseN);

  // Back to the defaults (wet 0.75, gain 1.0) with no glide pending. // audio thread
  void Reset();

  float WetAmount() const { return wet_; }
  float OutputGain() const { return gain_; }

 private:
  static void MixConstant(const float* dry, const float* wet, float* out, int32_t n,
                          float wetAmount, float gain);
  static constexpr float kDefaultWet = 0.75f;
  static constexpr float kDefaultGain = 1.0f;
  // Below this the mix is inaudibly different from dry, so the dry signal passes bit-exact.
  static constexpr float kDryThreshold = 1e-6f;

  float wet_ = kDefaultWet;
  float targetWet_ = kDefaultWet;
  float gain_ = kDefaultGain;
  float targetGain_ = kDefaultGain;
};

}  // namespace VDSP
