// Coefficient holder of a linear single-lane state-variable filter (the sidechain high-pass).
#pragma once

#include <cstdint>

namespace VDSP {

// Holds the coefficients and the two stages' state; the owner runs its own per-sample loop and adds
// the increments (Advance) where it glides. Not thread-safe: one owner, one thread.
class VFilterSVFCommon {
 public:
  struct Stage {
    float lp = 0.0f;
    float bp = 0.0f;
    float hp = 0.0f;
    float damping = 0.0f;
  };

  VFilterSVFCommon() { Reset(); }

  // lp of both stages to 1e-10 (a nudge that keeps a silent loop off denormal numbers), both
  // dampings to 1, every other coefficient and state to 0. The rate is kept. // any thread
  void Reset();

  // rateHz > 0, factor >= 1. // UI thread
  void SetRate(float rateHz, int32_t factor);

  // F1 = 1 - e^(-2 pi v) through Exp2Poly (v = 0.01 gives 0.060898, a cutoff near 0.0097 of the
  // rate). // UI thread
  void SetOnePoleCoefficient(float v);

  // Cutoff from a control value v in 0..1: v^4 * (rate / 2 - 30) + 30 Hz; resonance r in 0..1
  // (damping q = 2 - 2 sqrt(r)); step is the ramp factor (1 / block length). Stores both dampings,
  // e/4 of both stages and the increments towards the new targets; F1 and F2 move only by Advance.
  // audio thread
  void Design(float v, float r, float step);

  // F1 += its increment, F2 += its increment. // audio thread
  void Advance() {
    f1_ += f1Increment_;
    f2_ += f2Increment_;
  }

  float F1() const { return f1_; }
  float F1Increment() const { return f1Increment_; }
  float E1Quarter() const { return e1Quarter_; }
  float F2() const { return f2_; }
  float F2Increment() const { return f2Increment_; }
  float E2Quarter() const { return e2Quarter_; }
  float InverseRate() const { return inverseRate_; }
  float RateHz() const { return rateHz_; }
  Stage& StageOne() { return stage1_; }
  const Stage& StageOne() const { return stage1_; }
  Stage& StageTwo() { return stage2_; }
  const Stage& StageTwo() const { return stage2_; }

 private:
  // Coefficients
  float f1_ = 0.0f;
  float f1Increment_ = 0.0f;
  float e1Quarter_ = 0.0f;
  float f2_ = 0.0f;
  float f2Increment_ = 0.0f;
  float e2Quarter_ = 0.0f;
  // State
  Stage stage1_;
  Stage stage2_;
  // Rate
  float inverseRate_ = 1.0f / 44100.0f;
  float rateHz_ = 44100.0f;
};

}  // namespace VDSP
