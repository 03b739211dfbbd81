// The coefficient a = 1 - e^(-w) of a one-pole smoother y += a (x - y), w being its corner in
// radians per step: one law for every one-pole of the DSP code, in the forms its callers need.
// Each form keeps its own order of operations, so that a coefficient computed inside a block,
// where the engine rounds down, comes out the same wherever it is asked for.
#pragma once

#include <cmath>
#include <numbers>

#include "dsp/Exp2.h"
#include "dsp/MathConstants.h"

namespace VDSP {

// -2 pi / ln 2: turns e^(-2 pi f) into 2^(-9.06472 f) for Exp2Poly.
inline constexpr float kMinusTwoPiInOctaves =
    static_cast<float>(-kTwoPiDouble * std::numbers::log2e);

// A corner of radiansPerSecond (2 pi f; a fixed corner is folded at compile time) at rateHz.
// // any thread
inline float OnePoleCoefficient(float radiansPerSecond, float rateHz) {
  return 1.0f - std::exp(-radiansPerSecond / rateHz);
}

// The same in double precision, for low corners: in single precision 1 - e^-x loses a fifth of
// their digits to cancellation. // any thread
inline double OnePoleCoefficient(double radiansPerSecond, double rateHz) {
  return 1.0 - std::exp(-radiansPerSecond / rateHz);
}

// A smoother stepped once per block of `samples` samples. // any thread
inline float OnePoleCoefficientPerBlock(float radiansPerSecond, float samples,
                                        float inverseRateHz) {
  return 1.0f - std::exp(-radiansPerSecond * samples * inverseRateHz);
}

// A corner of cyclesPerSample (corner / rate): 1 - e^(-2 pi f). // any thread
inline float OnePoleCoefficientOfCycles(float cyclesPerSample) {
  return 1.0f - std::exp(-kTwoPi * cyclesPerSample);
}

// The same through the cubic 2^x (within 0.4 %), for cutoffs that move every block or sample,
// where libm's e^x would cost more than the filter. cyclesPerSample within 0..10 keeps Exp2Poly
// inside the float exponent range. // any thread
inline float FastOnePoleCoefficient(float cyclesPerSample) {
  return 1.0f - Exp2Poly(kMinusTwoPiInOctaves * cyclesPerSample);
}

}  // namespace VDSP
