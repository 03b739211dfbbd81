// Four-lane float and int vectors on SSE2, with a plain scalar twin that gives the same bits.
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace VDSP {

// Both vector families share one API so that a DSP kernel written as a template on the vector type
// runs on SSE2 (`Float4`) or on plain floats (`Float4Scalar`), and a test holds the two equal.
// Semantics follow SSE2 exactly:
// - Min(a, b) / Max(a, b) return b when either lane is NaN (minps / maxps), so clamping a NaN with
//   Min(Max(x, lo), hi) yields lo;
// - RoundToInt rounds with the current rounding mode (round to nearest even unless a caller has
//   changed it) and gives INT32_MIN for NaN and for values outside the int32 range (cvtps2dq);
// - integer add and subtract wrap;
// - comparisons return lane masks (all bits set or clear), Select picks by mask;
// - MoveMask returns the sign bit of each lane in bits 0..3.
// No fused multiply-add is used anywhere, so every lane rounds like the scalar expression.

class Int4;
class Int4Scalar;

// ---------------------------------------------------------------------------------------------
// SSE2

class Float4 {
 public:
  using Int = Int4;

  Float4() = default;
  explicit Float4(__m128 v) : v_(v) {}

  static Float4 Zero() { return Float4(_mm_setzero_ps()); }
  static Float4 Set1(float x) { return Float4(_mm_set1_ps(x)); }
  // Lane 0 first.
  static Float4 Set(float l0, float l1, float l2, float l3) {
    return Float4(_mm_setr_ps(l0, l1, l2, l3));
  }
  // `p` 16-byte aligned.
  static Float4 Load(const float* p) { return Float4(_mm_load_ps(p)); }
  static Float4 LoadUnaligned(const float* p) { return Float4(_mm_loadu_ps(p)); }
  void Store(float* p) const { _mm_store_ps(p, v_); }
  void StoreUnaligned(float* p) const { _mm_storeu_ps(p, v_); }

  float Lane(int lane) const {
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, v_);
    return lanes[lane & 3];
  }

  __m128 Raw() const { return v_; }

  friend Float4 operator+(Float4 a, Float4 b) { return Float4(_mm_add_ps(a.v_, b.v_)); }
  friend Float4 operator-(Float4 a, Float4 b) { return Float4(_mm_sub_ps(a.v_, b.v_)); }
  friend Float4 operator*(Float4 a, Float4 b) { return Float4(_mm_mul_ps(a.v_, b.v_)); }
  friend Float4 operator/(Float4 a, Float4 b) { return Float4(_mm_div_ps(a.v_, b.v_)); }
  friend Float4 operator-(Float4 a) { return Float4(_mm_xor_ps(a.v_, _mm_set1_ps(-0.0f))); }
  Float4& operator+=(Float4 b) { return *this = *this + b; }
  Float4& operator-=(Float4 b) { return *this = *this - b; }
  Float4& operator*=(Float4 b) { return *this = *this * b; }

  static Float4 Min(Float4 a, Float4 b) { return Float4(_mm_min_ps(a.v_, b.v_)); }
  static Float4 Max(Float4 a, Float4 b) { return Float4(_mm_max_ps(a.v_, b.v_)); }
  static Float4 Abs(Float4 a) { return Float4(_mm_andnot_ps(_mm_set1_ps(-0.0f), a.v_)); }
  static Float4 Sqrt(Float4 a) { return Float4(_mm_sqrt_ps(a.v_)); }

  static Float4 CmpLt(Float4 a, Float4 b) { return Float4(_mm_cmplt_ps(a.v_, b.v_)); }
  static Float4 CmpLe(Float4 a, Float4 b) { return Float4(_mm_cmple_ps(a.v_, b.v_)); }
  static Float4 CmpGt(Float4 a, Float4 b) { return Float4(_mm_cmpgt_ps(a.v_, b.v_)); }
  static Float4 CmpGe(Float4 a, Float4 b) { return Float4(_mm_cmpge_ps(a.v_, b.v_)); }
  static Float4 CmpEq(Float4 a, Float4 b) { return Float4(_mm_cmpeq_ps(a.v_, b.v_)); }
  static Float4 And(Float4 a, Float4 b) { return Float4(_mm_and_ps(a.v_, b.v_)); }
  static Float4 Or(Float4 a, Float4 b) { return Float4(_mm_or_ps(a.v_, b.v_)); }
  // ~a & b
  static Float4 AndNot(Float4 a, Float4 b) { return Float4(_mm_andnot_ps(a.v_, b.v_)); }
  static Float4 Select(Float4 mask, Float4 ifTrue, Float4 ifFalse) {
    return Or(And(mask, ifTrue), AndNot(mask, ifFalse));
  }
  static int MoveMask(Float4 a) { return _mm_movemask_ps(a.v_); }

  static inline Int4 RoundToInt(Float4 a);
  static inline Int4 TruncateToInt(Float4 a);
  // Round to nearest (current rounding mode); lanes of magnitude 2^23 or more, infinities and NaN
  // are already whole and pass unchanged.
  static inline Float4 Round(Float4 a);
  // Largest whole value not above a; same pass-through as Round.
  static inline Float4 Floor(Float4 a);

 private:
  __m128 v_;
};

class Int4 {
 public:
  using Float = Float4;

  Int4() = default;
  explicit Int4(__m128i v) : v_(v) {}

  static Int4 Set1(int32_t x) { return Int4(_mm_set1_epi32(x)); }
  static Int4 Set(int32_t l0, int32_t l1, int32_t l2, int32_t l3) {
    return Int4(_mm_setr_epi32(l0, l1, l2, l3));
  }
  void Store(int32_t* p) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v_); }
  int32_t Lane(int lane) const {
    alignas(16) int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v_);
    return lanes[lane & 3];
  }
  __m128i Raw() const { return v_; }

  friend Int4 operator+(Int4 a, Int4 b) { return Int4(_mm_add_epi32(a.v_, b.v_)); }
  friend Int4 operator-(Int4 a, Int4 b) { return Int4(_mm_sub_epi32(a.v_, b.v_)); }

  // SSE2 has no pminsd / pmaxsd: compare and blend.
  static Int4 Min(Int4 a, Int4 b) {
    const __m128i aGreater = _mm_cmpgt_epi32(a.v_, b.v_);
    return Int4(_mm_or_si128(_mm_and_si128(aGreater, b.v_), _mm_andnot_si128(aGreater, a.v_)));
  }
  static Int4 Max(Int4 a, Int4 b) {
    const __m128i aGreater = _mm_cmpgt_epi32(a.v_, b.v_);
    return Int4(_mm_or_si128(_mm_and_si128(aGreater, a.v_), _mm_andnot_si128(aGreater, b.v_)));
  }
  static Int4 Clamp(Int4 a, int32_t lo, int32_t hi) { return Min(Max(a, Set1(lo)), Set1(hi)); }
  static Float4 ToFloat(Int4 a) { return Float4(_mm_cvtepi32_ps(a.v_)); }

 private:
  __m128i v_;
};

inline Int4 Float4::RoundToInt(Float4 a) {
  return Int4(_mm_cvtps_epi32(a.v_));
}
inline Int4 Float4::TruncateToInt(Float4 a) {
  return Int4(_mm_cvttps_epi32(a.v_));
}

inline Float4 Float4::Round(Float4 a) {
  const Float4 rounded = Int4::ToFloat(RoundToInt(a));
  const Float4 small = CmpLt(Abs(a), Set1(8388608.0f));
  return Select(small, rounded, a);
}

inline Float4 Float4::Floor(Float4 a) {
  Float4 truncated = Int4::ToFloat(TruncateToInt(a));
  truncated -= And(CmpGt(truncated, a), Set1(1.0f));
  const Float4 small = CmpLt(Abs(a), Set1(8388608.0f));
  return Select(small, truncated, a);
}

// ---------------------------------------------------------------------------------------------
// Scalar reference, lane by lane with the SSE2 semantics above.

class Float4Scalar {
 public:
  using Int = Int4Scalar;

  Float4Scalar() = default;

  static Float4Scalar Zero() { return Set1(0.0f); }
  static Float4Scalar Set1(float x) { return Set(x, x, x, x); }
  static Float4Scalar Set(float l0, float l1, float l2, float l3) {
    Float4Scalar r;
    r.l_[0] = l0;
    r.l_[1] = l1;
    r.l_[2] = l2;
    r.l_[3] = l3;
    return r;
  }
  static Float4Scalar Load(const float* p) { return Set(p[0], p[1], p[2], p[3]); }
  static Float4Scalar LoadUnaligned(const float* p) { return Load(p); }
  void Store(float* p) const {
    for (int i = 0; i < 4; ++i) p[i] = l_[i];
  }
  void StoreUnaligned(float* p) const { Store(p); }
  float Lane(int lane) const { return l_[lane & 3]; }

  template <class Op>
  static Float4Scalar Map(Float4Scalar a, Float4Scalar b, Op op) {
    Float4Scalar r;
    for (int i = 0; i < 4; ++i) r.l_[i] = op(a.l_[i], b.l_[i]);
    return r;
  }

  friend Float4Scalar operator+(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return x + y; });
  }
  friend Float4Scalar operator-(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return x - y; });
  }
  friend Float4Scalar operator*(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return x * y; });
  }
  friend Float4Scalar operator/(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return x / y; });
  }
  friend Float4Scalar operator-(Float4Scalar a) {
    return Map(a, a, [](float x, float) { return -x; });
  }
  Float4Scalar& operator+=(Float4Scalar b) { return *this = *this + b; }
  Float4Scalar& operator-=(Float4Scalar b) { return *this = *this - b; }
  Float4Scalar& operator*=(Float4Scalar b) { return *this = *this * b; }

  static Float4Scalar Min(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return x < y ? x : y; });
  }
  static Float4Scalar Max(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return x > y ? x : y; });
  }
  static Float4Scalar Abs(Float4Scalar a) {
    return Map(a, a, [](float x, float) { return std::fabs(x); });
  }
  static Float4Scalar Sqrt(Float4Scalar a) {
    return Map(a, a, [](float x, float) { return std::sqrt(x); });
  }

  static Float4Scalar CmpLt(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return MaskOf(x < y); });
  }
  static Float4Scalar CmpLe(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return MaskOf(x <= y); });
  }
  static Float4Scalar CmpGt(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return MaskOf(x > y); });
  }
  static Float4Scalar CmpGe(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return MaskOf(x >= y); });
  }
  static Float4Scalar CmpEq(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return MaskOf(x == y); });
  }
  static Float4Scalar And(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return FromBits(Bits(x) & Bits(y)); });
  }
  static Float4Scalar Or(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return FromBits(Bits(x) | Bits(y)); });
  }
  static Float4Scalar AndNot(Float4Scalar a, Float4Scalar b) {
    return Map(a, b, [](float x, float y) { return FromBits(~Bits(x) & Bits(y)); });
  }
  static Float4Scalar Select(Float4Scalar mask, Float4Scalar ifTrue, Float4Scalar ifFalse) {
    return Or(And(mask, ifTrue), AndNot(mask, ifFalse));
  }
  static int MoveMask(Float4Scalar a) {
    int bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<int>(Bits(a.l_[i]) >> 31) << i;
    return bits;
  }

  static inline Int4Scalar RoundToInt(Float4Scalar a);
  static inline Int4Scalar TruncateToInt(Float4Scalar a);
  // As the SSE2 versions, through int32 (so -0.4 rounds to +0, not -0).
  static inline Float4Scalar Round(Float4Scalar a);
  static inline Float4Scalar Floor(Float4Scalar a);

  static uint32_t Bits(float x) {
    uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
  }
  static float FromBits(uint32_t b) {
    float x;
    std::memcpy(&x, &b, sizeof x);
    return x;
  }

 private:
  static float MaskOf(bool on) { return FromBits(on ? 0xFFFFFFFFu : 0u); }

  float l_[4];
};

class Int4Scalar {
 public:
  using Float = Float4Scalar;

  Int4Scalar() = default;

  static Int4Scalar Set1(int32_t x) { return Set(x, x, x, x); }
  static Int4Scalar Set(int32_t l0, int32_t l1, int32_t l2, int32_t l3) {
    Int4Scalar r;
    r.l_[0] = l0;
    r.l_[1] = l1;
    r.l_[2] = l2;
    r.l_[3] = l3;
    return r;
  }
  void Store(int32_t* p) const {
    for (int i = 0; i < 4; ++i) p[i] = l_[i];
  }
  int32_t Lane(int lane) const { return l_[lane & 3]; }

  friend Int4Scalar operator+(Int4Scalar a, Int4Scalar b) {
    Int4Scalar r;
    for (int i = 0; i < 4; ++i)
      r.l_[i] = Wrap(static_cast<uint32_t>(a.l_[i]) + static_cast<uint32_t>(b.l_[i]));
    return r;
  }
  friend Int4Scalar operator-(Int4Scalar a, Int4Scalar b) {
    Int4Scalar r;
    for (int i = 0; i < 4; ++i)
      r.l_[i] = Wrap(static_cast<uint32_t>(a.l_[i]) - static_cast<uint32_t>(b.l_[i]));
    return r;
  }
  static Int4Scalar Min(Int4Scalar a, Int4Scalar b) {
    Int4Scalar r;
    for (int i = 0; i < 4; ++i) r.l_[i] = a.l_[i] > b.l_[i] ? b.l_[i] : a.l_[i];
    return r;
  }
  static Int4Scalar Max(Int4Scalar a, Int4Scalar b) {
    Int4Scalar r;
    for (int i = 0; i < 4; ++i) r.l_[i] = a.l_[i] > b.l_[i] ? a.l_[i] : b.l_[i];
    return r;
  }
  static Int4Scalar Clamp(Int4Scalar a, int32_t lo, int32_t hi) {
    return Min(Max(a, Set1(lo)), Set1(hi));
  }
  static Float4Scalar ToFloat(Int4Scalar a) {
    return Float4Scalar::Set(static_cast<float>(a.l_[0]), static_cast<float>(a.l_[1]),
                             static_cast<float>(a.l_[2]), static_cast<float>(a.l_[3]));
  }

  // cvtps2dq / cvttps2dq on one lane: the "integer indefinite" INT32_MIN for NaN and overflow.
  static int32_t RoundLane(float x) {
    if (!(x >= -2147483648.0f && x < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(std::nearbyint(x));
  }
  static int32_t TruncateLane(float x) {
    if (!(x >= -2147483648.0f && x < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(x);
  }

 private:
  static int32_t Wrap(uint32_t u) { return static_cast<int32_t>(u); }

  int32_t l_[4];
};

inline Int4Scalar Float4Scalar::RoundToInt(Float4Scalar a) {
  return Int4Scalar::Set(Int4Scalar::RoundLane(a.l_[0]), Int4Scalar::RoundLane(a.l_[1]),
                         Int4Scalar::RoundLane(a.l_[2]), Int4Scalar::RoundLane(a.l_[3]));
}

inline Int4Scalar Float4Scalar::TruncateToInt(Float4Scalar a) {
  return Int4Scalar::Set(Int4Scalar::TruncateLane(a.l_[0]), Int4Scalar::TruncateLane(a.l_[1]),
                         Int4Scalar::TruncateLane(a.l_[2]), Int4Scalar::TruncateLane(a.l_[3]));
}

inline Float4Scalar Float4Scalar::Round(Float4Scalar a) {
  return Map(a, a, [](float x, float) {
    return std::fabs(x) < 8388608.0f ? static_cast<float>(Int4Scalar::RoundLane(x)) : x;
  });
}

inline Float4Scalar Float4Scalar::Floor(Float4Scalar a) {
  return Map(a, a, [](float x, float) {
    if (!(std::fabs(x) < 8388608.0f)) return x;
    float truncated = static_cast<float>(Int4Scalar::TruncateLane(x));
    if (truncated > x) truncated -= 1.0f;
    return truncated;
  });
}

// True when every lane is finite (no NaN, no infinity): x - x is 0 only for finite x.
// n copies of value, four per store (a plain loop may become a string instruction).
inline void FillFloats(float* p, int32_t n, float value) {
  const Float4 v = Float4::Set1(value);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) v.StoreUnaligned(p + i);
  for (; i < n; ++i) p[i] = value;
}

template <class V>
inline bool AllFinite(V a) {
  return V::MoveMask(V::CmpEq(a - a, V::Zero())) == 0xF;
}

}  // namespace VDSP
