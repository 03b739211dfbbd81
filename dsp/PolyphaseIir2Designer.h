// Coefficient design of the polyphase half-band IIR filters inside the 2x resampling stages.
#pragma once

namespace VDSP {

// A half-band elliptic low-pass split into two parallel chains of first-order allpass sections. The
// transition bandwidth is a fraction of the higher of the two rates: the band between (0.25 - t /
// 2) and (0.25 + t / 2) of that rate. More coefficients buy more stopband rejection for the same
// transition width.
class PolyphaseIir2Designer {
 public:
  // Writes `count` allpass coefficients, in rising order, into `coefficients`. Needs count >= 1 and
  // 0 < transitionBandwidth < 0.5; outside those ranges it writes zeros (sections that are plain
  // one-sample delays) and returns false. // any thread
  static bool ComputeCoefficients(double* coefficients, int count, double transitionBandwidth);
};

}  // namespace VDSP
