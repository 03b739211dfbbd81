// One filter slot: smoothed pre gain, the multi-type filter, smoothed post gain and pan.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "dsp/BasicDrive.h"
#include "dsp/MultiTypeFilter.h"
#include "dsp/Pan.h"

namespace VDSP {

// Starts silent (both gains 0) and centred.
class VoiceFilter {
 public:
  VoiceFilter() = default;

  // Forwards the rates to the filter. // UI thread
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor);

  // Grows both gains' ramp buffers for blocks of this length (at least 32). // UI thread
  void Prepare(int32_t blockLength);

  // All normalised, once per block (or per sample under filter FM). The gains follow the stage
  // gain law FastExp2(10 g - 6): 0 is silence, 0.6 is 0.98363, 1 is 15.98363. // audio thread
  void SetControls(float cutoff, float resonance, float mode, float type, float preGain,
                   float postGain, float pan);

  // Pre gain, filter, post gain and pan over n samples, in place. inverseN is the ramp factor
  // (1/n, or 1.0 with n = 1 under filter FM). n < 1 processes nothing. // audio thread
  void ProcessStereo(float* left, float* right, int32_t n, float inverseN);

  // Two "Japan" slots at once (one pass of the paired ladder): in series on left/right, or in
  // parallel with the second on its own copy. Equal, bit for bit, to ProcessStereo on each slot in
  // turn. False, with nothing done, when a slot is not "Japan" or n is above kMaxPairedBlock.
  // audio thread
  static constexpr int32_t kMaxPairedBlock = 32;
  static bool ProcessSeries(VoiceFilter& first, VoiceFilter& second, float* left, float* right,
                            int32_t n, float inverseN);
  static bool ProcessParallel(VoiceFilter& first, VoiceFilter& second, float* left, float* right,
                              float* otherLeft, float* otherRight, int32_t n, float inverseN);

  // Filter FM on a "Japan" slot: pre gain, the ladder with a cutoff per sample (normalised,
  // `cutoffs`), post gain and pan over n samples in place; the other controls as last set. False,
  // with nothing done, for the other types. // audio thread
  bool ProcessStereoWithCutoffs(float* left, float* right, const float* cutoffs, int32_t n,
                                float inverseN);

  // The filter's Reset, both gains back to silence and the pan to the centre, as constructed.
  // audio thread
  void Reset();

  MultiTypeFilter& Filter() { return filter_; }
  const MultiTypeFilter& Filter() const { return filter_; }
  const BasicDrive& PreGain() const { return preGain_; }
  const BasicDrive& PostGain() const { return postGain_; }
  const Pan& Panner() const { return pan_; }

 private:
  MultiTypeFilter filter_;
  BasicDrive preGain_;
  BasicDrive postGain_;
  Pan pan_;
  // The controls last set (NaN until the first call, so that one always applies).
  std::array<float, 7> lastControls_{kUnset, kUnset, kUnset, kUnset, kUnset, kUnset, kUnset};
  static constexpr float kUnset = std::numeric_limits<float>::quiet_NaN();
};

}  // namespace VDSP
