// One filter slot: smoothed pre gain, the multi-type filter, smoothed post gain and pan.
#pragma once

#include <cstdint>

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
};

}  // namespace VDSP
