// Wet/dry blend with output gain.
#include "dsp/WetDryMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace VDSP {

void WetDryMixer::Set(float wetAmount, float gainParameter) {
  if (std::isfinite(wetAmount)) targetWet_ = std::clamp(wetAmount, 0.0f, 1.0f);
  if (std::isfinite(gainParameter)) {
    const float g = std::clamp(gainParameter, 0.0f, 1.0f);
    targetGain_ = 2.0f * g * g * g;
  }
}

void WetDryMixer::Process(const float* dryLeft, const float* dryRight, const float* wetLeft,
                          const float* wetRight, float* outLeft, float* outRight, int32_t n,
                          float inverseN) {
  if (n < 1) return;
  const float wetStart = wet_;
  const float gainStart = gain_;
  const float wetStep = (targetWet_ - wetStart) * inverseN;
  const float gainStep = (targetGain_ - gainStart) * inverseN;
  int32_t i = 0;
  for (; i < n; ++i) {
    const float ramp = static_cast<float>(i + 1);
    const float wet = wetStart + ramp * wetStep;
    if (std::fabs(wet) < kDryThreshold) break;
    const float gain = gainStart + ramp * gainStep;
    const float dry = 1.0f - wet;
    outLeft[i] = (wet * wetLeft[i] + dry * dryLeft[i]) * gain;
    outRight[i] = (wet * wetRight[i] + dry * dryRight[i]) * gain;
  }
  // memmove: the engine may hand the same buffer as dry input and output.
  const size_t rest = static_cast<size_t>(n - i) * sizeof(float);
  if (rest > 0) {
    std::memmove(outLeft + i, dryLeft + i, rest);
    std::memmove(outRight + i, dryRight + i, rest);
  }
  wet_ = targetWet_;
  gain_ = targetGain_;
}

void WetDryMixer::Reset() {
  wet_ = targetWet_ = kDefaultWet;
  gain_ = targetGain_ = kDefaultGain;
}

}  // namespace VDSP
