// Builds the shaper tables from the circuit equations, once per process.
#include "dsp/ShaperTables.h"

#include <cmath>

namespace VDSP {
namespace {

// Two diode models: saturation current with twice the thermal voltage as the log factor.
struct Diode {
  float twiceThermalVolts;
  float saturationAmps;
};
constexpr Diode kForwardDiode{0.05f, 5.09e-9f};   // 0.025 V, positive signals
constexpr Diode kReverseDiode{0.049f, 3.07e-9f};  // 0.0245 V, negative signals

constexpr float kKneeOhms = 1500.0f;
constexpr float kKneeOutputOhms = 2000.0f;
constexpr float kClipOhms = 4077.67f;
// Input and output scaling of the clipper, reciprocal so that small signals pass at unity.
constexpr float kClipInputScale = 0.7281553f;
constexpr float kClipOutputScale = 1.3733333f;
// 1 / 3.3 in single precision: the tanh runs on the 3.3 V rail.
constexpr float kInverseRail = 0.3030303f;
constexpr double kRailVolts = 3.3;
// Mismatched pair of the asymmetric tanh.
constexpr double kPairAmpsA = 5.0726e-9;
constexpr double kPairAmpsB = 4.234e-9;

// Current I >= 0 through a diode in series with `ohms` for a drive of `volts`:
// V ln(1 + I / Is) + R I = volts. Newton in single precision from 1 pA, at most five steps,
// stopping once a step moves I by less than 0.1 %. The results are what the tables hold, so the
// step rule is part of the curve.
float SolveDiodeCurrent(const Diode& diode, float ohms, float volts) {
  const float v = diode.twiceThermalVolts;
  const float is = diode.saturationAmps;
  const float logIs = std::log(is);
  float amps = 1e-12f;
  for (int step = 0; step < 5; ++step) {
    const float f = v * std::log(amps + is) + ohms * amps - v * logIs - volts;
    const float slope = v / (amps + is) + ohms;
    float next = amps - f / slope;
    if (next < 0.0f) next = 0.0f;
    const float change = std::fabs(next - amps);
    amps = next;
    if (change < 0.001f * amps) break;
  }
  return amps;
}

float InputOf(int32_t entry) {
  return static_cast<float>(entry - kShaperTableCentre) / kShaperStepsPerUnit;
}

float Tanh33Of(float x) {
  return static_cast<float>(kRailVolts * std::tanh(static_cast<double>(x * kInverseRail)));
}

float DiodeKneeOf(float x) {
  if (x > 0.0f) return kKneeOutputOhms * SolveDiodeCurrent(kForwardDiode, kKneeOhms, x / 2.0f);
  return -(kKneeOutputOhms * SolveDiodeCurrent(kReverseDiode, kKneeOhms, -x / 2.0f));
}

double AsymTanhOf(double x) {
  const double q1 = 2.0 * kPairAmpsA / (kPairAmpsA + kPairAmpsB);
  const double q2 = 2.0 * kPairAmpsB / (kPairAmpsA + kPairAmpsB);
  return 1.0 / (std::exp(-2.0 * x) * q2 + q1) - 1.0 / (std::exp(2.0 * x) * q1 + q2);
}

float AsymTanh33Of(float x) {
  return static_cast<float>(kRailVolts * AsymTanhOf(static_cast<double>(x * kInverseRail)));
}

float DiodeClipOf(float x) {
  const float u = x * kClipInputScale;
  float d;
  if (u >= 0.0f) {
    d = u - kClipOhms * SolveDiodeCurrent(kForwardDiode, kClipOhms, u);
  } else {
    d = u + kClipOhms * SolveDiodeCurrent(kReverseDiode, kClipOhms, -u);
  }
  return d * kClipOutputScale;
}

}  // namespace

void ShaperTable::PairSegments() {
  for (int32_t i = 0; i + 1 < kShaperTableSize; ++i) {
    segments[2 * i] = entries[i];
    segments[2 * i + 1] = entries[i + 1];
  }
}

ShaperTables::ShaperTables() {
  for (int32_t i = 0; i < kShaperTableSize; ++i) {
    const float x = InputOf(i);
    tanh33_.entries[i] = Tanh33Of(x);
    diodeKnee_.entries[i] = DiodeKneeOf(x);
    asymTanh_.entries[i] = static_cast<float>(AsymTanhOf(x));
    asymTanh33_.entries[i] = AsymTanh33Of(x);
    asymTanh33x32_.entries[i] = 32.0f * asymTanh33_.entries[i];
    diodeClip_.entries[i] = DiodeClipOf(x);
  }
  for (ShaperTable* table :
       {&tanh33_, &diodeKnee_, &asymTanh_, &asymTanh33_, &asymTanh33x32_, &diodeClip_}) {
    table->PairSegments();
  }
}

const ShaperTables& ShaperTables::Get() {
  static const ShaperTables tables;
  return tables;
}

}  // namespace VDSP
