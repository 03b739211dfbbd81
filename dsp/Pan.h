// Constant-unity pan at the end of each filter slot: the far side fades out, the near side stays.
#pragma once

#include <cstdint>

namespace VDSP {

class Pan {
 public:
  // position: 0 hard left, 0.5 centre, 1 hard right; values outside 0..1 are limited to it and a
  // non-finite value keeps the previous target. The position glides there across the next
  // processed block. // audio thread
  void SetTarget(float position);

  // Left and right in place. n < 1 processes nothing. // audio thread
  void Process(float* left, float* right, int32_t n);
  // As above with the caller's 1/n (the filter slot's ramp factor). // audio thread
  void Process(float* left, float* right, int32_t n, float inverseN);
  // The n per-channel gains Process would apply, moving the position as Process does.
  // audio thread
  void FillGains(float* left, float* right, int32_t n, float inverseN);

  // Back to the centre with no glide pending, as constructed. // audio thread
  void Reset();

  float Position() const { return position_; }
  float TargetPosition() const { return targetPosition_; }

 private:
  float position_ = 0.5f;
  float targetPosition_ = 0.5f;
};

}  // namespace VDSP
