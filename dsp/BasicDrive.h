// Smoothed stereo gain: the pre- and post-filter gains of a filter slot.
#pragma once

#include <cstdint>
#include <vector>

namespace VDSP {

// Glides linearly from the current gain to the target across each block and arrives at the last
// sample. Starts silent (gain 0).
class BasicDrive {
 public:
  BasicDrive();

  // Grows the ramp buffer to the block length (at least 32 entries); allocates, so it belongs in
  // set-up calls. Processing never depends on it: longer blocks run the ramp in pieces.
  // UI thread
  void Prepare(int32_t blockLength);

  // Linear gain (non-finite values count as 0). // audio thread
  void SetTarget(float gain);

  // Sample i (0-based) of both channels is multiplied by current + (i + 1) * step with step =
  // (target - current) * inverseN; afterwards current is the last gain used. n < 1 does nothing.
  // audio thread
  void Apply(float* left, float* right, int32_t n, float inverseN);
  // The n gains Apply would multiply by, advancing the ramp as Apply does. // audio thread
  void FillGains(float* gains, int32_t n, float inverseN);

  // Gain 0, target 0. // audio thread
  void Reset();

  float CurrentGain() const { return current_; }
  float TargetGain() const { return target_; }

 private:
  void FillRamp(int32_t first, int32_t count, float step);
  static void ApplyConstant(float* left, float* right, int32_t n, float gain);

  float current_ = 0.0f;
  float target_ = 0.0f;
  std::vector<float> ramp_;
};

}  // namespace VDSP
