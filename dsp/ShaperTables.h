// Process-wide nonlinearity tables of the filters and the drive, and ShaperLookup, the one rule
// that reads them.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "dsp/Float4.h"

namespace VDSP {

// Entry i belongs to the input x = (i - 1024) / 32: the tables cover -32..+32 in steps of 1/32.
inline constexpr int32_t kShaperTableSize = 2049;
inline constexpr int32_t kShaperTableCentre = 1024;
inline constexpr float kShaperStepsPerUnit = 32.0f;

// A curve's entries, and the same entries as side-by-side segment ends (entry i and i + 1 at
// 2i and 2i + 1) so that one 8-byte load fetches what a lookup interpolates between: the four-lane
// reads then take four loads instead of eight.
struct ShaperTable {
  std::array<float, kShaperTableSize> entries{};
  alignas(16) std::array<float, 2 * (kShaperTableSize - 1)> segments{};

  float operator[](size_t i) const { return entries[i]; }
  static constexpr size_t size() { return kShaperTableSize; }
  auto begin() const { return entries.begin(); }
  auto end() const { return entries.end(); }
  // Fills the segment copy from the entries; once, when the table is built.
  void PairSegments();
};

// Built once, read-only afterwards and shared by every instance and thread without locks.
class ShaperTables {
 public:
  // any thread. The first call builds the tables (a few milliseconds of Newton solves); the library
  // load hook makes that call before any plug-in object exists, so the audio thread only reads.
  static const ShaperTables& Get();
  // any thread; the same as Get(), named for the load hook.
  static void Build() { Get(); }

  // 3.3 * tanh(x / 3.3): the op-amp rail saturator.
  const ShaperTable& Tanh33() const { return tanh33_; }
  // Diode pair in series with 1500 ohm, as the current times 2000 ohm:
  // linear-ish with a soft knee.
  const ShaperTable& DiodeKnee() const { return diodeKnee_; }
  // Mismatched transistor pair (5.0726e-9 A against 4.234e-9 A): tends to +0.9173 and -1.0990.
  const ShaperTable& AsymTanh() const { return asymTanh_; }
  // AsymTanh scaled to the 3.3 V rail.
  const ShaperTable& AsymTanh33() const { return asymTanh33_; }
  // 32 * AsymTanh33, for the ladder that runs at 32 times the nominal level.
  const ShaperTable& AsymTanh33x32() const { return asymTanh33x32_; }
  // Diode clipper behind 4077.67 ohm, unity gain for small signals.
  const ShaperTable& DiodeClip() const { return diodeClip_; }

  ShaperTables(const ShaperTables&) = delete;
  ShaperTables& operator=(const ShaperTables&) = delete;

 private:
  ShaperTables();

  ShaperTable tanh33_;
  ShaperTable diodeKnee_;
  ShaperTable asymTanh_;
  ShaperTable asymTanh33_;
  ShaperTable asymTanh33x32_;
  ShaperTable diodeClip_;
};

// Where a lookup reads: the segment [index, index + 1] and the position in it. For inputs inside
// the table, fraction lies in [-0.5, 0.5] (round to nearest); beyond ±32 the index is clamped to
// the last segment at either end. The segment from index to index + 1 is used also for a negative
// fraction, so the curve is extended linearly across half a step.
template <class V>
struct ShaperIndex {
  typename V::Int index;
  V fraction;
};

namespace shaper_detail {
// Clamping the input in table units to ±2^30 keeps the conversion and the +1024 offset inside int32
// and changes nothing for finite inputs (beyond 2^23 every float is whole, so the fraction is 0
// either way). Max(v, lo) comes first because it turns NaN into lo: NaN reads the bottom entry.
inline constexpr float kUnitsLimit = 1073741824.0f;
}  // namespace shaper_detail

// `units` is the input already in table steps (32 * x), so ShaperLookup(x) equals
// ShaperRead(ShaperIndexOf(32 * x)); a caller that reads two tables at the same input computes the
// index once.
template <class V>
inline ShaperIndex<V> ShaperIndexOf(V units) {
  using I = typename V::Int;
  const V clamped = V::Min(V::Max(units, V::Set1(-shaper_detail::kUnitsLimit)),
                           V::Set1(shaper_detail::kUnitsLimit));
  const V rounded = I::ToFloat(V::RoundToInt(clamped));
  ShaperIndex<V> where;
  where.fraction = clamped - rounded;
  // Whole numbers, so clamping them as floats gives the integer clamp's result in fewer SSE2 steps
  // (SSE2 has no integer min/max); 0 and 2047 are exact, so rounding beyond 2^24 cannot cross them.
  const V entry =
      V::Min(V::Max(rounded + V::Set1(static_cast<float>(kShaperTableCentre)), V::Zero()),
             V::Set1(static_cast<float>(kShaperTableSize - 2)));
  where.index = V::TruncateToInt(entry);
  return where;
}

template <class V>
inline V ShaperRead(const ShaperTable& table, const ShaperIndex<V>& where) {
  alignas(16) int32_t i[4];
  where.index.Store(i);
  const V lower = V::Set(table[i[0]], table[i[1]], table[i[2]], table[i[3]]);
  const V upper = V::Set(table[i[0] + 1], table[i[1] + 1], table[i[2] + 1], table[i[3] + 1]);
  return lower + (upper - lower) * where.fraction;
}

namespace shaper_detail {
// The segments of entries a and b side by side: T[a], T[a + 1], T[b], T[b + 1].
inline __m128 SegmentEnds(const ShaperTable& table, int32_t a, int32_t b) {
  const float* segments = table.segments.data();
  const __m128 low =
      _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(segments + 2 * a));
  return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(segments + 2 * b));
}

template <int kLane>
inline int32_t IndexLane(const Int4& index) {
  return _mm_cvtsi128_si32(_mm_shuffle_epi32(index.Raw(), kLane));
}

// Lanes 0-1 from ends01, 2-3 from ends23, each interpolated at its fraction.
inline Float4 Interpolate(__m128 ends01, __m128 ends23, Float4 fraction) {
  const Float4 lower(_mm_shuffle_ps(ends01, ends23, _MM_SHUFFLE(2, 0, 2, 0)));
  const Float4 upper(_mm_shuffle_ps(ends01, ends23, _MM_SHUFFLE(3, 1, 3, 1)));
  return lower + (upper - lower) * fraction;
}
}  // namespace shaper_detail

template <>
inline Float4 ShaperRead(const ShaperTable& table, const ShaperIndex<Float4>& where) {
  using namespace shaper_detail;
  const Int4& i = where.index;
  return Interpolate(SegmentEnds(table, IndexLane<0>(i), IndexLane<1>(i)),
                     SegmentEnds(table, IndexLane<2>(i), IndexLane<3>(i)), where.fraction);
}

// The stereo filters carry left and right in lanes 0 and 1 and nothing in lanes 2 and 3: only the
// first two lanes are read, the others come out 0.
template <class V>
inline V ShaperReadStereo(const ShaperTable& table, const ShaperIndex<V>& where) {
  alignas(16) int32_t i[4];
  where.index.Store(i);
  const V lower = V::Set(table[i[0]], table[i[1]], 0.0f, 0.0f);
  const V upper = V::Set(table[i[0] + 1], table[i[1] + 1], 0.0f, 0.0f);
  return lower + (upper - lower) * where.fraction;
}

template <>
inline Float4 ShaperReadStereo(const ShaperTable& table, const ShaperIndex<Float4>& where) {
  using namespace shaper_detail;
  const Int4& i = where.index;
  // The fraction is always finite (the index rule clamps it), so the empty lanes stay 0.
  return Interpolate(SegmentEnds(table, IndexLane<0>(i), IndexLane<1>(i)), _mm_setzero_ps(),
                     where.fraction);
}

// The table's curve at x, four lanes at a time (index from 32 * x).
template <class V>
inline V ShaperLookup(const ShaperTable& table, V x) {
  return ShaperRead(table, ShaperIndexOf(x * V::Set1(kShaperStepsPerUnit)));
}

// The variant whose index is taken from v itself rather than from 32 * v:
// equals 32 * ShaperLookup(table, v / 32) for a table scaled by 32 (the ladder's AsymTanh33x32).
template <class V>
inline V ShaperLookupUnscaled(const ShaperTable& table, V v) {
  return ShaperRead(table, ShaperIndexOf(v));
}

// Single-lane forms, with the same rounding and clamping as one vector lane.
inline float ShaperLookupUnscaled(const ShaperTable& table, float v) {
  const float clamped =
      std::fmin(std::fmax(v, -shaper_detail::kUnitsLimit), shaper_detail::kUnitsLimit);
  // fmax returns the number when v is NaN; the vector path returns -limit there.
  const float units = v == v ? clamped : -shaper_detail::kUnitsLimit;
  const int32_t rounded = Int4Scalar::RoundLane(units);
  const float fraction = units - static_cast<float>(rounded);
  int32_t index = rounded + kShaperTableCentre;
  index = index < 0 ? 0 : (index > kShaperTableSize - 2 ? kShaperTableSize - 2 : index);
  const float lower = table[index];
  return lower + (table[index + 1] - lower) * fraction;
}

inline float ShaperLookup(const ShaperTable& table, float x) {
  return ShaperLookupUnscaled(table, x * kShaperStepsPerUnit);
}

}  // namespace VDSP
