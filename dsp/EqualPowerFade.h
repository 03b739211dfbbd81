// Equal-power crossfade from one signal to another over a fixed number of samples (switching
// filter types, modes and signal paths without a click).
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/MathConstants.h"

namespace VDSP {

// The outgoing gain follows cos and the incoming sin of a quarter turn, so two uncorrelated
// signals keep their summed power through the fade; two identical ones swell by at most 3 dB at
// its middle. The gains come from a rotating phasor: two multiplies per sample and no table, so
// the length may change on the audio thread.
class EqualPowerFade {
 public:
  // Fade length in samples (at least 1). Ends a fade in flight. // any thread
  void SetLength(int32_t samples) {
    length_ = samples < 1 ? 1 : samples;
    const double quarterTurnStep = kHalfPiDouble / static_cast<double>(length_);
    stepCos_ = static_cast<float>(std::cos(quarterTurnStep));
    stepSin_ = static_cast<float>(std::sin(quarterTurnStep));
    remaining_ = 0;
  }

  // Samples for `seconds` at `rateHz`, rounded, at least 1. // any thread
  static int32_t LengthFor(float seconds, float rateHz) {
    const float samples = std::round(seconds * rateHz);
    return samples >= 1.0f && samples < 1e9f ? static_cast<int32_t>(samples) : 1;
  }

  // audio thread
  void Start() {
    fromGain_ = 1.0f;
    toGain_ = 0.0f;
    remaining_ = length_;
  }
  void Stop() { remaining_ = 0; }
  bool Active() const { return remaining_ > 0; }
  int32_t Length() const { return length_; }

  // out = fromGain * from + toGain * to per sample, the gains advancing one step per sample;
  // once the fade has ended, out = to. `out` may alias `from` or `to`. // audio thread
  void Mix(const float* fromLeft, const float* fromRight, const float* toLeft, const float* toRight,
           float* outLeft, float* outRight, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      if (remaining_ <= 0) {
        outLeft[i] = toLeft[i];
        outRight[i] = toRight[i];
        continue;
      }
      Advance();
      outLeft[i] = fromGain_ * fromLeft[i] + toGain_ * toLeft[i];
      outRight[i] = fromGain_ * fromRight[i] + toGain_ * toRight[i];
    }
  }

 private:
  void Advance() {
    const float c = fromGain_ * stepCos_ - toGain_ * stepSin_;
    const float s = toGain_ * stepCos_ + fromGain_ * stepSin_;
    // The last step lands exactly on the new signal, whatever rounding the rotation gathered.
    const bool last = --remaining_ == 0;
    fromGain_ = last ? 0.0f : c;
    toGain_ = last ? 1.0f : s;
  }

  int32_t length_ = 1;
  int32_t remaining_ = 0;
  float stepCos_ = 0.0f;
  float stepSin_ = 1.0f;
  float fromGain_ = 0.0f;
  float toGain_ = 1.0f;
};

}  // namespace VDSP
