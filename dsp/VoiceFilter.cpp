// One filter slot: smoothed pre gain, the multi-type filter, smoothed post gain and pan.
#include "dsp/VoiceFilter.h"

#include "dsp/Exp2.h"

namespace VDSP {
namespace {
// The stage gain law: 10 octaves of travel with unity just above 0.6 of the control.
float StageGain(float control) {
  return FastExp2(control * 10.0f - 6.0f);
}
}  // namespace

void VoiceFilter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  filter_.SetSampleRate(processingRateHz, hostRateHz, factor);
}

void VoiceFilter::Prepare(int32_t blockLength) {
  preGain_.Prepare(blockLength);
  postGain_.Prepare(blockLength);
}

void VoiceFilter::SetControls(float cutoff, float resonance, float mode, float type, float preGain,
                              float postGain, float pan) {
  filter_.Initialize(cutoff, resonance, mode, type);
  preGain_.SetTarget(StageGain(preGain));
  postGain_.SetTarget(StageGain(postGain));
  pan_.SetTarget(pan);
}

void VoiceFilter::ProcessStereo(float* left, float* right, int32_t n, float inverseN) {
  if (n < 1) return;
  preGain_.Apply(left, right, n, inverseN);
  filter_.Process(left, right, left, right, n, inverseN);
  postGain_.Apply(left, right, n, inverseN);
  pan_.Process(left, right, n, inverseN);
}

void VoiceFilter::Reset() {
  filter_.Reset();
  preGain_.Reset();
  postGain_.Reset();
  pan_.Reset();
}

}  // namespace VDSP
