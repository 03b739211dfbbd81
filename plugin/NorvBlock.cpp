// The block driver: one host block through the pending changes, host time, the sidechain
// high-pass, the event-split segments (up to the processing rate, the engine, back down), the
// meters and the output safety.
#include "plugin/Norv.h"

#include <algorithm>
#include <cfenv>
#include <cstring>

#include "dsp/BlockPeak.h"
#include "dsp/FlushDenormals.h"
#include "modulation/BindingMap.h"
#include "plugin/ParameterTable.h"
#include "support/AudioThread.h"
#include "support/CrashGuard.h"
#include "support/VException.h"

namespace {

// Debug and sanitizer builds fill the scratch buffers with this signalling NaN at every block.
constexpr uint32_t kScratchPoisonBits = 0x7FA00BADu;

// Round-down for the block, as the filters were tuned with; the host's mode comes back after.
class RoundDownScope {
 public:
  RoundDownScope() : previous_(std::fegetround()) { std::fesetround(FE_DOWNWARD); }
  ~RoundDownScope() { std::fesetround(previous_); }
  RoundDownScope(const RoundDownScope&) = delete;
  RoundDownScope& operator=(const RoundDownScope&) = delete;

 private:
  int previous_;
};

}  // namespace

void Norv::processReplacing(float** inputs, float** outputs, int32_t frames) {
  audioRunning_.store(true);
  if (!inputs || !outputs || !outputs[0] || !outputs[1] || frames <= 0) return;
  if (!blockGate_.TryBeginBlock()) {
    // A set-up call owns the engine for the moment; this block's events go with it.
    SilenceBlock(outputs, frames);
    return;
  }
  ProcessCall call{this, inputs, outputs, frames};
  {
    // Outside the crash guard: a fault leaves the guard by a long jump, past the destructors in it.
    VFoundation::AudioBlockScope audioBlock;
    VFoundation::RunWithCrashGuard(&Norv::GuardedProcess, &call);
  }
  blockGate_.EndBlock();
}

void Norv::GuardedProcess(void* context) {
  auto* call = static_cast<ProcessCall*>(context);
  VFoundation::GuardedVoid("Norv::processReplacing", [&] {
    call->self->ProcessHostCall(call->inputs, call->outputs, call->frames);
  });
}

// The state readers see the engine as it is after the block: its host changes, host time, notes
// and MIDI included.
void Norv::ProcessHostCall(float** inputs, float** outputs, int32_t frames) {
  TAVO_EXPECT_AUDIO_THREAD("Norv::ProcessHostCall");
  editorIdleCount_.store(0);
  ApplyPendingState();
  VFoundation::GuardedVoid("Norv::ProcessBlock", [&] {
    VDSP::FlushDenormalsScope flushDenormals;
    ProcessBlock(inputs, outputs, frames);
  });
  PublishBlockState();
}

void Norv::ProcessBlock(float** inputs, float** outputs, int32_t frames) {
  if (hostBypass_.load()) {
    // Bypass is an exact copy of the main input, whatever the engine holds.
    for (int channel = 0; channel < 2; ++channel) {
      const float* source = inputs[channel] ? inputs[channel] : inputs[0];
      if (!source) {
        std::memset(outputs[channel], 0, sizeof(float) * frames);
      } else if (outputs[channel] != source) {
        std::memmove(outputs[channel], source, sizeof(float) * frames);
      }
    }
    queuedEventCount_ = 0;
    return;
  }
  if (ProcessLocked(outputs, frames)) return;
  if (!inputs[0]) {
    queuedEventCount_ = 0;
    return;
  }
  PreProcess(true);
  messagePort_->ProcessSynthMessages();
  if (ProcessLocked(outputs, frames)) return;
  ApplyOversamplingChange();
  ProcessTimeInfo();
  {
    RoundDownScope roundDown;
    ProcessTransport();
    messagePort_->ProcessSynthMessages();
    PoisonScratchBuffers(std::min(frames, scratchFrames_));
    // Hosts may send more frames than announced: work in pieces that fit the buffers.
    for (int32_t offset = 0; offset < frames; offset += scratchFrames_) {
      const int32_t piece = std::min(scratchFrames_, frames - offset);
      ProcessPiece(inputs, outputs, offset, piece, frames);
    }
  }
  PostProcess(outputs, frames);
}

// While the editor holds the engine locked, the outputs are silent and only the pending host
// changes are taken.
bool Norv::ProcessLocked(float** outputs, int32_t frames) {
  if (!synthLocked_.load()) return false;
  PreProcess(false);
  SilenceBlock(outputs, frames);
  return true;
}

void Norv::SilenceBlock(float** outputs, int32_t frames) {
  for (int channel = 0; channel < 2; ++channel) {
    std::memset(outputs[channel], 0, sizeof(float) * frames);
  }
  queuedEventCount_ = 0;
}

void Norv::ProcessPiece(float** inputs, float** outputs, int32_t offset, int32_t frames,
                        int32_t hostFrames) {
  // The scratch buffers are not cleared per block: the engine writes every sample of them that it
  // reads within the same sub-block.
  ProcessVSTMIDIEvents(offset, frames, hostFrames);
  const float* in3 = inputs[2] ? inputs[2] + offset : inputs[0] + offset;
  const float* in4 = inputs[3] ? inputs[3] + offset : in3;
  const float* const* sidechain = ProcessSidechain(in3, in4, frames);
  float* main[2] = {inputs[0] + offset, (inputs[1] ? inputs[1] : inputs[0]) + offset};
  float* pieceInputs[4] = {main[0], main[1], const_cast<float*>(sidechain[0]),
                           const_cast<float*>(sidechain[1])};
  float* pieceOutputs[2] = {outputs[0] + offset, outputs[1] + offset};
  ProcessFilters(pieceInputs, pieceOutputs, 0, frames);
}

void Norv::PreProcess(bool registerThread) {
  loadWatch_.Restart();
  if (registerThread) VFoundation::RegisterAudioThread();
  if (queuedEventCount_ > 0) midiActivity_.store(true);
  pendingChanges_.TakeAll([this](int32_t index, float value) {
    lastAutomationSource_.store(index);
    bindingMap_->ProcessHostAutomation(index, value);
  });
}

void Norv::ProcessTimeInfo() {
  const vst::VstTimeInfo* info = getTimeInfo(kTimeInfoRequest);
  if (!info) info = &fallbackTimeInfo_;
  hostTime_.flags = info->flags;
  hostTime_.tempo = info->tempo;
  hostTime_.ppqPos = info->ppqPos;
  hostTime_.timeSigNumerator = info->timeSigNumerator;
  hostTime_.timeSigDenominator = info->timeSigDenominator;
  timeInfo_.ReadHostTime(hostTime_);
}

void Norv::ProcessTransport() {
  if (timeInfo_.UpdateTransport(hostTime_) == TimeInfo::Transport::kStarted) {
    engine_.AlignLFOs(timeInfo_.SongPosition(), timeInfo_.Tempo());
  }
}

// The high-passed sidechain is written to our own buffers (the host's inputs are read-only to us).
// Off, the sidechain passes as it came.
const float* const* Norv::ProcessSidechain(const float* in3, const float* in4, int32_t frames) {
  if (engine_.ModulatedValue(ParameterTable::kHPSC) < 0.5f) {
    sidechainPointers_[0] = in3;
    sidechainPointers_[1] = in4;
    return sidechainPointers_.data();
  }
  float* left = sidechain_[0].data();
  float* right = sidechain_[1].data();
  sidechainHighPass_.Process(in3, in4, left, right, frames, sidechainDither_);
  sidechainPointers_[0] = left;
  sidechainPointers_[1] = right;
  return sidechainPointers_.data();
}

void Norv::ProcessFilters(float** inputs, float** outputs, int32_t offset, int32_t frames) {
  int32_t start = 0;
  while (start < frames) {
    const int32_t end = std::max(automationManager_->ComputeBlockEnd(start, frames), start + 1);
    automationManager_->Process(start, end);
    const float* in[4] = {inputs[0] + offset + start, inputs[1] + offset + start,
                          inputs[2] + offset + start, inputs[3] + offset + start};
    float* out[2] = {outputs[0] + offset + start, outputs[1] + offset + start};
    ProcessSegment(in, out, std::min(end, frames) - start);
    start = end;
  }
  automationManager_->ClearAllEvents();
}

// Up to the processing rate, the engine, and back down into the host's outputs.
void Norv::ProcessSegment(const float* const* in, float* const* out, int32_t frames) {
  segmentInputs_ = {oversampled_[0].data(), oversampled_[1].data(), oversampled_[2].data(),
                    oversampled_[3].data()};
  float* engineOut[2] = {oversampled_[4].data(), oversampled_[5].data()};
  upsamplerMain_.SetBlock(frames);
  const int produced = upsamplerMain_.Process(segmentInputs_[0], segmentInputs_[1], in[0], in[1]);
  segmentSidechain_ = {in[2], in[3]};
  segmentFrames_ = frames;
  if (engine_.ReadsSidechain()) {
    UpsampleSidechainForSegment();
  } else {
    // Nothing listens to inputs 3+4 at the processing rate: silence instead of their upsampling,
    // until a reader switches on (InterpolateProcess).
    sidechainUpsampling_ = false;
    segmentInputs_[2] = segmentInputs_[3] = silence_.data();
  }
  float* scratch[kNumScratchBuffers];
  for (int32_t i = 0; i < kNumScratchBuffers; ++i) scratch[i] = scratch_[i].data();
  engine_.Process(segmentInputs_.data(), engineOut, scratch, produced, timeInfo_.Tempo(),
                  heldParameter_.load());
  segmentFrames_ = 0;
  // With a cubic stage the chain's count wanders by a frame around the host's; the host gets
  // exactly the frames it asked for.
  downsampler_.SetBlock(produced);
  const int written = downsampler_.Process(downsampled_[0].data(), downsampled_[1].data(),
                                           engineOut[0], engineOut[1]);
  const int32_t copied = std::clamp<int32_t>(written, 0, frames);
  for (int channel = 0; channel < 2; ++channel) {
    std::memcpy(out[channel], downsampled_[channel].data(), sizeof(float) * copied);
    std::fill(out[channel] + copied, out[channel] + frames, 0.0f);
  }
  timeInfo_.AdvanceSongPosition(frames);
}

void Norv::UpsampleSidechainForSegment() {
  // Its memory holds the tail of whatever it last heard, maybe long ago.
  if (!sidechainUpsampling_) upsamplerSidechain_.Reset();
  sidechainUpsampling_ = true;
  // The whole segment at once: the engine reads the sub-blocks from the current one on.
  upsamplerSidechain_.SetBlock(segmentFrames_);
  upsamplerSidechain_.Process(oversampled_[2].data(), oversampled_[3].data(), segmentSidechain_[0],
                              segmentSidechain_[1]);
  segmentInputs_[2] = oversampled_[2].data();
  segmentInputs_[3] = oversampled_[3].data();
}

void Norv::PoisonScratchBuffers([[maybe_unused]] int32_t frames) {
#if defined(TAVO_POISON_SCRATCH)
  float poison;
  std::memcpy(&poison, &kScratchPoisonBits, sizeof poison);
  const size_t count = static_cast<size_t>(frames) * kScratchOversize;
  for (auto& buffer : scratch_) std::fill(buffer.begin(), buffer.begin() + count, poison);
#endif
}

void Norv::PostProcess(float** outputs, int32_t hostFrames) {
  const double seconds = hostFrames * static_cast<double>(inverseSampleRate_);
  if (seconds > 0.0) processingLoad_.store(loadWatch_.ElapsedSeconds() / seconds);
  queuedEventCount_ = 0;
  if (getCurrentProcessLevel() == vst::kVstProcessLevelOffline) {
    messagePort_->ProcessEditorMessages();
    messagePort_->DeallocateDisposableMessages();
  }
  for (int channel = 0; channel < 2; ++channel) {
    const float peak = VDSP::BlockPeak(outputs[channel], hostFrames);
    float current = outputMeters_[channel].load();
    // A NaN peak never raises the meter: the comparison is false.
    while (peak > current && !outputMeters_[channel].compare_exchange_weak(current, peak)) {
    }
  }
  // The meters show what the engine made; the host gets it limited.
  outputSafety_.Process(outputs[0], outputs[1], hostFrames);
}

void Norv::InterpolateProcess() {
  bindingMap_->ProcessBindings();
  messagePort_->ProcessSynthMessages();
  // A controller or message may just have switched a reader to inputs 3+4.
  if (segmentFrames_ > 0 && !sidechainUpsampling_ && engine_.ReadsSidechain()) {
    UpsampleSidechainForSegment();
  }
}
