// Wet/dry blend with output gain.
#include "dsp/WetDryMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/Float4.h"
#include "dsp/GainLaws.h"

namespace VDSP {

void WetDryMixer::Set(float wetAmount, float gainParameter) {
  if (std::isfinite(wetAmount)) targetWet_ = std::clamp(wetAmount, 0.0f, 1.0f);
  if (std::isfinite(gainParameter)) {
    targetGain_ = VDSP::OutputGain(std::clamp(gainParameter, 0.0f, 1.0f));
  }
}

void WetDryMixer::MixConstant(const float* dry, const float* wet, float* out, int32_t n,
                              float wetAmount, float gain) {
  const Float4 w = Float4::Set1(wetAmount);
  const Float4 d = Float4::Set1(1.0f - wetAmount);
  const Float4 g = Float4::Set1(gain);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    ((w * Float4::LoadUnaligned(wet + i) + d * Float4::LoadUnaligned(dry + i)) * g)
        .StoreUnaligned(out + i);
  }
  const float dryAmount = 1.0f - wetAmount;
  for (; i < n; ++i) out[i] = (wetAmount * wet[i] + dryAmount * dry[i]) * gain;
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
  if (wetStep == 0.0f && gainStep == 0.0f && std::fabs(wetStart) >= kDryThreshold) {
    // Held settings: the same blend as below with fixed weights, four samples at a time.
    MixConstant(dryLeft, wetLeft, outLeft, n, wetStart, gainStart);
    MixConstant(dryRight, wetRight, outRight, n, wetStart, gainStart);
    i = n;
  }
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
