// One filter slot: smoothed pre gain, the multi-type filter, smoothed post gain and pan.
#include "dsp/VoiceFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/Float4.h"
#include "dsp/GainLaws.h"

namespace VDSP {
namespace {

void Multiply(float* samples, const float* gains, int32_t n) {
  for (int32_t i = 0; i < n; ++i) samples[i] *= gains[i];
}

}  // namespace

VoiceFilter::VoiceFilter() {
  fade_.SetLength(EqualPowerFade::LengthFor(kFadeSeconds, filters_[0].ProcessingRateHz()));
}

void VoiceFilter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  for (MultiTypeFilter& filter : filters_) {
    filter.SetSampleRate(processingRateHz, hostRateHz, factor);
  }
  fade_.SetLength(EqualPowerFade::LengthFor(kFadeSeconds, processingRateHz));
  twinRole_ = TwinRole::kFree;
  lastControls_.fill(kUnset);
}

void VoiceFilter::Prepare(int32_t blockLength) {
  preGain_.Prepare(blockLength);
  postGain_.Prepare(blockLength);
}

uint32_t VoiceFilter::ResponseOf(float mode, float type) {
  const uint32_t typeItem = MultiTypeFilter::TypeIndexOf(type);
  return (typeItem << 8) | MultiTypeFilter::ModeIndexOf(typeItem, mode);
}

void VoiceFilter::SetControls(float cutoff, float resonance, float mode, float type, float preGain,
                              float postGain, float pan) {
  // The controls mostly repeat from one block to the next: the mappings run when one moved (and
  // after a reset or a rate change, which forget them).
  const std::array<float, 7> controls{cutoff, resonance, mode, type, preGain, postGain, pan};
  if (controls == lastControls_) return;
  lastControls_ = controls;
  if (!running_ || ResponseOf(mode, type) == ResponseOf(liveMode_, liveType_)) {
    liveMode_ = mode;
    liveType_ = type;
  } else if (twinRole_ == TwinRole::kFree) {
    StartFade(mode, type);
  }
  filters_[live_].Initialize(cutoff, resonance, liveMode_, liveType_);
  if (twinRole_ == TwinRole::kFadingOut) {
    filters_[live_ ^ 1].Initialize(cutoff, resonance, twinMode_, twinType_);
  } else if (twinRole_ == TwinRole::kOnLoan) {
    filters_[live_ ^ 1].Initialize(cutoff, resonance, liveMode_, liveType_);
  }
  preGain_.SetTarget(StageGain(preGain));
  postGain_.SetTarget(StageGain(postGain));
  pan_.SetTarget(pan);
}

// The old filter keeps its state and fades out as the twin; the new one starts from silence, as a
// freshly loaded sound would, rather than from whatever it last held.
void VoiceFilter::StartFade(float mode, float type) {
  twinMode_ = liveMode_;
  twinType_ = liveType_;
  live_ ^= 1;
  filters_[live_].Reset();
  liveMode_ = mode;
  liveType_ = type;
  twinRole_ = TwinRole::kFadingOut;
  fade_.Start();
}

void VoiceFilter::ProcessStereo(float* left, float* right, int32_t n, float inverseN) {
  if (n < 1) return;
  running_ = true;
  preGain_.Apply(left, right, n, inverseN);
  if (twinRole_ == TwinRole::kFadingOut) {
    ProcessFading(left, right, n, inverseN);
  } else {
    filters_[live_].Process(left, right, left, right, n, inverseN);
  }
  postGain_.Apply(left, right, n, inverseN);
  pan_.Process(left, right, n, inverseN);
}

void VoiceFilter::ProcessFading(float* left, float* right, int32_t n, float inverseN) {
  MultiTypeFilter& incoming = filters_[live_];
  MultiTypeFilter& outgoing = filters_[live_ ^ 1];
  float oldLeft[kChunk];
  float oldRight[kChunk];
  for (int32_t start = 0; start < n; start += kChunk) {
    const int32_t m = std::min(kChunk, n - start);
    float* l = left + start;
    float* r = right + start;
    std::memcpy(oldLeft, l, sizeof(float) * m);
    std::memcpy(oldRight, r, sizeof(float) * m);
    outgoing.Process(oldLeft, oldRight, oldLeft, oldRight, m, inverseN);
    incoming.Process(l, r, l, r, m, inverseN);
    fade_.Mix(oldLeft, oldRight, l, r, l, r, m);
  }
  if (fade_.Active()) return;
  twinRole_ = TwinRole::kFree;
  // A type or mode asked for during the fade is taken at the next SetControls.
  lastControls_.fill(kUnset);
}

bool VoiceFilter::ProcessSeries(VoiceFilter& first, VoiceFilter& second, float* left, float* right,
                                int32_t n, float inverseN) {
  if (n < 1 || n > kMaxPairedBlock || !first.TwinIsFree() || !second.TwinIsFree() ||
      !first.Filter().IsJapan() || !second.Filter().IsJapan()) {
    return false;
  }
  first.running_ = second.running_ = true;
  first.preGain_.Apply(left, right, n, inverseN);
  float post[kMaxPairedBlock], panLeft[kMaxPairedBlock], panRight[kMaxPairedBlock],
      pre[kMaxPairedBlock];
  first.postGain_.FillGains(post, n, inverseN);
  first.pan_.FillGains(panLeft, panRight, n, inverseN);
  second.preGain_.FillGains(pre, n, inverseN);
  SH101Filter::ProcessSeries<Float4>(first.Filter().Japan(), second.Filter().Japan(), left, right,
                                     {post, panLeft, panRight, pre}, n, inverseN);
  second.postGain_.Apply(left, right, n, inverseN);
  second.pan_.Process(left, right, n, inverseN);
  return true;
}

bool VoiceFilter::ProcessParallel(VoiceFilter& first, VoiceFilter& second, float* left,
                                  float* right, float* otherLeft, float* otherRight, int32_t n,
                                  float inverseN) {
  if (n < 1 || n > kMaxPairedBlock || !first.TwinIsFree() || !second.TwinIsFree() ||
      !first.Filter().IsJapan() || !second.Filter().IsJapan()) {
    return false;
  }
  first.running_ = second.running_ = true;
  first.preGain_.Apply(left, right, n, inverseN);
  second.preGain_.Apply(otherLeft, otherRight, n, inverseN);
  SH101Filter::ProcessParallel<Float4>(first.Filter().Japan(), second.Filter().Japan(), left, right,
                                       otherLeft, otherRight, n, inverseN);
  first.postGain_.Apply(left, right, n, inverseN);
  first.pan_.Process(left, right, n, inverseN);
  second.postGain_.Apply(otherLeft, otherRight, n, inverseN);
  second.pan_.Process(otherLeft, otherRight, n, inverseN);
  return true;
}

bool VoiceFilter::ProcessStereoWithCutoffs(float* left, float* right, const float* cutoffs,
                                           int32_t n, float inverseN) {
  if (!TwinIsFree() || !Filter().IsJapan()) return false;
  if (n < 1) return true;
  running_ = true;
  preGain_.Apply(left, right, n, inverseN);
  Filter().Japan().ProcessWithCutoffs<Float4>(cutoffs, left, right, left, right, n, inverseN);
  postGain_.Apply(left, right, n, inverseN);
  pan_.Process(left, right, n, inverseN);
  return true;
}

void VoiceFilter::LendTwin() {
  if (!TwinIsFree()) return;
  filters_[live_ ^ 1].Reset();
  twinRole_ = TwinRole::kOnLoan;
  // The next SetControls gives the twin the live filter's controls.
  lastControls_.fill(kUnset);
}

void VoiceFilter::ProcessStereoPair(float* left, float* right, float* twinLeft, float* twinRight,
                                    int32_t n, float inverseN) {
  if (n < 1) return;
  running_ = true;
  MultiTypeFilter& twin = filters_[live_ ^ 1];
  float gains[kChunk];
  float panLeft[kChunk];
  float panRight[kChunk];
  for (int32_t start = 0; start < n; start += kChunk) {
    const int32_t m = std::min(kChunk, n - start);
    float* l = left + start;
    float* r = right + start;
    float* tl = twinLeft + start;
    float* tr = twinRight + start;
    preGain_.FillGains(gains, m, inverseN);
    for (float* channel : {l, r, tl, tr}) Multiply(channel, gains, m);
    filters_[live_].Process(l, r, l, r, m, inverseN);
    twin.Process(tl, tr, tl, tr, m, inverseN);
    postGain_.FillGains(gains, m, inverseN);
    pan_.FillGains(panLeft, panRight, m, inverseN);
    for (int32_t i = 0; i < m; ++i) {
      panLeft[i] *= gains[i];
      panRight[i] *= gains[i];
    }
    Multiply(l, panLeft, m);
    Multiply(tl, panLeft, m);
    Multiply(r, panRight, m);
    Multiply(tr, panRight, m);
  }
}

void VoiceFilter::AdoptTwin() {
  if (twinRole_ != TwinRole::kOnLoan) return;
  live_ ^= 1;
  twinRole_ = TwinRole::kFree;
  // A type or mode asked for while the twin was on loan is taken at the next SetControls.
  lastControls_.fill(kUnset);
}

void VoiceFilter::Reset() {
  for (MultiTypeFilter& filter : filters_) filter.Reset();
  twinRole_ = TwinRole::kFree;
  fade_.Stop();
  running_ = false;
  lastControls_.fill(kUnset);
  preGain_.Reset();
  postGain_.Reset();
  pan_.Reset();
}

}  // namespace VDSP
