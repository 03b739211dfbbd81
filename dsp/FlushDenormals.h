// Flush-to-zero and denormals-are-zero for the span of an audio block. Decaying filter and
// envelope tails otherwise reach the denormal range, where every operation costs many times its
// usual time; the host's mode comes back when the scope ends.
#pragma once

#include <cstdint>

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define TAVO_HAS_MXCSR 1
#endif

namespace VDSP {

class FlushDenormalsScope {
 public:
#if defined(TAVO_HAS_MXCSR)
  // MXCSR bit 15 flushes denormal results to zero, bit 6 reads denormal operands as zero.
  static constexpr uint32_t kFlushToZero = 1u << 15;
  static constexpr uint32_t kDenormalsAreZero = 1u << 6;

  FlushDenormalsScope() : previous_(_mm_getcsr()) {
    _mm_setcsr(previous_ | kFlushToZero | kDenormalsAreZero);
  }
  ~FlushDenormalsScope() {
    _mm_setcsr(previous_);
  }
#else
  FlushDenormalsScope() = default;
#endif
  FlushDenormalsScope(const FlushDenormalsScope&) = delete;
  FlushDenormalsScope& operator=(const FlushDenormalsScope&) = delete;

 private:
#if defined(TAVO_HAS_MXCSR)
  uint32_t previous_;
#endif
};

}  // namespace VDSP
