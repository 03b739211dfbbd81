// Power-of-two ring buffer with masked indexing and cubic fractional reads (delay lines).
#include "dsp/VBufferPow2.h"

#include <algorithm>

namespace VDSP {

void VBufferPow2::SetLength(uint32_t n) {
  uint32_t length = 1;
  while (length < n && length < 0x80000000u) length <<= 1;
  if (length == length_) return;
  samples_ = std::make_unique<float[]>(length);  // value-initialised: zero-filled
  length_ = length;
  mask_ = length - 1;
  lengthFloat_ = static_cast<float>(length);
}

void VBufferPow2::Clear() {
  if (samples_) std::fill(samples_.get(), samples_.get() + length_, 0.0f);
}

}  // namespace VDSP
