// The cubic 2^x approximation shared by the DSP, the modulation sources and the parameter texts.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace VDSP {

// 2^x by a cubic on the fraction f in [0.5, 1.5) and an exponent shift of n = floor(x - 0.5).
// Exact at whole x (within 2e-7 relative); up to 0.4 % low just below x = k + 0.5. No clamp:
// callers keep x within the float exponent range.
inline float Exp2Poly(float x) {
  const float shifted = x - 0.5f;
  int32_t n = static_cast<int32_t>(shifted);  // truncation toward zero
  if (shifted < 0.0f && static_cast<float>(n) != shifted) --n;
  const float f = x - static_cast<float>(n);
  const float p = ((0.079440236f * f + 0.22449434f) * f + 0.69606566f) * f + 1.0f;
  uint32_t bits;
  std::memcpy(&bits, &p, sizeof bits);
  bits += static_cast<uint32_t>(n) << 23;
  float result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

// Gain law of the filter slots' pre and post gains: 0 maps to true silence.
inline float FastExp2(float x) {
  const float clamped = std::fmin(std::fmax(x, -10.0f), 10.0f);
  return std::fmax(0.0f, Exp2Poly(clamped) - 0.016367754f);
}

}  // namespace VDSP
