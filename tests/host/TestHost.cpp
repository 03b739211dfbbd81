// The test host's callback and library handling.
#include "host/TestHost.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <numbers>

namespace tavo::test {

HostState& Host() {
  static HostState state;
  return state;
}

vst::VstIntPtr HostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32 index,
                            vst::VstIntPtr, void* ptr, float opt) {
  HostState& host = Host();
  {
    std::lock_guard<std::mutex> lock(host.mutex);
    host.calls.push_back({opcode, index, opt});
  }
  switch (opcode) {
    case vst::audioMasterVersion:
      return host.versionAnswer;
    case vst::audioMasterGetTime:
      return host.giveTime ? reinterpret_cast<vst::VstIntPtr>(&host.time) : 0;
    case vst::audioMasterGetCurrentProcessLevel:
      return host.processLevel;
    case vst::audioMasterGetVendorString:
      std::strcpy(static_cast<char*>(ptr), "Test Vendor");
      return 1;
    case vst::audioMasterGetProductString:
      std::strcpy(static_cast<char*>(ptr), "Test Host");
      return 1;
    case vst::audioMasterGetVendorVersion:
      return 1500;
    default:
      return 0;
  }
}

VFoundation::DynamicLibrary& PluginLibrary() {
  static VFoundation::DynamicLibrary library;
  if (!library.IsOpen()) {
    EXPECT_TRUE(library.Open(TAVO_PLUGIN_FILE)) << library.Error();
  }
  return library;
}

EntryPoint PluginEntry(const char* name) {
  return reinterpret_cast<EntryPoint>(PluginLibrary().Symbol(name));
}

namespace {

// A quiet NaN with a payload no arithmetic produces.
constexpr uint32_t kGuardBits = 0x7FC0DEADu;

bool IsGuard(float value) {
  return std::bit_cast<uint32_t>(value) == kGuardBits;
}

struct TagSpan {
  size_t begin = std::string::npos;  // the '<'
  size_t end = std::string::npos;    // the closing '>'
};

TagSpan FindTag(const std::string& document, const std::string& element) {
  const std::string opening = "<" + element;
  for (size_t at = document.find(opening); at != std::string::npos;
       at = document.find(opening, at + 1)) {
    const char next = at + opening.size() < document.size() ? document[at + opening.size()] : 0;
    if (next == ' ' || next == '\n' || next == '\t' || next == '/' || next == '>') {
      return {at, document.find('>', at)};
    }
  }
  return {};
}

// The position of the value's first character inside the tag, or npos.
size_t FindValue(const std::string& document, const TagSpan& tag, const std::string& name) {
  const std::string key = name + "=\"";
  for (size_t at = document.find(key, tag.begin); at != std::string::npos && at < tag.end;
       at = document.find(key, at + 1)) {
    const char before = document[at - 1];
    if (before == ' ' || before == '\n' || before == '\t') return at + key.size();
  }
  return std::string::npos;
}

}  // namespace

GuardedBuffers::GuardedBuffers(int channels, int frames)
    : frames_(frames),
      channels_(static_cast<size_t>(channels),
                std::vector<float>(static_cast<size_t>(frames + kGuardFrames),
                                   std::bit_cast<float>(kGuardBits))),
      pointers_(static_cast<size_t>(channels)) {
  for (size_t c = 0; c < channels_.size(); ++c) {
    std::fill_n(channels_[c].begin(), frames, 0.0f);
    pointers_[c] = channels_[c].data();
  }
}

std::vector<float> GuardedBuffers::Copy(int channel, int frames) const {
  const std::vector<float>& samples = channels_[static_cast<size_t>(channel)];
  return std::vector<float>(samples.begin(), samples.begin() + frames);
}

void GuardedBuffers::FillWithGuard() {
  for (std::vector<float>& samples : channels_) {
    std::fill(samples.begin(), samples.end(), std::bit_cast<float>(kGuardBits));
  }
}

bool GuardedBuffers::GuardsIntact() const {
  for (const std::vector<float>& samples : channels_) {
    if (!std::all_of(samples.begin() + frames_, samples.end(), IsGuard)) return false;
  }
  return true;
}

bool GuardedBuffers::AllFinite(int frames) const {
  for (const std::vector<float>& samples : channels_) {
    if (!std::all_of(samples.begin(), samples.begin() + frames,
                     [](float sample) { return std::isfinite(sample); })) {
      return false;
    }
  }
  return true;
}

float GuardedBuffers::Peak(int frames) const {
  float peak = 0.0f;
  for (const std::vector<float>& samples : channels_) {
    for (int i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(samples[i]));
  }
  return peak;
}

void GuardedBuffers::FillSine(float amplitude, double hz, double sampleRate, int64_t startFrame) {
  const double cycleFrames = sampleRate / hz;
  for (int i = 0; i < frames_; ++i) {
    const double phase = std::fmod(static_cast<double>(startFrame + i), cycleFrames) / cycleFrames;
    const float sample = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * phase));
    for (std::vector<float>& samples : channels_) samples[i] = sample;
  }
}

std::optional<std::string> AttributeValue(const std::string& document, const std::string& element,
                                          const std::string& name) {
  const TagSpan tag = FindTag(document, element);
  if (tag.end == std::string::npos) return std::nullopt;
  const size_t value = FindValue(document, tag, name);
  if (value == std::string::npos) return std::nullopt;
  const size_t close = document.find('"', value);
  if (close == std::string::npos) return std::nullopt;
  return document.substr(value, close - value);
}

std::string WithAttribute(const std::string& document, const std::string& element,
                          const std::string& name, const std::string& value) {
  const TagSpan tag = FindTag(document, element);
  if (tag.end == std::string::npos) {
    ADD_FAILURE() << "no element <" << element << "> in\n" << document;
    return document;
  }
  std::string changed = document;
  const size_t at = FindValue(document, tag, name);
  if (at != std::string::npos) {
    changed.replace(at, document.find('"', at) - at, value);
  } else if (document[tag.end - 1] == '/') {
    changed.insert(tag.end - 1, name + "=\"" + value + "\" ");
  } else {
    changed.insert(tag.end, " " + name + "=\"" + value + "\"");
  }
  return changed;
}

PluginInstance::PluginInstance(const char* entryName) {
  EntryPoint entry = PluginEntry(entryName);
  if (entry) effect_ = entry(HostCallback);
  if (effect_) Dispatch(vst::effOpen);
}

PluginInstance::~PluginInstance() {
  if (effect_) {
    Dispatch(vst::effMainsChanged, 0, 0);
    Dispatch(vst::effClose);
  }
}

vst::VstIntPtr PluginInstance::Dispatch(vst::VstInt32 opcode, vst::VstInt32 index,
                                        vst::VstIntPtr value, void* ptr, float opt) const {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::Text(vst::VstInt32 opcode, vst::VstInt32 index) const {
  char text[256];
  std::memset(text, 0x7f, sizeof text);
  text[255] = 0;
  Dispatch(opcode, index, 0, text);
  return std::string(text, strnlen(text, sizeof text - 1));
}

void PluginInstance::Start(float sampleRate, int blockSize) {
  Dispatch(vst::effSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(vst::effSetBlockSize, 0, blockSize);
  Dispatch(vst::effMainsChanged, 0, 1);
}

void PluginInstance::Process(std::vector<std::vector<float>>& inputs,
                             std::vector<std::vector<float>>& outputs, int frames) const {
  float* in[4];
  float* out[2];
  for (int c = 0; c < 4; ++c) in[c] = inputs[c].data();
  for (int c = 0; c < 2; ++c) out[c] = outputs[c].data();
  effect_->processReplacing(effect_, in, out, frames);
}

void PluginInstance::Process(GuardedBuffers& inputs, GuardedBuffers& outputs, int frames) const {
  effect_->processReplacing(effect_, inputs.Pointers(), outputs.Pointers(), frames);
}

std::string PluginInstance::Chunk() const {
  void* data = nullptr;
  const vst::VstIntPtr size = Dispatch(vst::effGetChunk, 0, 0, &data);
  if (size <= 0 || !data) return std::string();
  return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

vst::VstIntPtr PluginInstance::LoadChunk(const std::string& text) const {
  std::vector<char> data(text.begin(), text.end());
  return Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(data.size()), data.data());
}

AudioLoop::AudioLoop(const PluginInstance& plugin, int frames, double sampleRate)
    : plugin_(plugin), frames_(frames), sampleRate_(sampleRate), thread_([this] { Run(); }) {}

AudioLoop::~AudioLoop() {
  Stop();
}

void AudioLoop::Run() {
  GuardedBuffers inputs(4, frames_);
  GuardedBuffers outputs(2, frames_);
  int64_t frame = 0;
  while (!stop_.load()) {
    // 441 Hz at -6 dBFS: audible through every sound, far from clipping.
    inputs.FillSine(0.5f, 441.0, sampleRate_, frame);
    outputs.FillWithGuard();
    plugin_.Process(inputs, outputs, frames_);
    frame += frames_;
    if (!outputs.GuardsIntact() || !inputs.GuardsIntact()) damagedBlocks_.fetch_add(1);
    if (!outputs.AllFinite(frames_)) nonFiniteBlocks_.fetch_add(1);
    blocks_.fetch_add(1);
  }
}

bool AudioLoop::WaitForBlocks(int64_t count) const {
  // A plug-in that stalls the audio thread for this long has hung.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (blocks_.load() < count) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void AudioLoop::Stop() {
  stop_.store(true);
  if (thread_.joinable()) thread_.join();
}

}  // namespace tavo::test
