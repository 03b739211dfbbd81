// Common part of the half-band IIR stages: the design and the first-order allpass section.
#pragma once

#include <cmath>

#include "dsp/Resampler2Stage.h"

namespace VDSP {

// Each stage is a half-band low-pass made of two parallel chains ("paths") of first-order allpass
// sections running at the lower rate. Coefficients with even index form path 0 and those with odd
// index path 1. Each allpass section costs one multiply-add per sample, so a stage with N
// coefficients costs N per pair of high-rate samples.
class Resampler2StageIIR : public Resampler2Stage {
 public:
  Resampler2StageIIR(int coefficientCount, double transitionBandwidth)
      : coefficientCount_(coefficientCount), transitionBandwidth_(transitionBandwidth) {}

  int CoefficientCount() const { return coefficientCount_; }  // any thread
  // Fraction of the higher rate taken by the transition band around a quarter of that rate.
  double TransitionBandwidth() const { return transitionBandwidth_; }  // any thread

 protected:
  // Memories below this are flushed at block end: far below the 24-bit floor, and it keeps a
  // decaying tail from crawling through the slow denormal range.
  static constexpr float kFlushThreshold = 1e-30f;

  // First-order allpass (a + z^-1) / (1 + a z^-1): unit gain at every frequency, at DC included.
  static float Allpass(float x, float a, float& x1, float& y1) {
    const float y = (x - y1) * a + x1;
    x1 = x;
    y1 = y;
    return y;
  }

  // Flushes a memory array; false when it holds a NaN, an infinity or a runaway value.
  static bool FlushMemory(float* memory, int count) {
    for (int i = 0; i < count; ++i) {
      if (!IsSaneResamplerSample(memory[i])) return false;
      if (std::fabs(memory[i]) < kFlushThreshold) memory[i] = 0.0f;
    }
    return true;
  }

 private:
  int coefficientCount_;
  double transitionBandwidth_;
};

}  // namespace VDSP
