// The cubic 2^x approximation shared by the DSP, the modulation sources and the parameter texts.
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "dsp/Float4.h"

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

// 2^x within 2e-7 relative (a degree-6 polynomial on the fraction in [-0.5, 0.5)), for the
// recursions that need libm's accuracy at a fraction of its cost. Independent of the rounding mode
// (the engine runs its blocks rounding down). Arguments are held to [-126, 127]; NaN reads -126.
inline Float4 Exp2Precise(Float4 x);

inline float Exp2Precise(float x) {
  return Exp2Precise(Float4::Set1(x)).Lane(0);
}

// Exp2Precise on four lanes at once.
inline Float4 Exp2Precise(Float4 x) {
  const Float4 clamped = Float4::Min(Float4::Max(x, Float4::Set1(-126.0f)), Float4::Set1(127.0f));
  const __m128i n =
      _mm_sub_epi32(_mm_cvttps_epi32((clamped + Float4::Set1(128.5f)).Raw()), _mm_set1_epi32(128));
  const Float4 f = clamped - Float4(_mm_cvtepi32_ps(n));
  const auto c = [](float v) { return Float4::Set1(v); };
  const Float4 p = (((((c(1.535336188319500e-4f) * f + c(1.339887440266574e-3f)) * f +
                       c(9.618437357674640e-3f)) *
                          f +
                      c(5.550332471162809e-2f)) *
                         f +
                     c(2.402264791363012e-1f)) *
                        f +
                    c(6.931472028550421e-1f)) *
                       f +
                   c(1.0f);
  return Float4(_mm_castsi128_ps(_mm_add_epi32(_mm_castps_si128(p.Raw()), _mm_slli_epi32(n, 23))));
}

// What FastExp2 subtracts from 2^x: a little above 2^-6, so that a stage gain control of 0
// (x = -6) is true silence rather than -36 dB.
inline constexpr double kFastExp2Floor = 0.016367754;

// 2^x less the floor, x held to -10..10 (NaN reads -10), never below 0: the stage gain law of
// GainLaws.h and the level converter. // any thread
inline float FastExp2(float x) {
  constexpr float kFloor = static_cast<float>(kFastExp2Floor);
  const float clamped = std::fmin(std::fmax(x, -10.0f), 10.0f);
  return std::fmax(0.0f, Exp2Poly(clamped) - kFloor);
}

}  // namespace VDSP
