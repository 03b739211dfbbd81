// Output safety limiter: a peak scan when nothing is loud, an instant-attack, held, log-domain
// released gain when something is.
#include "dsp/OutputSafety.h"

#include <algorithm>
#include <cmath>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "dsp/Float4.h"

namespace VDSP {
namespace {

constexpr float kKneeWidth = OutputSafety::kHardBound - OutputSafety::kCeiling;
constexpr float kDbPerOctave = 6.02059991f;  // 20 * log10(2)
constexpr float kReleaseTargetLog2 = OutputSafety::kReleaseOvershootDb / kDbPerOctave;

static_assert(std::atomic<bool>::is_always_lock_free);

// Infinities and NaN count as silence.
float FiniteOrZero(float x) {
  return std::isfinite(x) ? x : 0.0f;
}

}  // namespace

OutputSafety::OutputSafety() {
  SetSampleRate(44100.0f);
}

void OutputSafety::SetSampleRate(float hz) {
  if (!(hz >= 1.0f) || !std::isfinite(hz)) return;
  const double samplesPerMs = static_cast<double>(hz) / 1000.0;
  holdSamples_ = static_cast<int32_t>(std::lround(kHoldMs * samplesPerMs));
  releaseCoeff_ = static_cast<float>(-std::expm1(-1.0 / (kReleaseMs * samplesPerMs)));
}

void OutputSafety::Process(float* left, float* right, int32_t frames) {
  if (frames < 1) return;
  if (!Enabled()) {
    Reset();
    return;
  }
  if (state_.gain == 1.0f && BlockPassesUntouched(left, right, frames)) return;
  Limit(left, right, frames);
}

void OutputSafety::Reset() {
  state_ = GainState{};
}

bool OutputSafety::BlockPassesUntouched(const float* left, const float* right, int32_t frames) {
  // A lane compare rather than a running maximum: maxps drops NaN, the compare fails on it.
  const Float4 ceiling = Float4::Set1(kCeiling);
  Float4 inRange = Float4::CmpEq(Float4::Zero(), Float4::Zero());
  int32_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    const Float4 l = Float4::Abs(Float4::LoadUnaligned(left + i));
    const Float4 r = Float4::Abs(Float4::LoadUnaligned(right + i));
    inRange =
        Float4::And(inRange, Float4::And(Float4::CmpLe(l, ceiling), Float4::CmpLe(r, ceiling)));
  }
  bool passes = Float4::MoveMask(inRange) == 0xF;
  for (; i < frames; ++i) {
    passes = passes && std::fabs(left[i]) <= kCeiling && std::fabs(right[i]) <= kCeiling;
  }
  return passes;
}

float OutputSafety::GainFor(float peak) {
  // W / (W / over + 1) rather than W over / (W + over): the product overflows near FLT_MAX.
  const float over = peak - kCeiling;
  const float shaped = kCeiling + kKneeWidth / (kKneeWidth / over + 1.0f);
  return shaped / peak;
}

inline void OutputSafety::GainState::HoldOrRelease(float releaseCoeff) {
  if (holdLeft > 0) {
    --holdLeft;
    return;
  }
  if (gain == 1.0f) return;
  if (!releasing) {
    gainLog2 = std::log2(gain);
    releasing = true;
  }
  gainLog2 += (kReleaseTargetLog2 - gainLog2) * releaseCoeff;
  if (gainLog2 >= 0.0f) {
    *this = GainState{};
  } else {
    gain = Exp2Precise(gainLog2);
  }
}

inline void OutputSafety::GainState::Attack(float peak, int32_t holdSamples) {
  // The knee never goes below the ceiling, so a peak that the gain keeps under it needs nothing
  // lower: one product spares the divisions on most samples of a limited block.
  if (peak * gain <= kCeiling) return;
  const float target = GainFor(peak);
  if (target > gain) return;
  gain = target;
  holdLeft = holdSamples;
  releasing = false;
}

void OutputSafety::Limit(float* left, float* right, int32_t frames) {
  GainState state = state_;
  const int32_t holdSamples = holdSamples_;
  const float releaseCoeff = releaseCoeff_;
  for (int32_t i = 0; i < frames; ++i) {
    const float l = FiniteOrZero(left[i]);
    const float r = FiniteOrZero(right[i]);
    // Release first, then attack: the gain a sample leaves with never exceeds what its own peak
    // allows.
    state.HoldOrRelease(releaseCoeff);
    state.Attack(std::max(std::fabs(l), std::fabs(r)), holdSamples);
    if (state.gain < 1.0f) {
      // The knee keeps the product under the bound; the clamp only absorbs the last rounding of
      // the product, whatever the rounding mode.
      left[i] = Clamp(l * state.gain, -kHardBound, kHardBound);
      right[i] = Clamp(r * state.gain, -kHardBound, kHardBound);
    } else {
      // Stored, not multiplied by 1: with denormals-are-zero on, the product would flush them.
      left[i] = l;
      right[i] = r;
    }
  }
  state_ = state;
}

}  // namespace VDSP
