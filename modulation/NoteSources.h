// Event-set modulation sources (velocity, pitch, note-on random, XY pad, noise) and the note-on
// rules that trigger the envelope, restart the LFOs, pick tempo divisions and set cutoffs.
#pragma once

#include <cstdint>

#include "support/Random.h"

// What the engine does for one note-on, besides the source values NoteSources has already set.
// Indices are 0 for LFO1 / filter slot 1 and 1 for LFO2 / filter slot 2; -1 means nothing.
struct NoteOnAction {
  bool triggerEnvelope = false;  // restart the envelope (AHDREnvelope::Trigger)
  // Set this LFO's phase to the base value of its Phase parameter.
  int32_t restartLfo = -1;
  // Set this LFO's Rate (target and base, at once) to rateValue and its Sync to 1, then post the
  // parameter updates for Rate and Sync.
  int32_t rateSelectLfo = -1;
  float rateValue = 0.0f;
  // Set this filter slot's cutoff target from the note (NoteToCutoff, LinkedCutoff), then post the
  // parameter update(s).
  int32_t cutoffSlot = -1;
  int32_t note = 0;
  // Value to post with e_updateMIDITrigger: 0 envelope, 1 LFO1, 2 LFO2; -1 posts nothing.
  int32_t midiTrigger = -1;
};

// Holds the event-set source values and the engine's generator for note-on random and noise. Audio
// thread only; the XY values arrive as editor messages handled on the audio thread.
class NoteSources {
 public:
  // MIDI channel 1 note numbers with a fixed role.
  static constexpr int32_t kEnvelopeTriggerNote = 1;
  static constexpr int32_t kLfo1TriggerNote = 2;
  static constexpr int32_t kLfo2TriggerNote = 3;
  static constexpr int32_t kLfo1FirstDivisionNote = 5;   // 5..43: divisions 0..38 for LFO1
  static constexpr int32_t kLfo2FirstDivisionNote = 44;  // 44..82: divisions 0..38 for LFO2
  // Noise source amplitude: a small dither-like wobble, never reaching 0.04.
  static constexpr float kNoiseScale = 0.04f;

  NoteSources();  // seeds the generator from the clock

  // One note-on: channel index 0..15 (MIDI channel 1..16), note 0..127 (higher bits are dropped),
  // velocity 0..127. Velocity 0 is a note-off and changes nothing. Any other note-on sets velocity
  // = min(velocity / 128, 1) and draws a new note-on random value; channel 2 also sets pitch =
  // min(note / 128, 1). Returns the engine's part. // audio thread
  NoteOnAction NoteOn(int32_t channel, int32_t note, int32_t velocity);

  // XY pad: index 0 sets X, 1 sets Y (held to 0..1; NaN gives 0); other indices are ignored.
  // Returns whether the index was valid. // audio thread
  bool SetXY(int32_t index, float value);

  // Draws the noise value for the next sub-block: uniform in [0, 0.04). // audio thread
  float DrawNoise();

  // All values to 0 (engine reset and sample-rate change). // audio thread
  void Reset();

  float Velocity() const { return velocity_; }          // audio thread
  float Pitch() const { return pitch_; }                // audio thread
  float NoteOnRandom() const { return noteOnRandom_; }  // audio thread
  float XyX() const { return xyX_; }                    // audio thread
  float XyY() const { return xyY_; }                    // audio thread
  float Noise() const { return noise_; }                // audio thread

 private:
  VFoundation::RandomGenerator generator_;
  float velocity_ = 0.0f;
  float pitch_ = 0.0f;
  float noteOnRandom_ = 0.0f;
  float xyX_ = 0.0f;
  float xyY_ = 0.0f;
  float noise_ = 0.0f;
};

// Filter type item of a type base value: value * 3 rounded half away from zero, held to 0..3 (0
// "Japan", 1 "S.V.F", 2 "Fatty", 3 "Comb"). // any thread
int32_t FilterTypeItem(float typeBaseValue);

// Normalised cutoff for a note on a filter slot: note 69 is 440 Hz (0.5), one octave per twelfth,
// plus a small type-dependent lift (q^2 * 0.005, 0.008, 0.0025, 0 with q = note / 128) that keeps a
// tracking resonance in tune; held to 0..1. // any thread
float NoteToCutoff(int32_t note, float typeBaseValue);

// Filter 2's cutoff target when a note sets filter 1's with the link on: offset + cutoff held to
// 0..1. The link offset is base F2Cutoff minus base F1Cutoff. // any thread
float LinkedCutoff(float linkOffset, float cutoff1);
