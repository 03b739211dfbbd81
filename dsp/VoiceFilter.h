// One filter slot: smoothed pre gain, the multi-type filter, smoothed post gain and pan.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "dsp/BasicDrive.h"
#include "dsp/EqualPowerFade.h"
#include "dsp/MultiTypeFilter.h"
#include "dsp/Pan.h"

namespace VDSP {

// Starts silent (both gains 0) and centred.
//
// The slot owns two multi-type filters. One is live; the other, its twin, is free except while a
// change of filter type or mode fades the old response out (the twin keeps running the old type
// and mode on the same input) or while the engine borrows it for a signal-path switch (the twin
// runs the slot's response on the new path's signal). Both are made at set-up, so a switch never
// allocates; without a fade in flight the slot runs exactly as a single filter would.
class VoiceFilter {
 public:
  // Type, mode and path changes fade over 5 ms: long enough to hide the step, short enough to feel
  // immediate under the hand.
  static constexpr float kFadeSeconds = 0.005f;

  VoiceFilter();

  // Forwards the rates to both filters and sizes the fade; a fade in flight ends. // UI thread
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor);

  // Grows both gains' ramp buffers for blocks of this length (at least 32). // UI thread
  void Prepare(int32_t blockLength);

  // All normalised, once per block (or per sample under filter FM). The gains follow the stage
  // gain law FastExp2(10 g - 6): 0 is silence, 0.6 is 0.98363, 1 is 15.98363. A new type or mode
  // item on a slot that has run since its reset starts a fade from the old response to the new
  // one, the new filter starting from silence; while the twin is busy the slot keeps its type and
  // mode and takes the latest ones when it is free again. // audio thread
  void SetControls(float cutoff, float resonance, float mode, float type, float preGain,
                   float postGain, float pan);

  // Pre gain, filter, post gain and pan over n samples, in place. inverseN is the ramp factor
  // (1/n, or 1.0 with n = 1 under filter FM). n < 1 processes nothing. // audio thread
  void ProcessStereo(float* left, float* right, int32_t n, float inverseN);

  // Two "Japan" slots at once (one pass of the paired ladder): in series on left/right, or in
  // parallel with the second on its own copy. Equal, bit for bit, to ProcessStereo on each slot in
  // turn. False, with nothing done, when a slot is not "Japan", either slot's twin is busy or n is
  // above kMaxPairedBlock. // audio thread
  static constexpr int32_t kMaxPairedBlock = 32;
  static bool ProcessSeries(VoiceFilter& first, VoiceFilter& second, float* left, float* right,
                            int32_t n, float inverseN);
  static bool ProcessParallel(VoiceFilter& first, VoiceFilter& second, float* left, float* right,
                              float* otherLeft, float* otherRight, int32_t n, float inverseN);

  // Filter FM on a "Japan" slot: pre gain, the ladder with a cutoff per sample (normalised,
  // `cutoffs`), post gain and pan over n samples in place; the other controls as last set. False,
  // with nothing done, for the other types and while the twin is busy. // audio thread
  bool ProcessStereoWithCutoffs(float* left, float* right, const float* cutoffs, int32_t n,
                                float inverseN);

  // --- The twin on loan to the engine's path switches (audio thread) ----------------------------
  // Whether the twin is free: no type or mode fade in flight and not on loan.
  bool TwinIsFree() const { return twinRole_ == TwinRole::kFree; }
  // Lends the twin out: it restarts from silence and takes the live filter's controls from the
  // next SetControls on. Only while the twin is free.
  void LendTwin();
  // The live filter on left/right and the twin on twinLeft/twinRight, both through the same
  // pre gain, post gain and pan ramps. n < 1 processes nothing. Only while the twin is on loan.
  void ProcessStereoPair(float* left, float* right, float* twinLeft, float* twinRight, int32_t n,
                         float inverseN);
  // The twin on loan becomes the live filter; the old one is left to rest.
  void AdoptTwin();

  // Both filters' Reset, both gains back to silence, the pan to the centre and no fade, as
  // constructed. // audio thread
  void Reset();

  MultiTypeFilter& Filter() { return filters_[live_]; }
  const MultiTypeFilter& Filter() const { return filters_[live_]; }
  // The twin: the old response while a fade runs. // any thread
  const MultiTypeFilter& Twin() const { return filters_[live_ ^ 1]; }
  // Whether a type or mode fade is in flight. // any thread
  bool Fading() const { return twinRole_ == TwinRole::kFadingOut; }
  const BasicDrive& PreGain() const { return preGain_; }
  const BasicDrive& PostGain() const { return postGain_; }
  const Pan& Panner() const { return pan_; }

 private:
  enum class TwinRole : uint8_t { kFree, kFadingOut, kOnLoan };
  // Samples processed at a time while both filters run (stack buffers).
  static constexpr int32_t kChunk = 32;

  // Type item and the type's mode item in one number, so a change of either is one comparison.
  static uint32_t ResponseOf(float mode, float type);
  void StartFade(float mode, float type);
  void ProcessFading(float* left, float* right, int32_t n, float inverseN);

  std::array<MultiTypeFilter, 2> filters_;
  uint32_t live_ = 0;
  TwinRole twinRole_ = TwinRole::kFree;
  // Set by processing, cleared by a reset: a slot that has made no sound yet switches at once.
  bool running_ = false;
  // The mode and type the live filter runs and, while fading, those the twin runs.
  float liveMode_ = 0.0f;
  float liveType_ = 0.0f;
  float twinMode_ = 0.0f;
  float twinType_ = 0.0f;
  EqualPowerFade fade_;
  BasicDrive preGain_;
  BasicDrive postGain_;
  Pan pan_;
  // The controls last set (NaN until the first call, so that one always applies).
  std::array<float, 7> lastControls_{kUnset, kUnset, kUnset, kUnset, kUnset, kUnset, kUnset};
  static constexpr float kUnset = std::numeric_limits<float>::quiet_NaN();
};

}  // namespace VDSP
