// The peak of one block of samples, four lanes at a time.
#include "dsp/BlockPeak.h"

#include <algorithm>

#include "dsp/Float4.h"

namespace VDSP {

float BlockPeak(const float* samples, int32_t frames) {
  // minps/maxps with the sample first pass the running value on for NaN, as std::min/max do.
  Float4 lows = Float4::Zero();
  Float4 highs = Float4::Zero();
  int32_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    const Float4 x = Float4::LoadUnaligned(samples + i);
    lows = Float4::Min(x, lows);
    highs = Float4::Max(x, highs);
  }
  float low = 0.0f;
  float high = 0.0f;
  for (int lane = 0; lane < 4; ++lane) {
    low = std::min(low, lows.Lane(lane));
    high = std::max(high, highs.Lane(lane));
  }
  for (; i < frames; ++i) {
    low = std::min(low, samples[i]);
    high = std::max(high, samples[i]);
  }
  return std::max(-low, high);
}

}  // namespace VDSP
