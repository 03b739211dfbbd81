// Event-set modulation sources (velocity, pitch, note-on random, XY pad, noise) and the note-on
// rules that trigger the envelope, restart the LFOs, pick tempo divisions and set cutoffs.
#include "modulation/NoteSources.h"

#include <cmath>

#include "modulation/Transmod.h"
#include "support/StopWatch.h"

namespace {

constexpr int32_t kLastDivisionIndex = 38;
// 1 / 38: one tempo division a step.
constexpr float kDivisionStep = 0.02631579f;

// Channel 1: the envelope trigger, the LFO restarts and the tempo-division notes.
void ChannelOneNote(int32_t note, NoteOnAction& action) {
  if (note == NoteSources::kEnvelopeTriggerNote) {
    action.triggerEnvelope = true;
    action.midiTrigger = 0;
    return;
  }
  int32_t lfo = -1;
  if (note == NoteSources::kLfo1TriggerNote) lfo = 0;
  if (note == NoteSources::kLfo2TriggerNote) lfo = 1;
  if (lfo >= 0) {
    action.restartLfo = lfo;
    action.midiTrigger = lfo + 1;
    return;
  }
  for (lfo = 0; lfo < 2; ++lfo) {
    const int32_t first =
        lfo == 0 ? NoteSources::kLfo1FirstDivisionNote : NoteSources::kLfo2FirstDivisionNote;
    if (note >= first && note <= first + kLastDivisionIndex) {
      action.rateSelectLfo = lfo;
      action.rateValue = Transmod::ClampUnit(static_cast<float>(note - first) * kDivisionStep);
      action.restartLfo = lfo;
      action.midiTrigger = lfo + 1;
      return;
    }
  }
}

}  // namespace

NoteSources::NoteSources() {
  generator_.Seed(static_cast<uint32_t>(VFoundation::HighResolutionCounter()));
}

NoteOnAction NoteSources::NoteOn(int32_t channel, int32_t note, int32_t velocity) {
  NoteOnAction action;
  if (velocity <= 0) return action;
  note &= 127;
  if (channel == 0) ChannelOneNote(note, action);
  if (channel == 1) pitch_ = std::fmin(static_cast<float>(note) / 128.0f, 1.0f);
  if (channel == 2 || channel == 3) {
    action.cutoffSlot = channel - 2;
    action.note = note;
    action.triggerEnvelope = true;
    action.midiTrigger = 0;
  }
  velocity_ = std::fmin(static_cast<float>(velocity) / 128.0f, 1.0f);
  noteOnRandom_ = generator_.Draw(0.0f, 1.0f);
  return action;
}

bool NoteSources::SetXY(int32_t index, float value) {
  if (index == 0) xyX_ = Transmod::ClampUnit(value);
  if (index == 1) xyY_ = Transmod::ClampUnit(value);
  return index == 0 || index == 1;
}

float NoteSources::DrawNoise() {
  noise_ = generator_.Draw(0.0f, 1.0f) * kNoiseScale;
  return noise_;
}

void NoteSources::Reset() {
  velocity_ = 0.0f;
  pitch_ = 0.0f;
  noteOnRandom_ = 0.0f;
  xyX_ = 0.0f;
  xyY_ = 0.0f;
  noise_ = 0.0f;
}

int32_t FilterTypeItem(float typeBaseValue) {
  const float scaled = Transmod::ClampUnit(typeBaseValue) * 3.0f;
  return static_cast<int32_t>(std::round(scaled));
}

float NoteToCutoff(int32_t note, float typeBaseValue) {
  static constexpr float kLiftPerType[4] = {0.005f, 0.008f, 0.0025f, 0.0f};
  const float q = static_cast<float>(note) / 128.0f;
  const float extra = q * q * kLiftPerType[FilterTypeItem(typeBaseValue)];
  const float value = ((static_cast<float>(note) - 69.0f) / 12.0f + 6.0f) / 12.0f + extra;
  return Transmod::ClampUnit(value);
}

float LinkedCutoff(float linkOffset, float cutoff1) {
  return Transmod::ClampUnit(linkOffset + cutoff1);
}
