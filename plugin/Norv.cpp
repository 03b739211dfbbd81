// The plug-in the host sees: set-up, dispatcher answers and the block driver.
#include "plugin/Norv.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "dsp/CombFilter.h"
#include "dsp/FlushDenormals.h"
#include "dsp/Float4.h"
#include "dsp/ShaperTables.h"
#include "dsp/SineTable.h"
#include "dsp/VBufferPow2.h"
#include "modulation/BindingMap.h"
#include "modulation/MidiEventSort.h"
#include "modulation/TempoSync.h"
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
constexpr int32_t kVendorQueryDoubleClick = 90000;
constexpr int32_t kVendorOffsetX = 0x4F666658;  // "OffX"
constexpr int32_t kVendorOffsetY = 0x4F666659;  // "OffY"
constexpr int32_t kDefaultBlockSize = 1024;
constexpr float kSameValueTolerance = 1e-6f;
// Sidechain high-pass: F = 1 - e^(-2 pi 0.01), a corner near 0.0097 of the host rate (427.5 Hz at
// 44.1 kHz), damped at 1.35 so it rolls off gently without a resonant bump.
constexpr float kSidechainCutoff = 0.01f;
constexpr float kSidechainDamping = 1.35f;
// The filter state is nudged by +-1e-8 per sample so silence never decays into denormals.
constexpr float kSidechainDither = 1e-8f;
// Channel-1 notes that act as triggers and tempo-division selectors.
constexpr int32_t kNoteTriggerEnvelope = 1;
constexpr int32_t kNoteTriggerLFO1 = 2;
constexpr int32_t kNoteTriggerLFO2 = 3;
constexpr int32_t kNoteFirstLFO1Division = 5;
constexpr int32_t kNoteFirstLFO2Division = 44;
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

float BlockPeak(const float* samples, int32_t frames) {
  // minps/maxps with the sample first pass the running value on for NaN, as std::min/max do.
  VDSP::Float4 lows = VDSP::Float4::Zero();
  VDSP::Float4 highs = VDSP::Float4::Zero();
  int32_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    const VDSP::Float4 x = VDSP::Float4::LoadUnaligned(samples + i);
    lows = VDSP::Float4::Min(x, lows);
    highs = VDSP::Float4::Max(x, highs);
  }
  float low = 0.0f;
  float high = 0.0f;
  for (int lane = 0; lane < 4; ++lane) {
    low = std::min(low, lows.Lane(lane));
    high = std::max(high, highs.Lane(lane));
  }
  for (; i < frames; ++i) {
    low = std::min(low, samples[i]);
    high = std::max(high, samples[i]);
  }
  return std::max(-low, high);
}

void CopyText(char* destination, const char* text, size_t maxCharacters) {
  const size_t length = std::min(std::strlen(text), maxCharacters);
  std::memcpy(destination, text, length);
  destination[length] = 0;
}

float SanitisedHostValue(float value) {
  if (!std::isfinite(value)) return -1.0f;
  return std::clamp(value, 0.0f, 1.0f);
}

// A binding that moves column `column` of parameter `index` through "e_setFilterParameter", as the
// host bindings and learned controllers do.
Binding MakeParameterBinding(int32_t index, int32_t column) {
  Binding binding;
  binding.SetPath("Synth");
  binding.SetName(ParameterTable::ParameterToUserString(index, false));
  binding.SetRange(0.0f, 1.0f);
  binding.SetType(BindingType::kContinuous);
  binding.SetEnterTargetMode(true);
  binding.SetStuffer(Binding::StuffToValue2);
  binding.SetPopper(Binding::GetValueFromValue2);
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, index);
  prototype.SetValue(1, column);
  binding.SetPrototype(prototype);
  return binding;
}

int32_t StatusClass(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[0]) & 0xF0;
}
int32_t Channel(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[0]) & 0x0F;
}
int32_t Data1(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[1]) & 0x7F;
}
int32_t Data2(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[2]) & 0x7F;
}

}  // namespace

// --- Construction and set-up
// -----------------------------------------------------------------------

void Norv::PrepareSharedTables() {
  VDSP::ShaperTables::Build();
  VDSP::SineTable::Get();
  VDSP::ArcsineTable::Get();
}

Norv::Norv(vst::HostCallback host) : SynthBase(host, 0, kNumHostParameters) {
  SynthInfo::InstanceCreated();
  inverseSampleRate_ = 1.0f / 44100.0f;
  automationManager_ = std::make_unique<AutomationManager>(this);
  oversamplingFactor_.store(2);
  PerformInitialSetup();
  blockSize_ = kDefaultBlockSize;
  if (!InitializeTemporaryBuffers(kDefaultBlockSize)) throw std::bad_alloc();
  ConfigureResamplers();
  LoadDefaultPresetIfPresent();
}

Norv::~Norv() {
  PerformShutdown();
  SynthInfo::InstanceDestroyed();
}

void Norv::PerformInitialSetup() {
  VFoundation::LogContext context("Norv::PerformInitialSetup");
  startTimeSeconds_ = VFoundation::NowSeconds();
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
  sidechainFilter_.Reset();
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
  messagePort_->RegisterSynthHandler(kMessageClass, this);
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
  const int32_t factor = std::clamp(oversamplingFactor_.load(), 1, kMaxOversampling);
  const int capacity = scratchFrames_ * kScratchOversize;
  upsamplerMain_.Prepare(capacity);
  upsamplerSidechain_.Prepare(capacity);
  downsampler_.Prepare(capacity);
  SetOversampledRates(factor);
  reservedFactor_ = std::max(factor, VDSP::CombFilter::kReservedFactor);
  sidechainFilter_.SetRate(sampleRate_, 1);
  sidechainFilter_.SetOnePoleCoefficient(kSidechainCutoff);
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

// --- Dispatcher answers
// ----------------------------------------------------------------------------

void Norv::getParameterLabel(int32_t, char* label) {
  VFoundation::GuardedVoid("Norv::getParameterLabel", [&] { label[0] = 0; });
}

void Norv::getParameterDisplay(int32_t index, char* text) {
  VFoundation::GuardedVoid("Norv::getParameterDisplay", [&] {
    const float value = std::clamp(CurrentValueOf(index), 0.0f, 1.0f);
    std::snprintf(text, vst::kVstMaxParamStrLen, "%03d", static_cast<int>(value * 100.0f));
  });
}

void Norv::getParameterName(int32_t index, char* text) {
  VFoundation::GuardedVoid("Norv::getParameterName", [&] {
    if (index >= ParameterTable::kNumFixedParameters && index < kNumHostParameters) {
      CopyText(text, bindingMap_->GetHostParameterName(index).c_str(), vst::kVstMaxParamStrLen - 1);
      return;
    }
    CopyText(text, ParameterTable::ParameterToUserString(index, true), vst::kVstMaxParamStrLen - 1);
  });
}

void Norv::setSampleRate(float sampleRate) {
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
    sidechainFilter_.Reset();
    ConfigureResamplers();
  });
}

void Norv::setBlockSize(int32_t blockSize) {
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

int32_t Norv::processEvents(vst::VstEvents* events) {
  return VFoundation::Guarded("Norv::processEvents", 1, [&] {
    hostEvents_ = events;
    const int32_t count = std::max<int32_t>(events->numEvents, 0);
    for (int32_t i = 0; i < count && queuedEventCount_ < kMaxQueuedEvents; ++i) {
      const vst::VstEvent* event = events->events[i];
      if (!event) continue;
      std::memcpy(&eventPool_[queuedEventCount_], event, sizeof(MidiEvent));
      ++queuedEventCount_;
    }
    SortMidiEvents(eventPool_.data(), queuedEventCount_, sortScratch_.data());
    return 1;
  });
}

bool Norv::canParameterBeAutomated(int32_t index) {
  return VFoundation::Guarded("Norv::canParameterBeAutomated", false,
                              [&] { return index >= 0 && index < kNumHostParameters; });
}

int32_t Norv::getPlugCategory() {
  return vst::kPlugCategEffect;
}

int32_t Norv::getVendorVersion() {
  return kVendorVersion;
}

bool Norv::getInputProperties(int32_t index, vst::VstPinProperties* properties) {
  return VFoundation::Guarded("Norv::getInputProperties", false, [&] {
    if (index < 0 || index >= effect_.numInputs) return false;
    std::memset(properties, 0, sizeof *properties);
    std::snprintf(properties->label, vst::kVstMaxLabelLen, "%s In", SynthInfo::kProductName);
    CopyText(properties->shortLabel, properties->label, vst::kVstMaxShortLabelLen - 1);
    properties->flags = vst::kVstPinIsActive | vst::kVstPinIsStereo;
    properties->arrangementType = vst::kSpeakerArrStereo;
    return true;
  });
}

bool Norv::getOutputProperties(int32_t index, vst::VstPinProperties* properties) {
  return VFoundation::Guarded("Norv::getOutputProperties", false, [&] {
    if (index < 0 || index >= effect_.numOutputs) return false;
    std::memset(properties, 0, sizeof *properties);
    CopyText(properties->label, "Master", vst::kVstMaxLabelLen - 1);
    CopyText(properties->shortLabel, "Mst", vst::kVstMaxShortLabelLen - 1);
    properties->flags = vst::kVstPinIsActive | vst::kVstPinIsStereo;
    properties->arrangementType = vst::kSpeakerArrStereo;
    return true;
  });
}

bool Norv::setBypass(bool onOff) {
  return VFoundation::Guarded("Norv::setBypass", false, [&] {
    hostBypass_.store(onOff);
    return true;
  });
}

bool Norv::getEffectName(char* name) {
  return VFoundation::Guarded("Norv::getEffectName", false, [&] {
    CopyText(name, SynthInfo::kProductName, vst::kVstMaxEffectNameLen - 1);
    return true;
  });
}

bool Norv::getVendorString(char* text) {
  return VFoundation::Guarded("Norv::getVendorString", false, [&] {
    CopyText(text, "Quorvanta", vst::kVstMaxVendorStrLen - 1);
    return true;
  });
}

bool Norv::getProductString(char* text) {
  return VFoundation::Guarded("Norv::getProductString", false, [&] {
    CopyText(text, SynthInfo::kProductName, vst::kVstMaxProductStrLen - 1);
    return true;
  });
}

vst::VstIntPtr Norv::vendorSpecific(int32_t index, vst::VstIntPtr value, void*, float opt) {
  return VFoundation::Guarded("Norv::vendorSpecific", vst::VstIntPtr{0}, [&]() -> vst::VstIntPtr {
    if (index != kVendorSpecificCode) return 0;
    if (value == kVendorQueryDoubleClick) return opt > 1.0f ? 1 : 0;
    if (value == kVendorOffsetX || value == kVendorOffsetY) {
      const int32_t offset =
          std::isfinite(opt) ? static_cast<int32_t>(std::clamp(opt, -1e6f, 1e6f)) : 0;
      if (value == kVendorOffsetX) editorOffsetX_.store(offset);
      if (value == kVendorOffsetY) editorOffsetY_.store(offset);
    }
    return 0;
  });
}

int32_t Norv::canDo(const char* text) {
  return VFoundation::Guarded("Norv::canDo", -1, [&] {
    static constexpr const char* kYes[] = {
        "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",   "midiProgramNames",
        "bypass",           "sizeWindow",          "conformsToWindowRules"};
    for (const char* word : kYes) {
      if (std::strcmp(text, word) == 0) return 1;
    }
    return -1;
  });
}

bool Norv::getParameterProperties(int32_t, vst::VstParameterProperties* properties) {
  return VFoundation::Guarded("Norv::getParameterProperties", false, [&] {
    std::memset(properties, 0, sizeof *properties);
    return false;
  });
}

int32_t Norv::getVstVersion() {
  return VFoundation::Guarded("Norv::getVstVersion", 2300, [&] {
    const SynthInfo* info = SynthInfo::Instance();
    return info ? info->Version() : 2300;
  });
}

int32_t Norv::getMidiKeyName(int32_t channel, vst::MidiKeyName* key) {
  return VFoundation::Guarded("Norv::getMidiKeyName", 0, [&] {
    char* name = key->keyName;
    const int32_t k = key->thisKeyNumber;
    name[0] = 0;
    if (channel == 0) {
      if (k == 1) CopyText(name, "Trigger Envelope", vst::kVstMaxNameLen - 1);
      if (k == 2) CopyText(name, "Trigger LFO 1", vst::kVstMaxNameLen - 1);
      if (k == 3) CopyText(name, "Trigger LFO 2", vst::kVstMaxNameLen - 1);
      if (k >= 5 && k <= 43) {
        std::snprintf(name, vst::kVstMaxNameLen, "LFO 1 %s", TempoDivisionName(k - 5));
      }
      if (k >= 44 && k <= 82) {
        std::snprintf(name, vst::kVstMaxNameLen, "LFO 2 %s", TempoDivisionName(k - 44));
      }
    } else if (channel == 1 && k >= 0) {
      const double fraction = std::min(static_cast<double>(k) / 128.0, 1.0);
      std::snprintf(name, vst::kVstMaxNameLen, "%03d %%", static_cast<int>(fraction * 100.0));
    }
    return 1;
  });
}

void Norv::setParameter(int32_t index, float value) {
  VFoundation::GuardedVoid("Norv::setParameter", [&] {
    if (index < 0 || index >= kNumHostParameters) return;
    value = SanitisedHostValue(value);
    if (value < 0.0f) return;
    if (heldParameter_.load() == index) return;
    if (std::fabs(value - CurrentValueOf(index)) < kSameValueTolerance) return;
    bindingMap_->SetVSTParameter(index, value);
    pendingChanges_.Mark(index, value);
  });
}

float Norv::getParameter(int32_t index) {
  return VFoundation::Guarded("Norv::getParameter", 0.0f, [&] { return CurrentValueOf(index); });
}

float Norv::CurrentValueOf(int32_t index) const {
  if (!bindingMap_ || index < 0 || index >= kNumHostParameters) return 0.0f;
  return bindingMap_->GetVSTParameter(index);
}

void Norv::SetEditorOffset(int32_t x, int32_t y) {
  editorOffsetX_.store(x);
  editorOffsetY_.store(y);
}

// --- Block driver
// ----------------------------------------------------------------------------------

void Norv::processReplacing(float** inputs, float** outputs, int32_t frames) {
  audioRunning_.store(true);
  if (!inputs || !outputs || !outputs[0] || !outputs[1] || frames <= 0) return;
  if (!blockGate_.TryBeginBlock()) {
    // A set-up call owns the engine for the moment; this block's events go with it.
    for (int channel = 0; channel < 2; ++channel) {
      std::memset(outputs[channel], 0, sizeof(float) * frames);
    }
    queuedEventCount_ = 0;
    return;
  }
  ProcessCall call{this, inputs, outputs, frames};
  VFoundation::RunWithCrashGuard(&Norv::GuardedProcess, &call);
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
  for (int channel = 0; channel < 2; ++channel) {
    std::memset(outputs[channel], 0, sizeof(float) * frames);
  }
  queuedEventCount_ = 0;
  return true;
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

void Norv::ProcessVSTMIDIEvents(int32_t offset, int32_t frames, int32_t hostFrames) {
  const int32_t end = offset + frames;
  for (int32_t i = 0; i < queuedEventCount_; ++i) {
    MidiEvent event = eventPool_[i];
    if (event.type != kMidiEventType || event.deltaFrames > hostFrames) continue;
    event.deltaFrames = std::clamp(event.deltaFrames, 0, hostFrames - 1);
    const bool inPiece = event.deltaFrames >= offset && event.deltaFrames < end;
    if (!inPiece || !IsAutomationEventClass(ClassifyMidiEvent(event))) continue;
    event.deltaFrames -= offset;
    automationManager_->ProcessEvent(event);
  }
}

// A two-pole high-pass over the mono sum of the sidechain, written to our own buffers (the host's
// inputs are read-only to us). Off, the sidechain passes as it came.
const float* const* Norv::ProcessSidechain(const float* in3, const float* in4, int32_t frames) {
  if (engine_.ModulatedValue(ParameterTable::kHPSC) < 0.5f) {
    sidechainPointers_[0] = in3;
    sidechainPointers_[1] = in4;
    return sidechainPointers_.data();
  }
  VDSP::VFilterSVFCommon::Stage& state = sidechainFilter_.StageOne();
  const float f = sidechainFilter_.F1();
  float lp = state.lp;
  float bp = state.bp;
  float* left = sidechain_[0].data();
  float* right = sidechain_[1].data();
  for (int32_t i = 0; i < frames; ++i) {
    const float x = (in3[i] + in4[i]) * 0.5f;
    lp += sidechainDither_.Draw(-kSidechainDither, kSidechainDither);
    lp += f * bp;
    const float hp = x - lp - kSidechainDamping * bp;
    bp += f * hp;
    left[i] = hp;
    right[i] = hp;
  }
  // A non-finite input must not leave the filter stuck.
  if (!std::isfinite(lp) || !std::isfinite(bp)) lp = bp = 0.0f;
  state.lp = lp;
  state.bp = bp;
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
  segmentSidechainHeard_ = false;
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
  segmentSidechainHeard_ = true;
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
    const float peak = BlockPeak(outputs[channel], hostFrames);
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
  if (segmentFrames_ > 0 && !segmentSidechainHeard_ && engine_.ReadsSidechain()) {
    UpsampleSidechainForSegment();
  }
}

void Norv::editIdle() {
  VFoundation::GuardedVoid("Norv::editIdle", [&] { EditorIdle(); });
}

// A factor change delivered here waits for the next block or set-up call: rebuilding the delay
// lines from this thread could meet a host that starts processing again. The engine is touched
// only between blocks; a block that starts meanwhile is skipped, so the idle never waits for one.
void Norv::EditorIdle() {
  if (editorIdleCount_.fetch_add(1) + 1 <= kEditorIdleLimit) return;
  editorIdleCount_.store(0);
  if (!blockGate_.TryAcquire()) return;
  messagePort_->ProcessSynthMessages();
  engine_.Snap();
  PublishBlockState();
  blockGate_.Release();
}

float Norv::TakeOutputMeter(int32_t channel) {
  return outputMeters_[channel & 1].exchange(0.0f);
}

// --- Engine-side messages
// --------------------------------------------------------------------------

void Norv::HandleMessage(Message& message) {
  HandleEngineMessage(message);
  if (!message.NoEcho()) HandleHostAutomationMessage(message);
}

void Norv::HandleEngineMessage(Message& message) {
  switch (message.Type()) {
    case MessageType::e_lockSynthThread:
      synthLocked_.store(true);
      break;
    case MessageType::e_unlockSynthThread:
      synthLocked_.store(false);
      break;
    case MessageType::e_registryOptionsChanged:
    case MessageType::e_registryMIDIOptionsChanged:
      ApplyPreferences();
      break;
    case MessageType::e_resetNorv:
      HandleReset();
      break;
    case MessageType::e_panic:
      HandlePanic();
      break;
    case MessageType::e_setOversampling:
      HandleSetOversampling(message.Value(0).AsInt());
      break;
    case MessageType::e_setTargetLearnBinding:
      HandleSetLearnTarget(message);
      break;
    case MessageType::e_clearTargetLearnBinding:
      bindingMap_->ClearLearnTarget();
      PostToEditor(MessageType::e_updateMIDILearnStateChanged);
      break;
    case MessageType::e_removeBinding:
      HandleRemoveBinding();
      break;
    case MessageType::e_removeAllBindings:
      bindingMap_->RemoveAllBindings();
      PostToEditor(MessageType::e_updateBindingChanged);
      break;
    case MessageType::e_lockBindings:
      bindingMap_->SetBindingsLocked(message.Value(0).AsBool());
      break;
    case MessageType::e_setFilterMacroValue:
      engine_.SetMacroValue(message.Value(1).AsInt(), message.Value(0).AsFloat());
      PostToEditor(MessageType::e_updateFilterMacroValue, message.Value(1).AsInt());
      break;
    case MessageType::e_setFilterParameter:
      HandleSetFilterParameter(message, false);
      break;
    case MessageType::e_setFilterParameterImmediate:
      HandleSetFilterParameter(message, true);
      break;
    case MessageType::e_setModSourcePolarMode:
      engine_.SetPolarMode(message.Value(0).AsInt(), message.Value(1).AsBool());
      break;
    case MessageType::e_removeModFromParameter:
      engine_.RemoveModulation(message.Value(0).AsInt(), message.Value(1).AsInt());
      PostToEditor(MessageType::e_updateFilterParameter, message.Value(0), message.Value(1));
      break;
    case MessageType::e_removeModDestinations:
      engine_.RemoveModDestinations(message.Value(0).AsInt());
      PostToEditor(MessageType::e_updateFilterParameter, -1, message.Value(0));
      break;
    default:
      // Preferences, panic and the editor-side types have no engine work in the shell; the
      // engine's own handlers take them when the signal chain runs here.
      break;
  }
}

void Norv::HandleSetFilterParameter(const Message& message, bool immediate) {
  const int32_t index = message.Value(0).AsInt();
  const int32_t source = message.Value(1).AsInt();
  const float value = message.Value(2).AsFloat();
  engine_.SetParameter(index, source, value, immediate);
  PostToEditor(MessageType::e_updateFilterParameter, index, source, value);
  const bool linked = engine_.Base(ParameterTable::kFilterLink) >= 0.5f;
  if (index == ParameterTable::kF1Cutoff && source == 0 && linked) {
    PostToEditor(MessageType::e_updateFilterParameter, ParameterTable::kF2Cutoff, source,
                 engine_.Target(ParameterTable::kF2Cutoff));
  }
}

void Norv::HandleReset() {
  bindingMap_->RemoveAllBindings();
  engine_.Reset();
  timeInfo_.Reset();
  timeInfo_.SetSampleRate(sampleRate_);
  for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
    const float value = ParameterTable::GetParameterDefaultValue(index);
    bindingMap_->SyncHostParameter(index, value);
    NotifyHostOfParameter(index, value, false);
  }
  // The name itself is a string the UI thread reads: it is renamed there, on its next read.
  presetNameReset_.store(true);
  PostToEditor(MessageType::e_updatePresetLoaded);
  PostToEditor(MessageType::e_updateBindingChanged);
}

void Norv::HandleSetOversampling(int32_t factor) {
  // Factors beyond the resamplers' reach would be an unsafe request: keep the current one.
  if (factor < 1 || factor > 16) return;
  oversamplingFactor_.store(factor);
}

void Norv::HandlePanic() {
  timeInfo_.StopTransport();
}

// The message describes the control to learn: either a whole binding attached by the editor, or a
// parameter index (value 0) and column (value 1).
void Norv::HandleSetLearnTarget(const Message& message) {
  if (const Binding* described = message.AttachedBinding()) {
    bindingMap_->SetLearnTarget(*described);
  } else {
    const int32_t index = message.Value(0).AsInt();
    if (index < 0 || index >= ParameterTable::kNumFixedParameters) return;
    bindingMap_->SetLearnTarget(MakeParameterBinding(index, message.Value(1).AsInt()));
  }
  hasLearnTarget_ = true;
  PostToEditor(MessageType::e_updateMIDILearnStateChanged);
}

void Norv::HandleRemoveBinding() {
  if (hasLearnTarget_) bindingMap_->RemoveBinding(bindingMap_->LearnTarget());
  PostToEditor(MessageType::e_updateBindingChanged);
  PostToEditor(MessageType::e_updateParameterNameChanged);
}

void Norv::HandleHostAutomationMessage(const Message& message) {
  bindingMap_->ReflectMessageToHost(message, *this);
}

void Norv::SetParameterAutomated(int32_t index, float value) {
  NotifyHostOfParameter(index, value, false);
}

void Norv::PostToEditor(MessageType type, const MessageValue& v0, const MessageValue& v1,
                        const MessageValue& v2) {
  messagePort_->PostMessageToEditor(type, {v0, v1, v2});
}

// --- MIDI
// ------------------------------------------------------------------------------------------

void Norv::HandleMIDIEventImmediate(const MidiEvent& event) {
  switch (StatusClass(event)) {
    case 0x90:
      if (Data2(event) > 0) ProcessMIDINoteOnImmediate(Channel(event), Data1(event), Data2(event));
      break;
    case 0xB0:
      // All notes off and omni off are channel-mode messages that hosts send on stop and loop: no
      // controller to learn or follow.
      if (ClassifyMidiEvent(event) == MidiEventClass::kControlChange) {
        HandleControlChange(Channel(event), Data1(event), Data2(event));
      }
      break;
    default:
      // Note-offs, pressure and pitch bend: the sources react to note-ons only.
      break;
  }
}

// Channel 1 triggers sources and picks LFO divisions, channel 2 plays the pitch source, channels
// 3 and 4 play the two filter cutoffs. Every note-on sets velocity and the note-on random value.
void Norv::ProcessMIDINoteOnImmediate(int32_t channel, int32_t note, int32_t velocity) {
  using namespace ParameterTable;
  if (channel == 0) {
    if (note == kNoteTriggerEnvelope) {
      engine_.RestartEnvelope();
      PostToEditor(MessageType::e_updateMIDITrigger, 0);
    } else if (note == kNoteTriggerLFO1 || note == kNoteTriggerLFO2) {
      engine_.RestartLFO(note - kNoteTriggerLFO1);
      PostToEditor(MessageType::e_updateMIDITrigger, note - kNoteTriggerLFO1 + 1);
    } else if (note >= kNoteFirstLFO1Division && note < kNoteFirstLFO2Division) {
      SelectLFODivision(0, note - kNoteFirstLFO1Division);
    } else if (note >= kNoteFirstLFO2Division && note < kNoteFirstLFO2Division + 39) {
      SelectLFODivision(1, note - kNoteFirstLFO2Division);
    }
  } else if (channel == 1) {
    engine_.SetPitchNote(note);
  } else if (channel == 2 || channel == 3) {
    const int32_t slot = channel - 2;
    const int32_t cutoff = slot == 0 ? kF1Cutoff : kF2Cutoff;
    engine_.SetCutoffFromNote(slot, note);
    engine_.RestartEnvelope();
    PostToEditor(MessageType::e_updateFilterParameter, cutoff, 0, engine_.Target(cutoff));
    PostToEditor(MessageType::e_updateMIDITrigger, 0);
  }
  engine_.NoteOnSources(velocity);
}

void Norv::SelectLFODivision(int32_t lfo, int32_t division) {
  using namespace ParameterTable;
  const int32_t rate = lfo == 0 ? kLFO1Rate : kLFO2Rate;
  const int32_t sync = lfo == 0 ? kLFO1Sync : kLFO2Sync;
  const float value = DivisionIndexToValue(division);
  engine_.SetImmediate(rate, value);
  engine_.SetImmediate(sync, 1.0f);
  engine_.RestartLFO(lfo);
  PostToEditor(MessageType::e_updateFilterParameter, rate, 0, value);
  PostToEditor(MessageType::e_updateFilterParameter, sync, 0, 1.0f);
  PostToEditor(MessageType::e_updateMIDITrigger, lfo + 1);
}

void Norv::HandleControlChange(int32_t channel, int32_t controller, int32_t value) {
  lastController_.store(controller);
  lastControllerChannel_.store(channel);
  bindingMap_->ProcessMIDIControlChange(channel, controller, value);
}

bool Norv::IsLearning() const {
  return bindingMap_->IsLearnPending();
}
