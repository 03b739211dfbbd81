// Interface of one 2x resampling stage, as the resampler chain drives it.
#pragma once

#include <cmath>

namespace VDSP {

// 200 dB above full scale: no signal gets there, but garbage input does, and a filter memory
// holding it would take a second or more to decay through the slowest allpass section.
constexpr float kResamplerRunawayLevel = 1e10f;

// False for NaN, infinities and runaway values. // any thread
inline bool IsSaneResamplerSample(float value) {
  return std::fabs(value) <= kResamplerRunawayLevel;
}

// A stage converts between a lower rate and twice that rate. Frame counts are always given at the
// lower rate: an upsampling stage reads `frames` and writes 2 * frames samples, a downsampling
// stage reads 2 * frames and writes `frames`.
class Resampler2Stage {
 public:
  virtual ~Resampler2Stage() = default;

  // One channel, using the first channel's memory. // audio thread
  virtual void Process(float* out, const float* in, int frames) = 0;
  // Two channels with separate memories. // audio thread
  virtual void Process(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
                       int frames) = 0;
  // Clears every memory, so that the stage behaves like a fresh one. // audio thread
  virtual void Reset() = 0;
  // Flushes memories that decayed to the denormal range to zero. When a NaN, an infinity or a
  // runaway value got into a memory it clears all of them and returns true. A few compares per
  // section, so it runs once per block. // audio thread
  virtual bool FlushState() = 0;
};

}  // namespace VDSP
