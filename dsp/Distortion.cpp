// The drive stage's seven modes.
#include "dsp/Distortion.h"

#include <algorithm>
#include <cmath>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "dsp/MathConstants.h"
#include "dsp/OnePole.h"
#include "dsp/ShaperTables.h"

namespace VDSP {
namespace {

// 2 Hz DC blocker after the output low-pass.
constexpr float kDcBlockerRadiansPerSecond = kTwoPi * 2.0f;
// Corners as octaves above 1 Hz: 17993.4 Hz band limit on both sides of the shaper, 19.97 Hz
// high-pass in front of it.
constexpr float kBandLimitOctaves = 13.13571f + 1.0f;
constexpr float kHighPassOctaves = 3.321928f + 1.0f;
// The memoryless curves see ten times the drive gain.
constexpr float kMemorylessGainScale = 10.0f;
// Inputs to the circuit are limited to +-1000 (60 dB above full scale): no real signal gets there,
// and an infinity or a runaway value cannot drive the 20 Hz high-pass for seconds.
constexpr float kInputLimit = 1000.0f;
// Keeps the normalising divisions finite while the gain ramps up from 0 after a reset.
constexpr float kTinyGain = 1e-30f;

// Soft clippers: P is linear at 0 and reaches +-1 with zero slope at +-2.
constexpr float kClipScale = 20.1f;
constexpr float kInverseClipScale = 0.049751244f;  // 1 / 20.1
float Bend(float v) {
  const float c = std::clamp(v, -2.0f, 2.0f);
  return ((std::fabs(c) * 0.0625f - 0.25f) * c * c + 1.0f) * c;
}

// Shared shape of both clippers: unchanged between the two knees (in units of 20.1 * u), bent
// beyond them. Written without branches: outside the knees `excess` is the distance past the knee
// and the linear part sits at the knee.
float KneeClip(float u, float lowKnee, float highKnee) {
  const float y = kClipScale * u;
  const float linear = std::clamp(u, lowKnee * kInverseClipScale, highKnee * kInverseClipScale);
  const float excess = y - std::clamp(y, lowKnee, highKnee);
  return linear + Bend(excess) * kInverseClipScale;
}

}  // namespace

const char* DistortionModeName(uint32_t mode) {
  return mode < kDistortionModeCount ? kDistortionModeNames[mode] : nullptr;
}

const char* DistortionModeKey(uint32_t mode) {
  return mode < kDistortionModeCount ? kDistortionModeKeys[mode] : nullptr;
}

uint32_t Distortion::ModeIndexOf(float mode) {
  constexpr float kLastMode = static_cast<float>(kDistortionModeCount - 1);
  return static_cast<uint32_t>(kLastMode * ClampUnit(mode) + 0.5f);
}

float Distortion::SoftClip(float u) {
  return KneeClip(u, -19.0f, 19.0f);
}

float Distortion::HalfClip(float u) {
  return KneeClip(u, -1.0f, 19.0f);
}

Distortion::Distortion() {
  // Built by the library load hook already; this only makes sure before any block runs.
  ShaperTables::Get();
  SetSampleRate(processingRateHz_, hostRateHz_, oversamplingFactor_);
}

void Distortion::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  if (!(processingRateHz >= 1.0f) || !std::isfinite(processingRateHz)) return;
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  dcCoeff_ = OnePoleCoefficient(kDcBlockerRadiansPerSecond, processingRateHz);
  cornerHz_[0] = std::max(0.0f, Exp2Poly(kBandLimitOctaves));
  cornerHz_[1] = std::max(0.0f, Exp2Poly(kHighPassOctaves));
  cornerHz_[2] = cornerHz_[0];
  for (int k = 0; k < 3; ++k) {
    coeff_[k] = OnePoleCoefficient(kTwoPi * cornerHz_[k], processingRateHz);
    complement_[k] = 1.0f - coeff_[k];
  }
}

void Distortion::SetTargetGain(float gain) {
  if (std::isfinite(gain)) targetGain_ = std::max(gain, 0.0f);
}

void Distortion::SetMode(uint32_t mode) {
  mode_ = mode;
}

void Distortion::Process(float* left, float* right, int32_t n) {
  if (n < 1 || mode_ >= kDistortionModeCount) return;
  const float step = (targetGain_ - gain_) / static_cast<float>(n);
  switch (static_cast<DistortionMode>(mode_)) {
    case DistortionMode::kDiode:
      ProcessCircuit<DistortionMode::kDiode>(left, right, n, step);
      break;
    case DistortionMode::kOta:
      ProcessCircuit<DistortionMode::kOta>(left, right, n, step);
      break;
    case DistortionMode::kOpAmp:
      ProcessCircuit<DistortionMode::kOpAmp>(left, right, n, step);
      break;
    case DistortionMode::kHalfRectifier:
      ProcessCircuit<DistortionMode::kHalfRectifier>(left, right, n, step);
      break;
    case DistortionMode::kShredder:
      ProcessMemoryless<DistortionMode::kShredder>(left, right, n, step);
      break;
    case DistortionMode::kClipper:
      ProcessMemoryless<DistortionMode::kClipper>(left, right, n, step);
      break;
    case DistortionMode::kTannin:
      ProcessMemoryless<DistortionMode::kTannin>(left, right, n, step);
      break;
  }
  // The ramp lands on the target exactly, whatever the rounding of the per-sample steps.
  gain_ = targetGain_;
  // NaN input reaches the recursive states; start them afresh rather than output NaN for ever.
  if (!StateIsFinite()) ClearFilterStates();
}

template <DistortionMode kMode>
void Distortion::ProcessCircuit(float* left, float* right, int32_t n, float step) {
  const ShaperTables& tables = ShaperTables::Get();
  const ShaperTable& curve =
      kMode == DistortionMode::kDiode ? tables.DiodeClip() : tables.AsymTanh();
  const float a0 = coeff_[0];
  const float a1 = coeff_[1];
  const float a2 = coeff_[2];
  const float b1 = complement_[1];
  const float dc = dcCoeff_;
  float* channels[2] = {left, right};
  float gain = gain_;
  float offset = antiDenormal_;
  float in[2] = {inputLowPass_[0], inputLowPass_[1]};
  float hp[2] = {highPass_[0], highPass_[1]};
  float blk[2] = {dcBlocker_[0], dcBlocker_[1]};
  float out[2] = {outputLowPass_[0], outputLowPass_[1]};
  for (int32_t i = 0; i < n; ++i) {
    gain += step;
    offset = -offset;
    for (int c = 0; c < 2; ++c) {
      in[c] += offset;
      hp[c] += offset;
      blk[c] += offset;
      out[c] += offset;
      const float x = std::clamp(channels[c][i], -kInputLimit, kInputLimit);
      in[c] += a0 * (x - in[c]);
      const float h = in[c] - hp[c];
      hp[c] += a1 * h;
      const float u = b1 * h * gain;
      float w;
      if constexpr (kMode == DistortionMode::kOpAmp) {
        w = SoftClip(u);
      } else if constexpr (kMode == DistortionMode::kHalfRectifier) {
        w = HalfClip(u);
      } else {
        w = ShaperLookup(curve, u);
      }
      out[c] += a2 * (w - out[c]);
      const float y = out[c] - blk[c];
      blk[c] += dc * y;
      channels[c][i] = y;
    }
  }
  antiDenormal_ = offset;
  for (int c = 0; c < 2; ++c) {
    inputLowPass_[c] = in[c];
    highPass_[c] = hp[c];
    dcBlocker_[c] = blk[c];
    outputLowPass_[c] = out[c];
  }
}

template <DistortionMode kMode>
void Distortion::ProcessMemoryless(float* left, float* right, int32_t n, float step) {
  const ShaperTable& tanh33 = ShaperTables::Get().Tanh33();
  float gain = gain_;
  for (int32_t i = 0; i < n; ++i) {
    gain += step;
    const float g = kMemorylessGainScale * gain;
    if constexpr (kMode == DistortionMode::kClipper) {
      // 0.75 * clamp(G x, -1, 1) / clamp(G, -1, 1); G >= 0 here.
      const float norm = 0.75f / std::clamp(g, kTinyGain, 1.0f);
      left[i] = norm * std::clamp(g * left[i], -1.0f, 1.0f);
      right[i] = norm * std::clamp(g * right[i], -1.0f, 1.0f);
    } else {
      const float inverseNorm = 1.0f / std::max(ShaperLookup(tanh33, g), kTinyGain);
      for (float* channel : {left, right}) {
        const float gx = g * channel[i];
        const float a = ShaperLookup(tanh33, gx);
        if constexpr (kMode == DistortionMode::kShredder) {
          channel[i] = std::clamp(a * inverseNorm, -1.0f, 1.0f);
        } else {
          // Past the knee 3A - 2Gx turns back through zero: the curve folds over before the final
          // saturation.
          channel[i] = ShaperLookup(tanh33, (3.0f * a - 2.0f * gx) * inverseNorm);
        }
      }
    }
  }
}

bool Distortion::StateIsFinite() const {
  float sum = 0.0f;
  for (int c = 0; c < 2; ++c) {
    sum += inputLowPass_[c] + highPass_[c] + dcBlocker_[c] + outputLowPass_[c];
  }
  // Infinities of opposite sign cancel to NaN, so one test covers both.
  return std::isfinite(sum) && std::isfinite(antiDenormal_);
}

void Distortion::ClearFilterStates() {
  for (int c = 0; c < 2; ++c) {
    inputLowPass_[c] = 0.0f;
    highPass_[c] = 0.0f;
    dcBlocker_[c] = 0.0f;
    outputLowPass_[c] = 0.0f;
  }
  antiDenormal_ = 1e-8f;
}

void Distortion::Reset() {
  ClearFilterStates();
  gain_ = 0.0f;
}

}  // namespace VDSP
