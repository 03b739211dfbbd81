// Constant-unity pan at the end of each filter slot.
#include "dsp/Pan.h"

#include <algorithm>
#include <cmath>

#include "dsp/Float4.h"

namespace VDSP {

void Pan::SetTarget(float position) {
  if (!std::isfinite(position)) return;
  // Beyond the ends the gain law would turn negative and flip a channel's polarity.
  targetPosition_ = std::clamp(position, 0.0f, 1.0f);
}

void Pan::Process(float* left, float* right, int32_t n) {
  if (n < 1) return;
  Process(left, right, n, 1.0f / static_cast<float>(n));
}

void Pan::Process(float* left, float* right, int32_t n, float inverseN) {
  if (n < 1) return;
  const float start = position_;
  // Held at the centre both gains are exactly 1: nothing to do.
  if (start == 0.5f && targetPosition_ == 0.5f) return;
  const float step = (targetPosition_ - start) * inverseN;
  for (int32_t i = 0; i < n; ++i) {
    const float p = start + static_cast<float>(i + 1) * step;
    // Each side is at unity from the centre towards its own end and fades to 0 towards the other.
    left[i] *= std::min(2.0f - 2.0f * p, 1.0f);
    right[i] *= std::min(2.0f * p, 1.0f);
  }
  position_ = targetPosition_;
}

void Pan::FillGains(float* left, float* right, int32_t n, float inverseN) {
  if (n < 1) return;
  const float start = position_;
  if (start == 0.5f && targetPosition_ == 0.5f) {
    // Held at the centre: both gains exactly 1.
    FillFloats(left, n, 1.0f);
    FillFloats(right, n, 1.0f);
    return;
  }
  const float step = (targetPosition_ - start) * inverseN;
  for (int32_t i = 0; i < n; ++i) {
    const float p = start + static_cast<float>(i + 1) * step;
    left[i] = std::min(2.0f - 2.0f * p, 1.0f);
    right[i] = std::min(2.0f * p, 1.0f);
  }
  position_ = targetPosition_;
}

void Pan::Reset() {
  position_ = 0.5f;
  targetPosition_ = 0.5f;
}

}  // namespace VDSP
