// Power-of-two ring buffer with masked indexing and cubic fractional reads (delay lines).
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <memory>

namespace VDSP {

// The storage has a capacity, reserved by set-up calls, and a length in use that never exceeds it:
// changing the length within the capacity never allocates, so the audio thread may do it.
class VBufferPow2 {
 public:
  // While one is alive on a thread, VBufferPow2 never allocates on that thread: Reserve does
  // nothing and SetLength stays within the capacity already reserved. The audio thread opens one
  // around a rate change it applies itself. Scopes nest. // any thread (affects only its own)
  class FixedCapacityScope {
   public:
    FixedCapacityScope();
    ~FixedCapacityScope();
    FixedCapacityScope(const FixedCapacityScope&) = delete;
    FixedCapacityScope& operator=(const FixedCapacityScope&) = delete;
  };
  // True inside a FixedCapacityScope of the calling thread. // any thread
  static bool CapacityIsFixed();

  VBufferPow2() = default;
  VBufferPow2(const VBufferPow2&) = delete;
  VBufferPow2& operator=(const VBufferPow2&) = delete;

  // The capacity becomes at least the smallest power of two >= n (1 for n <= 1); it never shrinks.
  // Growing allocates zeroed storage and keeps the samples of the length in use. Does nothing
  // inside a FixedCapacityScope. // UI thread (set-up)
  void Reserve(uint32_t n);
  // The length in use becomes the smallest power of two >= n (1 for n <= 1), reserving more
  // storage first when that is allowed on this thread; inside a FixedCapacityScope it is cut to the
  // capacity. A changed length reads as zeros; an unchanged one keeps its content. Allocates only
  // outside a FixedCapacityScope. // any thread
  void SetLength(uint32_t n);
  // Zero-fills the length in use. // audio thread
  void Clear();

  uint32_t Length() const { return length_; }
  uint32_t Capacity() const { return capacity_; }
  uint32_t Mask() const { return mask_; }
  float LengthFloat() const { return lengthFloat_; }

  // Direct access; the index wraps by the mask. Not valid while the length is 0. // audio thread
  float& operator[](uint32_t index) { return samples_[index & mask_]; }
  float operator[](uint32_t index) const { return samples_[index & mask_]; }

  // Four-point third-order Lagrange interpolation at a fractional position; positions wrap, so a
  // negative position reads that far behind index 0. Any float, NaN included, stays inside the
  // length in use. // audio thread
  inline float Read(float position) const;

 private:
  std::unique_ptr<float[]> samples_;
  uint32_t capacity_ = 0;
  uint32_t length_ = 0;
  uint32_t mask_ = 0;
  float lengthFloat_ = 0.0f;
};

// Beyond 2^24 every float is whole and a wider range would overflow the int32 conversion; maxss
// sends NaN to the lower end. minss/maxss and cvttss2si keep the read free of jumps.
inline float VBufferPow2::Read(float position) const {
  const __m128 limited = _mm_min_ss(_mm_max_ss(_mm_set_ss(position), _mm_set_ss(-16777216.0f)),
                                    _mm_set_ss(16777216.0f));
  const float p = _mm_cvtss_f32(limited);
  int32_t whole = _mm_cvttss_si32(limited);  // truncation toward zero
  whole -= static_cast<int32_t>(p < static_cast<float>(whole));
  const float t = p - static_cast<float>(whole);
  const uint32_t i = static_cast<uint32_t>(whole);
  const float ym = samples_[(i - 1) & mask_];
  const float y0 = samples_[i & mask_];
  const float y1 = samples_[(i + 1) & mask_];
  const float y2 = samples_[(i + 2) & mask_];
  return ((((y2 - ym) * (1.0f / 6.0f) + (y0 - y1) * 0.5f) * t + ((y1 + ym) * 0.5f - y0)) * t +
          (y1 - ym * (1.0f / 3.0f) - y0 * 0.5f - y2 * (1.0f / 6.0f))) *
             t +
         y0;
}

}  // namespace VDSP
