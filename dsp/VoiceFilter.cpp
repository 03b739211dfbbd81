// One filter slot: smoothed pre gain, the multi-type filter, smoothed post gain and pan.
#include "dsp/VoiceFilter.h"

#include "dsp/Exp2.h"
#include "dsp/Float4.h"

namespace VDSP {
namespace {
// The stage gain law: 10 octaves of travel with unity just above 0.6 of the control.
float StageGain(float control) {
  return FastExp2(control * 10.0f - 6.0f);
}
}  // namespace

void VoiceFilter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  filter_.SetSampleRate(processingRateHz, hostRateHz, factor);
  lastControls_.fill(kUnset);
}

void VoiceFilter::Prepare(int32_t blockLength) {
  preGain_.Prepare(blockLength);
  postGain_.Prepare(blockLength);
}

void VoiceFilter::SetControls(float cutoff, float resonance, float mode, float type, float preGain,
                              float postGain, float pan) {
  // The controls mostly repeat from one block to the next: the mappings run when one moved (and
  // after a reset or a rate change, which forget them).
  const std::array<float, 7> controls{cutoff, resonance, mode, type, preGain, postGain, pan};
  if (controls == lastControls_) return;
  lastControls_ = controls;
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

bool VoiceFilter::ProcessSeries(VoiceFilter& first, VoiceFilter& second, float* left, float* right,
                                int32_t n, float inverseN) {
  if (n < 1 || n > kMaxPairedBlock || !first.filter_.IsJapan() || !second.filter_.IsJapan()) {
    return false;
  }
  first.preGain_.Apply(left, right, n, inverseN);
  float post[kMaxPairedBlock], panLeft[kMaxPairedBlock], panRight[kMaxPairedBlock],
      pre[kMaxPairedBlock];
  first.postGain_.FillGains(post, n, inverseN);
  first.pan_.FillGains(panLeft, panRight, n, inverseN);
  second.preGain_.FillGains(pre, n, inverseN);
  SH101Filter::ProcessSeries<Float4>(first.filter_.Japan(), second.filter_.Japan(), left, right,
                                     {post, panLeft, panRight, pre}, n, inverseN);
  second.postGain_.Apply(left, right, n, inverseN);
  second.pan_.Process(left, right, n, inverseN);
  return true;
}

bool VoiceFilter::ProcessParallel(VoiceFilter& first, VoiceFilter& second, float* left,
                                  float* right, float* otherLeft, float* otherRight, int32_t n,
                                  float inverseN) {
  if (n < 1 || n > kMaxPairedBlock || !first.filter_.IsJapan() || !second.filter_.IsJapan()) {
    return false;
  }
  first.preGain_.Apply(left, right, n, inverseN);
  second.preGain_.Apply(otherLeft, otherRight, n, inverseN);
  SH101Filter::ProcessParallel<Float4>(first.filter_.Japan(), second.filter_.Japan(), left, right,
                                       otherLeft, otherRight, n, inverseN);
  first.postGain_.Apply(left, right, n, inverseN);
  first.pan_.Process(left, right, n, inverseN);
  second.postGain_.Apply(otherLeft, otherRight, n, inverseN);
  second.pan_.Process(otherLeft, otherRight, n, inverseN);
  return true;
}

bool VoiceFilter::ProcessStereoWithCutoffs(float* left, float* right, const float* cutoffs,
                                           int32_t n, float inverseN) {
  if (!filter_.IsJapan()) return false;
  if (n < 1) return true;
  preGain_.Apply(left, right, n, inverseN);
  filter_.Japan().ProcessWithCutoffs<Float4>(cutoffs, left, right, left, right, n, inverseN);
  postGain_.Apply(left, right, n, inverseN);
  pan_.Process(left, right, n, inverseN);
  return true;
}

void VoiceFilter::Reset() {
  filter_.Reset();
  lastControls_.fill(kUnset);
  preGain_.Reset();
  postGain_.Reset();
  pan_.Reset();
}

}  // namespace VDSP
