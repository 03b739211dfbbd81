// The renderer's VST 2.4 host: loads the plug-in library, answers its callbacks (offline
// process level, transport time) and drives one instance.
#include "tools/render/PluginHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavo::render {
namespace {

using EntryPoint = vst::AEffect* (*)(vst::HostCallback);

// The host that is creating an instance: the plug-in may call back from inside its entry point,
// before the AEffect record (and its user field) exists.
PluginHost* gLoadingHost = nullptr;

constexpr vst::VstIntPtr kHostVstVersion = 2400;

vst::VstIntPtr HostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                            vst::VstIntPtr value, void* ptr, float) {
  PluginHost* host = effect != nullptr && effect->user != nullptr
                         ? static_cast<PluginHost*>(effect->user)
                         : gLoadingHost;
  if (opcode == vst::audioMasterVersion) return kHostVstVersion;
  return host != nullptr ? host->Answer(opcode, index, value, ptr) : 0;
}

void CopyText(void* ptr, const char* text, size_t capacity) {
  if (ptr == nullptr) return;
  std::strncpy(static_cast<char*>(ptr), text, capacity - 1);
  static_cast<char*>(ptr)[capacity - 1] = 0;
}

}  // namespace

vst::VstTimeInfo MakeTimeInfo(double samplePos, double sampleRate, std::optional<double> tempoBpm) {
  vst::VstTimeInfo time{};
  const double tempo = tempoBpm.value_or(120.0);
  time.samplePos = samplePos;
  time.sampleRate = sampleRate;
  time.tempo = tempo;
  time.ppqPos = samplePos / sampleRate * tempo / 60.0;
  time.barStartPos = std::floor(time.ppqPos / 4.0) * 4.0;
  time.timeSigNumerator = 4;
  time.timeSigDenominator = 4;
  time.flags =
      vst::kVstPpqPosValid | vst::kVstTempoValid | vst::kVstTimeSigValid | vst::kVstBarsValid;
  if (tempoBpm) time.flags |= vst::kVstTransportPlaying;
  return time;
}

PluginHost::~PluginHost() {
  Close();
}

bool PluginHost::Load(const std::filesystem::path& library, std::string& error) {
  std::error_code code;
  if (!std::filesystem::is_regular_file(library, code)) {
    error = "plug-in not found: " + library.string();
    return false;
  }
  if (!library_.Open(library)) {
    error = "cannot load plug-in " + library.string() + ": " + library_.Error();
    return false;
  }
  auto entry = reinterpret_cast<EntryPoint>(library_.Symbol("VSTPluginMain"));
  if (entry == nullptr) entry = reinterpret_cast<EntryPoint>(library_.Symbol("main"));
  if (entry == nullptr) {
    error = "cannot load plug-in " + library.string() + ": no VST 2.4 entry point";
    return false;
  }
  gLoadingHost = this;
  effect_ = entry(HostCallback);
  gLoadingHost = nullptr;
  if (effect_ == nullptr || effect_->magic != vst::kEffectMagic) {
    effect_ = nullptr;
    error = "cannot load plug-in " + library.string() + ": the entry point made no effect";
    return false;
  }
  effect_->user = this;
  effect_->dispatcher(effect_, vst::effOpen, 0, 0, nullptr, 0.0f);
  if (effect_->processReplacing == nullptr || effect_->numInputs < 2 || effect_->numOutputs < 2) {
    error = "cannot use plug-in " + library.string() + ": not a stereo effect";
    Close();
    return false;
  }
  return true;
}

void PluginHost::Start(double sampleRate, int32_t blockSize, std::optional<double> tempoBpm) {
  sampleRate_ = sampleRate;
  blockSize_ = blockSize;
  tempoBpm_ = tempoBpm;
  samplePos_ = 0.0;
  timeInfo_ = MakeTimeInfo(0.0, sampleRate_, tempoBpm_);
  effect_->dispatcher(effect_, vst::effSetSampleRate, 0, 0, nullptr,
                      static_cast<float>(sampleRate));
  effect_->dispatcher(effect_, vst::effSetBlockSize, 0, blockSize, nullptr, 0.0f);
  effect_->dispatcher(effect_, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
  effect_->dispatcher(effect_, vst::effStartProcess, 0, 0, nullptr, 0.0f);
  running_ = true;
}

vst::VstIntPtr PluginHost::SetChunk(std::vector<char>& data) {
  return effect_->dispatcher(effect_, vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(data.size()),
                             data.data(), 0.0f);
}

void PluginHost::SetParameter(int32_t index, float value) {
  effect_->setParameter(effect_, index, value);
}

void PluginHost::Process(float** inputs, float** outputs, int32_t frames, vst::VstEvents* events) {
  timeInfo_ = MakeTimeInfo(samplePos_, sampleRate_, tempoBpm_);
  if (events != nullptr) {
    effect_->dispatcher(effect_, vst::effProcessEvents, 0, 0, events, 0.0f);
  }
  effect_->processReplacing(effect_, inputs, outputs, frames);
  samplePos_ += frames;
}

void PluginHost::Settle(int64_t frames) {
  std::vector<float> silence(static_cast<size_t>(blockSize_) * 4, 0.0f);
  std::vector<float> dropped(static_cast<size_t>(blockSize_) * 2, 0.0f);
  float* in[4];
  float* out[2];
  for (int c = 0; c < 4; ++c) in[c] = silence.data() + c * blockSize_;
  for (int c = 0; c < 2; ++c) out[c] = dropped.data() + c * blockSize_;
  timeInfo_ = MakeTimeInfo(0.0, sampleRate_, std::nullopt);
  for (int64_t done = 0; done < frames; done += blockSize_) {
    const int32_t count = static_cast<int32_t>(std::min<int64_t>(blockSize_, frames - done));
    effect_->processReplacing(effect_, in, out, count);
  }
  samplePos_ = 0.0;
}

void PluginHost::Close() {
  if (effect_ == nullptr) return;
  if (running_) {
    effect_->dispatcher(effect_, vst::effStopProcess, 0, 0, nullptr, 0.0f);
    effect_->dispatcher(effect_, vst::effMainsChanged, 0, 0, nullptr, 0.0f);
    running_ = false;
  }
  effect_->dispatcher(effect_, vst::effClose, 0, 0, nullptr, 0.0f);
  effect_ = nullptr;
}

vst::VstIntPtr PluginHost::Answer(vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void* ptr) {
  switch (opcode) {
    case vst::audioMasterGetTime:
      return reinterpret_cast<vst::VstIntPtr>(&timeInfo_);
    case vst::audioMasterGetSampleRate:
      return static_cast<vst::VstIntPtr>(sampleRate_);
    case vst::audioMasterGetBlockSize:
      return blockSize_;
    case vst::audioMasterGetCurrentProcessLevel:
      // Rendering a file is offline work: the plug-in may take its time and must not drop work.
      return vst::kVstProcessLevelOffline;
    case vst::audioMasterGetVendorString:
      CopyText(ptr, "Quorvanta", vst::kVstMaxVendorStrLen);
      return 1;
    case vst::audioMasterGetProductString:
      CopyText(ptr, "tavo-render", vst::kVstMaxProductStrLen);
      return 1;
    case vst::audioMasterGetVendorVersion:
      return 1000;
    default:
      return 0;
  }
}

}  // namespace tavo::render
