// The sidechain's high-pass: a two-pole state-variable filter over the mono sum of inputs 3+4 at
// the host rate, so that the follower, the sample-and-hold and the filter FM hear the sidechain
// without its lows.
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/VFilterSVFCommon.h"

namespace VDSP {

// The corner is a fixed fraction of the rate the filter runs at, so it needs no rate. One owner,
// one thread.
class SidechainHighPass {
 public:
  // F = 1 - e^(-2 pi 0.01), a corner near 0.0097 of the host rate (427.5 Hz at 44.1 kHz), damped
  // at 1.35 so it rolls off gently without a resonant bump.
  static constexpr float kCutoff = 0.01f;
  static constexpr float kDamping = 1.35f;
  // The filter state is nudged by +-1e-8 per sample so silence never decays into denormals.
  static constexpr float kDither = 1e-8f;

  SidechainHighPass() { Reset(); }

  // The state back to rest, the low-pass nudged off zero. // UI thread (set-up)
  void Reset() {
    svf_.Reset();
    svf_.SetOnePoleCoefficient(kCutoff);
  }

  // Writes the high-passed (in3 + in4) / 2 of `frames` samples to both outputs. `dither` is the
  // nudge's source: dither.Draw(lo, hi) answers a uniform value in [lo, hi) and is called once per
  // sample. A non-finite input leaves the state cleared at the end of the block. // audio thread
  template <typename Dither>
  void Process(const float* in3, const float* in4, float* left, float* right, int32_t frames,
               Dither& dither) {
    VFilterSVFCommon::Stage& state = svf_.StageOne();
    const float f = svf_.F1();
    float lp = state.lp;
    float bp = state.bp;
    for (int32_t i = 0; i < frames; ++i) {
      const float x = (in3[i] + in4[i]) * 0.5f;
      lp += dither.Draw(-kDither, kDither);
      lp += f * bp;
      const float hp = x - lp - kDamping * bp;
      bp += f * hp;
      left[i] = hp;
      right[i] = hp;
    }
    if (!std::isfinite(lp) || !std::isfinite(bp)) lp = bp = 0.0f;
    state.lp = lp;
    state.bp = bp;
  }

 private:
  // Supplies F and holds the state in its first stage.
  VFilterSVFCommon svf_;
};

}  // namespace VDSP
