// Last-resort limiter on the host's output pair: hands everything up to +12 dBFS through bit for
// bit and holds louder peaks under +18 dBFS with one stereo-linked, smoothly released gain.
#pragma once

#include <atomic>
#include <cstdint>

namespace VDSP {

// Gain computer: a sample pair whose larger magnitude p exceeds the ceiling C needs the gain
// f(p) / p, where f(p) = C + W (p - C) / (W + p - C) and W = B - C: a soft knee that leaves the
// ceiling with slope 1 (no corner) and approaches the hard bound B without reaching it, so even
// FLT_MAX comes out at B. The gain falls to that value at once (no lookahead, no latency), is held
// for kHoldMs after the last sample that set it, then rises in the log domain toward
// +kReleaseOvershootDb with time constant kReleaseMs and stops at exactly 1 on the way. A
// reduction of D dB is therefore over kHoldMs + kReleaseMs * ln((D + 3) / 3) after the last peak
// that set it: 133 ms after a +60 dBFS peak (D = 42), at most kLongestRecoveryMs (FLT_MAX,
// D = 753). From then on the pass is bit-exact again.
//
// Disabled, the stage touches nothing at all, not even NaN or infinite samples: turning the
// "OutputSafety" preference off is the user's choice. Enabled, a non-finite sample leaves as 0
// and counts as 0 for the gain.
class OutputSafety {
 public:
  static constexpr float kCeilingDb = 12.0f;
  static constexpr float kCeiling = 3.98107171f;  // 10^(12/20)
  static constexpr float kHardBoundDb = 18.0f;
  static constexpr float kHardBound = 7.94328235f;  // 10^(18/20)
  // The full period of |x| at 20 Hz: a held gain stays put between the peaks of any audible tone,
  // so a steady loud tone is scaled, not distorted by a gain that moves inside each cycle.
  static constexpr float kHoldMs = 25.0f;
  // Time constant of the log-domain release: slow enough that the level climbs back without
  // audible pumping, quick enough that the music is back at full level within a few beats.
  static constexpr float kReleaseMs = 40.0f;
  // The release heads 3 dB past unity so that it reaches 1 in finite time (at 75 dB/s at the end,
  // an inaudible bend) instead of creeping toward it for ever.
  static constexpr float kReleaseOvershootDb = 3.0f;
  // 25 + 40 ln(756 / 3) = 246 ms for FLT_MAX, rounded up.
  static constexpr float kLongestRecoveryMs = 250.0f;

  OutputSafety();

  // Host sample rate in Hz; ignored unless finite and at least 1. Keeps the gain state.
  // // UI thread
  void SetSampleRate(float hz);

  // On by default. Takes effect at the next block; switching off also forgets any gain reduction,
  // so switching on again starts from unity. // any thread
  void SetEnabled(bool enabled) { enabled_.store(enabled, std::memory_order_relaxed); }
  bool Enabled() const { return enabled_.load(std::memory_order_relaxed); }  // any thread

  // In place on the host's two output channels; left and right may be the same buffer. A block
  // with no sample above the ceiling at unity gain costs one scan for its peak. frames < 1
  // processes nothing. // audio thread
  void Process(float* left, float* right, int32_t frames);

  // Back to unity gain with nothing held; keeps the rate and the enabled state. // audio thread
  void Reset();

  // The gain applied to the last sample: 1 when not limiting, down to about 2e-38. // audio thread
  float Gain() const { return state_.gain; }

 private:
  // The gain and its hold and release, copied into a local for each limited block.
  struct GainState {
    float gain = 1.0f;
    float gainLog2 = 0.0f;  // valid while releasing
    int32_t holdLeft = 0;   // samples
    bool releasing = false;

    void HoldOrRelease(float releaseCoeff);
    void Attack(float peak, int32_t holdSamples);
  };

  static bool BlockPassesUntouched(const float* left, const float* right, int32_t frames);
  static float GainFor(float peak);
  void Limit(float* left, float* right, int32_t frames);

  std::atomic<bool> enabled_{true};

  int32_t holdSamples_ = 0;
  float releaseCoeff_ = 0.0f;

  GainState state_;
};

}  // namespace VDSP
