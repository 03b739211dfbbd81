// Branch-free scalar clamps on minss/maxss, for the per-sample code of the filters and sources and
// for every normalised control.
#pragma once

#include <xmmintrin.h>

namespace VDSP {

// Compilers turn std::min/max chains into jumps. maxss gives its second operand for NaN, so NaN
// goes to lo.
inline float Clamp(float x, float lo, float hi) {
  const __m128 v = _mm_max_ss(_mm_set_ss(x), _mm_set_ss(lo));
  return _mm_cvtss_f32(_mm_min_ss(v, _mm_set_ss(hi)));
}

// The unit range of normalised controls and routing sums; NaN reads 0. // any thread
inline float ClampUnit(float x) {
  return Clamp(x, 0.0f, 1.0f);
}

// A NaN sample counts as silence.
inline float ZeroNaN(float x) {
  const __m128 v = _mm_set_ss(x);
  return _mm_cvtss_f32(_mm_and_ps(_mm_cmpeq_ss(v, v), v));
}

}  // namespace VDSP
