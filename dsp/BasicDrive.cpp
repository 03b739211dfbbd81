// Smoothed stereo gain: linear ramp filled four lanes at a time.
#include "dsp/BasicDrive.h"

#include <algorithm>
#include <cmath>

#include "dsp/Float4.h"

namespace VDSP {
namespace {
constexpr int32_t kMinimumRamp = 32;
}  // namespace

BasicDrive::BasicDrive() {
  ramp_.resize(kMinimumRamp);
}

void BasicDrive::Prepare(int32_t blockLength) {
  const auto wanted = static_cast<size_t>(std::max(blockLength, kMinimumRamp));
  if (ramp_.size() < wanted) ramp_.resize(wanted);
}

void BasicDrive::SetTarget(float gain) {
  target_ = std::isfinite(gain) ? gain : 0.0f;
}

void BasicDrive::Reset() {
  current_ = 0.0f;
  target_ = 0.0f;
}

// Gains of samples first .. first + count - 1, as current + (i + 1) * step:
// each value is computed from its index rather than accumulated, so the vector and scalar fills
// agree.
void BasicDrive::FillRamp(int32_t first, int32_t count, float step) {
  float* ramp = ramp_.data();
  int32_t i = 0;
  if (count >= 8) {
    const Float4 current = Float4::Set1(current_);
    const Float4 steps = Float4::Set1(step);
    const Float4 laneOffsets = Float4::Set(1.0f, 2.0f, 3.0f, 4.0f);
    for (; i + 4 <= count; i += 4) {
      const Float4 index = Float4::Set1(static_cast<float>(first + i)) + laneOffsets;
      (current + index * steps).StoreUnaligned(ramp + i);
    }
  }
  for (; i < count; ++i) ramp[i] = current_ + static_cast<float>(first + i + 1) * step;
}

void BasicDrive::ApplyConstant(float* left, float* right, int32_t n, float gain) {
  if (gain == 1.0f) return;
  const Float4 g = Float4::Set1(gain);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    (Float4::LoadUnaligned(left + i) * g).StoreUnaligned(left + i);
    (Float4::LoadUnaligned(right + i) * g).StoreUnaligned(right + i);
  }
  for (; i < n; ++i) {
    left[i] *= gain;
    right[i] *= gain;
  }
}

void BasicDrive::FillGains(float* gains, int32_t n, float inverseN) {
  if (n < 1) return;
  const float step = (target_ - current_) * inverseN;
  if (step == 0.0f) {
    FillFloats(gains, n, current_);
    return;
  }
  for (int32_t i = 0; i < n; ++i) gains[i] = current_ + static_cast<float>(i + 1) * step;
  const float last = current_ + static_cast<float>(n) * step;
  current_ = std::isfinite(last) ? last : target_;
}

void BasicDrive::Apply(float* left, float* right, int32_t n, float inverseN) {
  if (n < 1) return;
  const float step = (target_ - current_) * inverseN;
  if (step == 0.0f) {
    // A held gain: every ramp value equals the current gain (current + i * 0).
    ApplyConstant(left, right, n, current_);
    return;
  }
  const auto chunk = static_cast<int32_t>(ramp_.size());
  for (int32_t first = 0; first < n; first += chunk) {
    const int32_t count = std::min(chunk, n - first);
    FillRamp(first, count, step);
    for (int32_t i = 0; i < count; ++i) {
      left[first + i] *= ramp_[i];
      right[first + i] *= ramp_[i];
    }
  }
  const float last = current_ + static_cast<float>(n) * step;
  // A non-finite step (NaN ramp factor) must not leave the slot mute for good.
  current_ = std::isfinite(last) ? last : target_;
}

}  // namespace VDSP
