// Power-of-two ring buffer with masked indexing and cubic fractional reads (delay lines).
#include "dsp/VBufferPow2.h"

#include <algorithm>

namespace VDSP {

namespace {

// Per thread, so that one instance's audio thread never stops another thread's set-up call from
// reserving.
thread_local int tFixedCapacityDepth = 0;

uint32_t PowerOfTwoAtLeast(uint32_t n) {
  uint32_t length = 1;
  while (length < n && length < 0x80000000u) length <<= 1;
  return length;
}

}  // namespace

VBufferPow2::FixedCapacityScope::FixedCapacityScope() {
  ++tFixedCapacityDepth;
}

VBufferPow2::FixedCapacityScope::~FixedCapacityScope() {
  --tFixedCapacityDepth;
}

bool VBufferPow2::CapacityIsFixed() {
  return tFixedCapacityDepth > 0;
}

void VBufferPow2::Reserve(uint32_t n) {
  if (CapacityIsFixed()) return;
  const uint32_t capacity = PowerOfTwoAtLeast(n);
  if (capacity <= capacity_) return;
  auto samples = std::make_unique<float[]>(capacity);  // value-initialised: zero-filled
  if (samples_) std::copy(samples_.get(), samples_.get() + length_, samples.get());
  samples_ = std::move(samples);
  capacity_ = capacity;
}

void VBufferPow2::SetLength(uint32_t n) {
  const uint32_t wanted = PowerOfTwoAtLeast(n);
  if (wanted > capacity_) Reserve(wanted);
  const uint32_t length = std::min(wanted, capacity_);
  if (length == length_) return;
  length_ = length;
  mask_ = length > 0 ? length - 1 : 0;
  lengthFloat_ = static_cast<float>(length);
  Clear();
}

void VBufferPow2::Clear() {
  if (samples_) std::fill(samples_.get(), samples_.get() + length_, 0.0f);
}

}  // namespace VDSP
