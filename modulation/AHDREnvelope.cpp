// Attack-hold-decay envelope triggered by notes; no release stage, note-offs are ignored.
#include "modulation/AHDREnvelope.h"

#include <algorithm>
#include <cmath>

#include "dsp/Clamp.h"
#include "modulation/EnvelopeTimes.h"

namespace {

// Below this the decay is inaudible as modulation (about -86 dB) and the envelope stops.
constexpr float kFinishedLevel = 5e-5f;

}  // namespace

AHDREnvelope::AHDREnvelope() {
  Update(0.0f, 0.0f, 0.0f, 0.0f);
}

void AHDREnvelope::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  Update(attackValue_, holdValue_, decayValue_, curveValue_);
}

void AHDREnvelope::Update(float attack, float hold, float decay, float curve) {
  attackValue_ = VDSP::ClampUnit(attack);
  holdValue_ = VDSP::ClampUnit(hold);
  decayValue_ = VDSP::ClampUnit(decay);
  const StageLengths lengths =
      ConvertToTimeInSamples(attackValue_, holdValue_, decayValue_, processingRateHz_);
  attackLength_ = lengths.attack;
  holdLength_ = lengths.hold;
  decayLength_ = lengths.decay;
  curveValue_ = VDSP::ClampUnit(curve);
  curve_ = CurveExponent(curveValue_);
  attackIncrementTarget_ = 1.0f / attackLength_;
  decayIncrement_ = 1.0f / decayLength_;
}

void AHDREnvelope::Trigger() {
  stage_ = static_cast<int32_t>(Stage::kAttack);
  output_ = 0.0f;
  attackIncrement_ = 0.0f;
  attackAccumulator_ = 0.0f;
  holdCounter_ = 0;
  decayPosition_ = 0.0f;
}

void AHDREnvelope::Render(float* buffer, int32_t count) {
  if (count <= 0) return;
  RenderInto(buffer, count);
}

float AHDREnvelope::RenderLast(int32_t count) {
  if (count <= 0) return 0.0f;
  const int32_t written = RenderInto(nullptr, count);
  if (written < count) return 0.0f;
  // The last sample came from the stage that ran last; a decay that ended on it still wrote it.
  if (stage_ == static_cast<int32_t>(Stage::kFinished)) return lastDecayValue_;
  return output_;
}

// Renders into buffer (or only runs, when it is null); returns how many samples the stages wrote
// before the rest became silence.
int32_t AHDREnvelope::RenderInto(float* buffer, int32_t count) {
  renderCurve_ = curve_;
  renderDecayIncrement_ = decayIncrement_;
  // The increment glides to its target across the sub-block, so a length change mid-attack bends
  // the ramp instead of stepping it; right after a trigger it starts from 0.
  const float incrementStep =
      (attackIncrementTarget_ - attackIncrement_) / static_cast<float>(count);
  int32_t written = 0;
  if (stage_ == static_cast<int32_t>(Stage::kAttack)) {
    RenderAttack(buffer, written, count, incrementStep);
  }
  if (stage_ == static_cast<int32_t>(Stage::kHold)) RenderHold(buffer, written, count);
  if (stage_ == static_cast<int32_t>(Stage::kDecay)) RenderDecay(buffer, written, count);
  if (buffer != nullptr) std::fill(buffer + written, buffer + count, 0.0f);
  return written;
}

void AHDREnvelope::RenderAttack(float* buffer, int32_t& written, int32_t count,
                                float incrementStep) {
  while (written < count && output_ < 1.0f) {
    attackIncrement_ += incrementStep;
    attackAccumulator_ += attackIncrement_;
    output_ = attackAccumulator_;
    if (buffer != nullptr) buffer[written] = output_;
    ++written;
  }
  // Reaching 1 on the last sample leaves the change of stage to the next sub-block.
  if (written < count) {
    stage_ = static_cast<int32_t>(Stage::kHold);
    holdCounter_ = 0;
    output_ = 1.0f;
  }
}

void AHDREnvelope::RenderHold(float* buffer, int32_t& written, int32_t count) {
  while (written < count && static_cast<float>(holdCounter_) < holdLength_) {
    ++holdCounter_;
    output_ = 1.0f;
    if (buffer != nullptr) buffer[written] = 1.0f;
    ++written;
  }
  if (written < count) {
    stage_ = static_cast<int32_t>(Stage::kDecay);
    decayPosition_ = 0.0f;
  }
}

// Two powers per sub-block: the curve is drawn as a straight line between the sub-block's ends.
void AHDREnvelope::RenderDecay(float* buffer, int32_t& written, int32_t count) {
  const int32_t remaining = count - written;
  if (remaining <= 0) return;
  const float p0 = decayPosition_;
  const float p1 = p0 + static_cast<float>(remaining) * renderDecayIncrement_;
  const float e0 = DecayLevel(p0, renderCurve_);
  const float e1 = DecayLevel(p1, renderCurve_);
  const float slope = (e1 - e0) / static_cast<float>(remaining);
  if (buffer != nullptr) {
    for (int32_t i = 1; i <= remaining; ++i)
      buffer[written + i - 1] = e0 + slope * static_cast<float>(i);
  }
  written += remaining;
  output_ = e0 + slope * static_cast<float>(remaining);
  lastDecayValue_ = output_;
  // A NaN output (it cannot arise from clamped parameters) also ends the envelope.
  if (!(output_ >= kFinishedLevel)) {
    stage_ = static_cast<int32_t>(Stage::kFinished);
    output_ = 0.0f;
  }
  decayPosition_ = p1;
}

AHDREnvelope::StageLengths AHDREnvelope::ConvertToTimeInSamples(float attack, float hold,
                                                                float decay,
                                                                float processingRateHz) {
  const float perMs = processingRateHz * 0.001f;
  const float attackSamples = EnvelopeStageMilliseconds(attack, EnvelopeTimeStage::kAttack) * perMs;
  const float holdSamples = EnvelopeStageMilliseconds(hold, EnvelopeTimeStage::kHold) * perMs;
  const float decaySamples = EnvelopeStageMilliseconds(decay, EnvelopeTimeStage::kDecay) * perMs;
  return {std::fmax(attackSamples, kMinimumRampSamples), holdSamples,
          std::fmax(decaySamples, kMinimumRampSamples)};
}

float AHDREnvelope::ConverFromTimeInSecondsToNormalisedFloat(double seconds, int32_t stage) {
  const int32_t clamped = std::clamp(stage, 0, 2);
  return ConvertSecondsToNormalised(seconds, static_cast<EnvelopeTimeStage>(clamped));
}
