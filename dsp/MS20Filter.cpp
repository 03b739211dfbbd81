// "Fatty" filter type: two saturating integrators with diode-clipped resonance (one channel).
#include "dsp/MS20Filter.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "dsp/MathConstants.h"
#include "dsp/OnePole.h"
#include "dsp/ShaperTables.h"

namespace VDSP {

namespace {

// 10 Hz one-pole DC blocker.
constexpr float kDcBlockerRadiansPerSecond = kTwoPi * 10.0f;
constexpr float kMaxResonance = 1.01f;
// Integrator gain ceiling: one full step per sample.
constexpr float kMaxGain = 1.0f;
// Far beyond any signal the slot makes (+24 dB pre gain on a full-scale input is 16); keeps the
// integrators' excursion, and so the recovery after a burst of garbage, short.
constexpr float kInputLimit = 64.0f;

// Cutoff octaves around 440 Hz; beyond +-12 the integrator gain is pinned or negligible anyway.
inline float Octaves(float cutoff) {
  return Clamp(12.0f * cutoff - 6.0f, -12.0f, 12.0f);
}

// Integrator gain for a normalised cutoff: -ln(1 - a) to four terms with a = 1 - e^(-2 pi fn), so
// about 2 pi fn, bending below it near the top.
float GainFor(float octaves, float inverseRate) {
  const float fn = Exp2Poly(octaves) * inverseRate * 440.0f;
  const float a = OnePoleCoefficientOfCycles(std::min(fn, 1.0f));
  const float gain = (((0.25f * a + 0.33333334f) * a + 0.5f) * a + 1.0f) * a;
  return std::min(gain, kMaxGain);
}

// Resonance feedback; the diode clipper sits in it, so it cannot run away.
float FeedbackFor(float resonance) {
  return std::min(2.0f * std::sqrt(resonance), 16.0f);
}

}  // namespace

MS20Filter::MS20Filter() {
  SetSampleRate(processingRateHz_, hostRateHz_, oversamplingFactor_);
}

void MS20Filter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  dcCoeff_ = std::min(OnePoleCoefficient(kDcBlockerRadiansPerSecond, processingRateHz), 1.0f);
}

uint32_t MS20Filter::ModeIndexOf(float mode) {
  // min/max order maps NaN to 0 before the conversion.
  return static_cast<uint32_t>(std::lround(std::min(3.0f, std::max(0.0f, 3.0f * std::fabs(mode)))));
}

void MS20Filter::SetParameters(float cutoff, float resonance, float mode) {
  mode_ = ModeIndexOf(mode);
  cutoffOctaves_ = Octaves(cutoff);
  resonance_ = kMaxResonance * Clamp(resonance, 0.0f, 1.0f);
}

void MS20Filter::ClearState() {
  s1_ = 0.0f;
  s2_ = 0.0f;
  feedback_ = 0.0f;
  weightA_ = 0.0f;
  weightB_ = 1.0f;
  dcState_ = 0.0f;
  gain_ = 0.0f;
  antiDenormal_ = 1e-8f;
}

void MS20Filter::Reset() {
  ClearState();
  mode_ = 0;
  cutoffOctaves_ = 6.0f;
  resonance_ = 0.0f;
}

void MS20Filter::Process(const float* in, float* out, int32_t n, float inverseN) {
  if (n < 1) return;
  const float gainStep = (GainFor(cutoffOctaves_, inverseProcessingRate_) - gain_) * inverseN;
  const float kf = FeedbackFor(resonance_);
  // The feedback blends the current and the previous clipper output; more of the current one as the
  // resonance rises.
  weightA_ = std::min(kf * 0.25f, 1.0f);
  weightB_ = 1.0f - weightA_;
  antiDenormal_ = -antiDenormal_;
  s1_ += antiDenormal_;
  s2_ += antiDenormal_;
  dcState_ += antiDenormal_;
  switch (static_cast<MS20Mode>(mode_)) {
    case MS20Mode::kLowPass:
      ProcessMode<MS20Mode::kLowPass>(in, out, n, gainStep);
      break;
    case MS20Mode::kBandPass:
      ProcessMode<MS20Mode::kBandPass>(in, out, n, gainStep);
      break;
    case MS20Mode::kHighPass:
      ProcessMode<MS20Mode::kHighPass>(in, out, n, gainStep);
      break;
    case MS20Mode::kNotch:
      ProcessMode<MS20Mode::kNotch>(in, out, n, gainStep);
      break;
  }
  // Cannot happen with the clamped input and table reads; if it ever does, start from silence
  // rather than stay silent or stuck.
  if (!std::isfinite(s1_ + s2_ + dcState_ + feedback_ + gain_)) ClearState();
}

template <MS20Mode kMode>
void MS20Filter::ProcessMode(const float* in, float* out, int32_t n, float gainStep) {
  // Where the input enters: stage 1, subtracted at stage 2, added at the output.
  constexpr float kIntoStage1 = kMode == MS20Mode::kHighPass ? 0.0f : 1.0f;
  constexpr float kFromStage2 = kMode == MS20Mode::kLowPass ? 0.0f : 1.0f;
  constexpr float kToOutput =
      kMode == MS20Mode::kHighPass || kMode == MS20Mode::kNotch ? 1.0f : 0.0f;
  const ShaperTables& tables = ShaperTables::Get();
  const ShaperTable& sat = tables.Tanh33();
  const ShaperTable& clip = tables.DiodeClip();
  const ShaperTable& outSat = tables.AsymTanh33();
  const float kf = FeedbackFor(resonance_);
  const float wA = weightA_, wB = weightB_, dcCoeff = dcCoeff_;
  float s1 = s1_, s2 = s2_, d = feedback_, dc = dcState_, g = gain_;
  for (int32_t i = 0; i < n; ++i) {
    const float x = Clamp(ZeroNaN(in[i]), -kInputLimit, kInputLimit);
    g += gainStep;
    const float dPrev = d;
    d = ShaperLookup(clip, s2);
    const float e1 = kIntoStage1 * x - kf * (wA * d + wB * dPrev) - s1;
    s1 += g * ShaperLookup(sat, e1);
    const float e2 = s1 + kf * d - kFromStage2 * x - s2;
    s2 += g * ShaperLookup(sat, e2);
    const float y = ShaperLookup(outSat, d + kToOutput * x) - dc;
    dc += dcCoeff * y;
    out[i] = y;
  }
  s1_ = s1;
  s2_ = s2;
  feedback_ = d;
  dcState_ = dc;
  gain_ = g;
}

float MS20Filter::MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                              float displayRateHz) {
  using Complex = std::complex<double>;
  const int m = std::clamp(mode, 0, static_cast<int>(kModeCount) - 1);
  const double g = GainFor(Octaves(cutoffNorm), 1.0f / displayRateHz);
  const double kf = FeedbackFor(kMaxResonance * Clamp(resonanceNorm, 0.0f, 1.0f));
  const double wA = std::min(kf * 0.25, 1.0);
  const auto kind = static_cast<MS20Mode>(m);
  const double into1 = kind == MS20Mode::kHighPass ? 0.0 : 1.0;
  const double from2 = kind == MS20Mode::kLowPass ? 0.0 : 1.0;
  const double toOut = kind == MS20Mode::kHighPass || kind == MS20Mode::kNotch ? 1.0 : 0.0;
  const double omega = kTwoPiDouble * frequencyHz / displayRateHz;
  const Complex z1 = std::polar(1.0, -omega);
  // Every shaper has unity slope at 0, so small signals see the linear loop: each stage is a leaky
  // integrator g / (1 - (1 - g) z^-1); d is s2 one sample late.
  const Complex stage = g / (1.0 - (1.0 - g) * z1);
  const Complex blend = wA * z1 + (1.0 - wA) * z1 * z1;
  const Complex s2 =
      stage * (stage * into1 - from2) / (1.0 + stage * stage * kf * blend - stage * kf * z1);
  const Complex o = z1 * s2 + toOut;
  const double dcCoeff =
      std::min(OnePoleCoefficient(kTwoPiDouble * 10.0, static_cast<double>(displayRateHz)), 1.0);
  const Complex dcBlock = (1.0 - z1) / (1.0 - (1.0 - dcCoeff) * z1);
  const double db = 20.0 * std::log10(std::max(std::abs(o * dcBlock), 1e-6));
  return db < 120.0 ? static_cast<float>(db) : 120.0f;
}

}  // namespace VDSP
