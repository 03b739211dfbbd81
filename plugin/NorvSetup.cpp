// The plug-in's set-up: construction and shutdown, the preferences, the block buffers, the
// resamplers' configuration, and the host's set-up calls (sample rate, block size, suspend,
// resume), which own the engine between two blocks through the block gate.
#include "plugin/Norv.h"

#include <algorithm>
#include <new>

#include "dsp/CombFilter.h"
#include "dsp/ShaperTables.h"
#include "dsp/SineTable.h"
#include "dsp/VBufferPow2.h"
#include "modulation/BindingMap.h"
#include "modulation/BindingMessage.h"
#include "plugin/ParameterTable.h"
#include "plugin/SynthInfo.h"
#include "support/AudioThread.h"
#include "support/CrashGuard.h"
#include "support/Log.h"
#include "support/Options.h"
#include "support/ValueText.h"
#include "support/VException.h"

namespace {

constexpr int32_t kUniqueId = vst::FourCC('Q', 'm', 'V', 'o');
constexpr int32_t kDefaultBlockSize = 1024;
// The resamplers clamp their ratio to the same limit the buffers are made for.
static_assert(kMaxOversampling == VDSP::ResamplerChain::kMaxRatio);

}  // namespace

void Norv::PrepareSharedTables() {
  VDSP::ShaperTables::Build();
  VDSP::SineTable::Get();
  VDSP::ArcsineTable::Get();
}

Norv::Norv(vst::HostCallback host) : SynthBase(host, 0, kNumHostParameters) {
  SynthInfo::InstanceCreated();
  inverseSampleRate_ = 1.0f / 44100.0f;
  automationManager_ = std::make_unique<AutomationManager>(this);
  oversamplingFactor_.store(kDefaultOversampling);
  PerformInitialSetup();
  blockSize_ = kDefaultBlockSize;
  if (!InitializeTemporaryBuffers(kDefaultBlockSize)) throw std::bad_alloc();
  ConfigureResamplers();
  LoadDefaultPresetIfPresent();
}

Norv::~Norv() {
  // The editor points at this object, its message port and its bindings.
  DestroyEditor();
  PerformShutdown();
  SynthInfo::InstanceDestroyed();
}

void Norv::PerformInitialSetup() {
  VFoundation::LogContext context("Norv::PerformInitialSetup");
  VFoundation::SetCrashHandlerProduct("Tavo", "support@quorvanta.example");
  TraceVersionNumber();
  LogHostInformation();
  SetupVSTAttributes();
  SetupManagers();
  CreateDefaultHostBindings();
  for (auto& buffer : scratch_) buffer.clear();
  lastPresetName_ = "Default";
  ReadPreferences();
  ApplyPreferences();
}

void Norv::ReadPreferences() {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::ReadPreferences");
  slewTimePreference_.store(
      VApplication::Options::ReadFloat("ParamSlewTime", NorvProcess::kDefaultSlewSamples));
  // Note names are shown with octaves counted from the registry's numbering base.
  VFoundation::SetNoteNumberingBase(VApplication::Options::ReadBoolean("MIDINumbering", true) ? 1
                                                                                              : 0);
  outputSafetyPreference_.store(VApplication::Options::ReadBoolean("OutputSafety", true));
}

void Norv::ApplyPreferences() {
  engine_.SetSlewTime(slewTimePreference_.load());
  outputSafety_.SetEnabled(outputSafetyPreference_.load());
}

void Norv::PreferencesChanged() {
  VFoundation::GuardedVoid("Norv::PreferencesChanged", [&] {
    ReadPreferences();
    messagePort_->PostMessageToSynth(MessageType::e_registryOptionsChanged, {});
  });
}

void Norv::SetupVSTAttributes() {
  setNumInputs(4);
  setNumOutputs(2);
  canProcessReplacing(true);
  programsAreChunks(true);
  setUniqueID(kUniqueId);
  isSynth(false);
  fallbackTimeInfo_ = {};
  fallbackTimeInfo_.tempo = 120.0;
  timeInfo_.Reset();
  sidechainHighPass_.Reset();
  sidechainDither_.Seed(0x53434850u);
  eventPool_.assign(kEventPoolSize, MidiEvent{});
  sortScratch_.assign(kEventPoolSize, MidiEvent{});
  pendingChanges_.Clear();
  queuedEventCount_ = 0;
}

void Norv::SetupManagers() {
  messagePort_ = std::make_unique<MessagePort>(1024);
  bindingMap_ = std::make_unique<BindingMap>(
      *messagePort_, VApplication::Options::ReadBoolean(BindingMap::kLockedPreference, true));
  engine_.SetInterpolator(this);
  BindingMessage::RegisterWith(*messagePort_);
  messagePort_->RegisterSynthHandler(kMessageClass, this);
  messagePort_->RegisterSynthHandler(kBindingMessageClass, this);
}

void Norv::CreateDefaultHostBindings() {
  for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
    bindingMap_->AddHostBinding(index, MakeParameterBinding(index, 0));
    const float value = ParameterTable::GetParameterDefaultValue(index);
    bindingMap_->SyncHostParameter(index, value);
    NotifyHostOfParameter(index, value, false);
  }
}

void Norv::PerformShutdown() {
  for (auto& buffer : scratch_) std::vector<float>().swap(buffer);
  for (auto& buffer : oversampled_) std::vector<float>().swap(buffer);
  std::vector<MidiEvent>().swap(eventPool_);
  bindingMap_.reset();
  messagePort_.reset();
}

bool Norv::InitializeTemporaryBuffers(int32_t frames) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::InitializeTemporaryBuffers");
  frames = std::clamp(frames, 1, kMaxPieceFrames);
  const size_t hostFrames = static_cast<size_t>(frames);
  const size_t oversampledFrames = hostFrames * kScratchOversize;
  // Everything is allocated before anything is replaced: a failure leaves the last configuration.
  std::array<std::vector<float>, kNumScratchBuffers> scratch;
  std::array<std::vector<float>, 6> oversampled;
  std::vector<float> silence;
  std::array<std::vector<float>, 2> sidechain;
  std::array<std::vector<float>, 2> downsampled;
  try {
    for (auto& buffer : scratch) buffer.assign(oversampledFrames, 0.0f);
    for (auto& buffer : oversampled) buffer.assign(oversampledFrames, 0.0f);
    silence.assign(oversampledFrames, 0.0f);
    for (auto& buffer : sidechain) buffer.assign(hostFrames, 0.0f);
    // A resampler chain with a cubic stage may hand out a frame more than it took in.
    for (auto& buffer : downsampled) buffer.assign(oversampledFrames, 0.0f);
  } catch (const std::bad_alloc&) {
    VFoundation::Log("Norv::InitializeTemporaryBuffers, no memory for %d frames\n", frames);
    return false;
  }
  scratch_.swap(scratch);
  oversampled_.swap(oversampled);
  silence_.swap(silence);
  sidechain_.swap(sidechain);
  downsampled_.swap(downsampled);
  scratchFrames_ = frames;
  return true;
}

// The resamplers' buffers are sized for the largest factor and the comb filters' delay lines for
// max(factor, 4), so a later factor change on the audio thread only picks stages and rates.
void Norv::ConfigureResamplers() {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::ConfigureResamplers");
  const int32_t factor = std::clamp(oversamplingFactor_.load(), kMinOversampling, kMaxOversampling);
  const int capacity = scratchFrames_ * kScratchOversize;
  upsamplerMain_.Prepare(capacity);
  upsamplerSidechain_.Prepare(capacity);
  downsampler_.Prepare(capacity);
  SetOversampledRates(factor);
  reservedFactor_ = std::max(factor, VDSP::CombFilter::kReservedFactor);
  timeInfo_.SetSampleRate(sampleRate_);
  outputSafety_.SetSampleRate(sampleRate_);
}

void Norv::SetOversampledRates(int32_t factor) {
  const double rate = sampleRate_;
  const double oversampledRate = rate * factor;
  upsamplerMain_.SetRates(rate, oversampledRate);
  upsamplerSidechain_.SetRates(rate, oversampledRate);
  downsampler_.SetRates(oversampledRate, rate);
  engine_.SetSampleRate(static_cast<float>(oversampledRate), sampleRate_, factor);
  activeFactor_.store(factor);
}

void Norv::ApplyOversamplingChange() {
  TAVO_EXPECT_AUDIO_THREAD("Norv::ApplyOversamplingChange");
  const int32_t factor = oversamplingFactor_.load();
  if (factor == activeFactor_.load()) return;
  // Factors up to the reserved one get their full delay range; 8 or 16 beyond it run the combs
  // with a shorter longest delay until the next set-up call reserves more.
  VDSP::VBufferPow2::FixedCapacityScope noAllocation;
  SetOversampledRates(factor);
}

bool Norv::NeedsReconfiguration() const {
  const int32_t active = activeFactor_.load();
  return oversamplingFactor_.load() != active || active > reservedFactor_;
}

void Norv::setSampleRate(float sampleRate) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::setSampleRate");
  VFoundation::GuardedVoid("Norv::setSampleRate", [&] {
    // Below 8 kHz the filters' tuning and the resamplers' stop bands leave their designed range;
    // above 384 kHz the delay lines and tables do. The last good rate stays.
    if (!(sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate)) {
      VFoundation::Log("Norv::setSampleRate, %g Hz refused; %g Hz kept\n",
                       static_cast<double>(sampleRate), static_cast<double>(sampleRate_));
      return;
    }
    VFoundation::AudioBlockGateHold hold(blockGate_);
    VFoundation::ClearAudioThreadRegistration();
    sampleRate_ = sampleRate;
    inverseSampleRate_ = 1.0f / sampleRate;
    sidechainHighPass_.Reset();
    ConfigureResamplers();
  });
}

void Norv::setBlockSize(int32_t blockSize) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::setBlockSize");
  VFoundation::GuardedVoid("Norv::setBlockSize", [&] {
    if (blockSize <= 0 || blockSize > kMaxBlockSize) {
      VFoundation::Log("Norv::setBlockSize, %d frames refused; %d kept\n", blockSize, blockSize_);
      return;
    }
    VFoundation::AudioBlockGateHold hold(blockGate_);
    VFoundation::ClearAudioThreadRegistration();
    if (!InitializeTemporaryBuffers(blockSize)) return;
    blockSize_ = blockSize;
    ConfigureResamplers();
  });
}

void Norv::suspend() {
  VFoundation::GuardedVoid("Norv::suspend", [&] { Suspend(); });
}

void Norv::Suspend() {
  VFoundation::ClearAudioThreadRegistration();
  audioRunning_.store(false);
  processingLoad_.store(0.0);
}

void Norv::resume() {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::resume");
  VFoundation::GuardedVoid("Norv::resume", [&] {
    // Hosts resume while their audio thread keeps processing (a session reload): wait for the
    // running block and keep the next ones out meanwhile.
    VFoundation::AudioBlockGateHold hold(blockGate_);
    Resume();
  });
}

void Norv::Resume() {
  Suspend();
  // A state loaded while resumed that no block has taken yet (hosts load the chunk between two
  // resumes) is applied here, so that a factor it carries gets its delay lines reserved; so does a
  // factor the audio thread ran short of.
  ApplyPendingState();
  PublishBlockState();
  if (NeedsReconfiguration()) ConfigureResamplers();
  outputSafety_.Reset();
  audioRunning_.store(true);
  editorIdleCount_.store(0);
}
