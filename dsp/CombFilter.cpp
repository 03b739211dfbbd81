// "Comb" filter type: a tuned feedback comb with damped, saturating recirculation (one channel).
#include "dsp/CombFilter.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "dsp/MathConstants.h"

namespace VDSP {

namespace {

// The inverted comb's feedback loses only its DC and sub-bass: a fixed 20 Hz one-pole, its
// coefficient taken as the corner's angle per sample (small beside 1 at any rate it runs at).
constexpr float kNegativeDampingRadiansPerSecond = kTwoPi * 20.0f;
// Feedback weight 1.025 a^2 with a up to 1.01: the top of the resonance range (1.0456) sustains,
// and the saturating write holds the level.
constexpr float kFeedbackScale = 1.025f;
constexpr float kMaxResonance = 1.01f;

// 1 / v for v >= 1 from one Newton step on the inverse square root, squared (within 0.6 %).
inline float ApproxReciprocal(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  bits = (0xBE6A3000u - bits) >> 1;
  float y;
  std::memcpy(&y, &bits, sizeof y);
  y = y * (1.5f - 0.5f * v * y * y);
  return y * y;
}

}  // namespace

CombFilter::CombFilter() {
  SetSampleRate(processingRateHz_, hostRateHz_, oversamplingFactor_);
}

void CombFilter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  const float reservedRateHz = std::max(
      hostRateHz * static_cast<float>(std::max(factor, kReservedFactor)), processingRateHz);
  ring_.Reserve(RingSamplesFor(reservedRateHz));
  ring_.SetLength(RingSamplesFor(processingRateHz));
  ring_.Clear();
  // Reads stay inside the ring at any length it got: the delay is limited to it.
  maxDelaySamples_ = std::max(ring_.LengthFloat() - 2.0f, 0.0f);
  negativeDampingCoeff_ = std::min(kNegativeDampingRadiansPerSecond / processingRateHz, 1.0f);
}

uint32_t CombFilter::RingSamplesFor(float rateHz) {
  // 0.2 s of delay reaches one period of the lowest cutoff (6.875 Hz) at any rate.
  float samples = 0.2f * rateHz;
  if (!(samples >= 2.0f)) samples = 2.0f;
  samples = std::min(samples, static_cast<float>(kMaxRingLength));
  return static_cast<uint32_t>(std::lround(samples));
}

uint32_t CombFilter::ModeIndexOf(float mode) {
  return static_cast<uint32_t>(mode >= 0.5f ? CombMode::kPositive : CombMode::kNegative);
}

void CombFilter::SetParameters(float cutoff, float resonance, float mode) {
  positive_ = ModeIndexOf(mode) == static_cast<uint32_t>(CombMode::kPositive);
  cutoffOctaves_ = Clamp(12.0f * cutoff - 6.0f, -6.0f, 6.0f);
  resonance_ = kMaxResonance * Clamp(resonance, 0.0f, 1.0f);
}

void CombFilter::Reset() {
  ring_.Clear();
  delaySamples_ = 1.0f;
  feedback_ = 0.0f;
  direct_ = 1.0f;
  delayed_ = 1.0f;
  writeIndex_ = 0;
  dampingState_ = 0.0f;
  antiDenormal_ = 1e-8f;
  positive_ = false;
  cutoffOctaves_ = 6.0f;
  resonance_ = 0.0f;
}

CombFilter::Targets CombFilter::ComputeTargets(bool positive, float cutoffOctaves, float resonance,
                                               float rateHz, float negativeDampingCoeff) {
  const float a = std::max(resonance, 0.0f);
  const float feedback = kFeedbackScale * a * a;
  // Scales the output down as the recirculation grows, keeping resonant peaks near unity.
  const float r = ApproxReciprocal(1.0f + feedback);
  const float period = rateHz * Exp2Poly(-cutoffOctaves);
  Targets t;
  t.direct = 0.5f * r * r;
  if (positive) {
    t.delaySamples = period * (1.0f / 440.0f);
    t.feedback = feedback;
    t.delayed = 0.5f * r;
    // Damping at a quarter of the tuned pitch keeps the fundamental and thins the lows.
    t.dampingCoeff = std::min(Exp2Poly(cutoffOctaves - 2.0f) * (440.0f / rateHz), 0.25f);
  } else {
    t.delaySamples = period * (1.0f / 880.0f);
    t.feedback = -feedback;
    t.delayed = -0.5f * r;
    t.dampingCoeff = negativeDampingCoeff;
  }
  return t;
}

void CombFilter::Process(const float* in, float* out, int32_t n, float inverseN) {
  if (n < 1) return;
  const Targets t = ComputeTargets(positive_, cutoffOctaves_, resonance_, processingRateHz_,
                                   negativeDampingCoeff_);
  antiDenormal_ = -antiDenormal_;
  ring_[writeIndex_] += antiDenormal_;
  float lp = dampingState_ + antiDenormal_;

  // Blocks shorter than 32 samples keep the per-sample step of a 32-sample block, so filter FM's
  // one-sample blocks do not speed the slides up.
  const float s = std::min(inverseN, 0.03125f);
  // The delay covers only 8 % of the way per block: pitch changes slide over many blocks.
  const float dD = (t.delaySamples - delaySamples_) * s * 0.08f;
  const float dA = (t.feedback - feedback_) * s;
  const float dB = (t.direct - direct_) * s;
  const float dC = (t.delayed - delayed_) * s;
  const float k = t.dampingCoeff;
  const float maxDelay = maxDelaySamples_;
  const uint32_t mask = ring_.Mask();

  float delay = delaySamples_, fbk = feedback_, direct = direct_, delayed = delayed_;
  uint32_t w = writeIndex_;
  for (int32_t i = 0; i < n; ++i) {
    w = (w + 1) & mask;
    delay += dD;
    fbk += dA;
    direct += dB;
    delayed += dC;
    const float xc = Clamp(ZeroNaN(in[i]), -2.0f, 2.0f);
    const float d =
        ring_.Read(static_cast<float>(w) - Clamp(std::fabs(delay), 0.0f, maxDelay) - 2.0f);
    const float lpPrev = lp;
    lp += (d - lp) * k;
    out[i] = direct * ring_[w - 2] + delayed * d;
    // Soft clip reaching +-1 with zero slope at +-2, as in the drive's clippers.
    const float shaped = ((std::fabs(xc) * 0.0625f - 0.25f) * xc * xc + 1.0f) * xc;
    const float vc = Clamp(shaped + fbk * (d - lpPrev), -1.5f, 1.5f);
    // Cubic soft clip reaching +-1 with zero slope at +-1.5 (4/27 = 1 / (3 * 1.5^2)).
    ring_[w] = vc - vc * vc * vc * 0.14814815f;
  }
  delaySamples_ = delay;
  feedback_ = fbk;
  direct_ = direct;
  delayed_ = delayed;
  dampingState_ = lp;
  writeIndex_ = w;
}

float CombFilter::MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                              float displayRateHz) {
  const float octaves = Clamp(12.0f * cutoffNorm - 6.0f, -6.0f, 6.0f);
  const float resonance = kMaxResonance * Clamp(resonanceNorm, 0.0f, 1.0f);
  const float negativeCoeff = std::min(kNegativeDampingRadiansPerSecond / displayRateHz, 1.0f);
  const bool positive = mode != static_cast<int>(CombMode::kNegative);
  const Targets t = ComputeTargets(positive, octaves, resonance, displayRateHz, negativeCoeff);
  // The lowest cutoff's period (0.145 s) always fits the 0.2 s ring, so no delay limit applies.
  const double delay = static_cast<double>(t.delaySamples) + 2.0;
  const double omega = kTwoPiDouble * frequencyHz / displayRateHz;
  const std::complex<double> z1 = std::polar(1.0, -omega);
  const std::complex<double> zd = std::polar(1.0, -omega * delay);
  // The feedback takes the delayed tap minus its one-pole low-pass, a first-order high-pass.
  const std::complex<double> highPass = (1.0 - z1) / (1.0 - (1.0 - t.dampingCoeff) * z1);
  const std::complex<double> ringGain =
      1.0 / (1.0 - static_cast<double>(t.feedback) * highPass * zd);
  const std::complex<double> tapGain =
      static_cast<double>(t.direct) * z1 * z1 + static_cast<double>(t.delayed) * zd;
  // At a linear pole (feedback above 1) the saturating write caps the real peak; keep it finite.
  const double db = 20.0 * std::log10(std::max(std::abs(tapGain * ringGain), 1e-6));
  return db < 120.0 ? static_cast<float>(db) : 120.0f;
}

}  // namespace VDSP
