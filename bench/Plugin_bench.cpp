// The whole plug-in through the VST 2.4 interface: one processReplacing call per host block.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Common/VSTi/VstAbi.h"
#include "support/DynamicLibrary.h"
#include "support/TestEnvironment.h"

namespace {

constexpr float kRate = 44100.0f;

// The state documents shared with tools/cpu-count.sh; their "Oversample" is replaced per case.
const std::filesystem::path kStatesFolder =
    std::filesystem::path(__FILE__).parent_path() / "states";
constexpr const char* kStateNames[] = {"default", "heavy"};
constexpr int kOversampleFactors[] = {1, 2, 4};

vst::VstTimeInfo gTime{};

vst::VstIntPtr BenchHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  if (opcode == vst::audioMasterVersion) return 2400;
  if (opcode == vst::audioMasterGetTime) return reinterpret_cast<vst::VstIntPtr>(&gTime);
  return 0;
}

class LoadedPlugin {
 public:
  LoadedPlugin() {
    // A default preset or preferences in the user's real folders would change what is measured.
    static const std::filesystem::path userRoot = VFoundation::UseTemporaryUserFolders();
    if (!library_.Open(TAVO_PLUGIN_FILE)) return;
    using Entry = vst::AEffect* (*)(vst::HostCallback);
    auto entry = reinterpret_cast<Entry>(library_.Symbol("VSTPluginMain"));
    if (entry) effect_ = entry(BenchHost);
  }
  ~LoadedPlugin() {
    if (effect_) effect_->dispatcher(effect_, vst::effClose, 0, 0, nullptr, 0.0f);
  }
  vst::AEffect* effect() const { return effect_; }

 private:
  VFoundation::DynamicLibrary library_;
  vst::AEffect* effect_ = nullptr;
};

// The named state document with its oversampling factor set to `factor`; empty when unreadable.
std::string StateDocument(const char* name, int factor) {
  std::ifstream file(kStatesFolder / (std::string(name) + ".tavo"), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::string key = "Oversample=\"";
  const size_t start = text.find(key);
  if (start == std::string::npos) return {};
  const size_t valueStart = start + key.size();
  const size_t valueEnd = text.find('"', valueStart);
  if (valueEnd == std::string::npos) return {};
  return text.replace(valueStart, valueEnd - valueStart, std::to_string(factor));
}

// A host's audio buffers: a two-tone main input and a quieter sidechain, so that the envelope
// follower, the sidechain FM source and the sample-and-hold input all see signal.
class HostBuffers {
 public:
  explicit HostBuffers(int frames)
      : in_(4, std::vector<float>(frames)), out_(2, std::vector<float>(frames)) {
    for (int i = 0; i < frames; ++i) {
      const float t = static_cast<float>(i);
      in_[0][i] = 0.5f * std::sin(0.05f * t);
      in_[1][i] = 0.5f * std::sin(0.031f * t);
      in_[2][i] = 0.1f * std::sin(0.013f * t);
      in_[3][i] = 0.1f * std::sin(0.017f * t);
    }
    for (int c = 0; c < 4; ++c) inputs_[c] = in_[c].data();
    for (int c = 0; c < 2; ++c) outputs_[c] = out_[c].data();
  }
  float** inputs() { return inputs_; }
  float** outputs() { return outputs_; }
  double OutputEnergy() const {
    double sum = 0.0;
    for (const auto& channel : out_) {
      for (float x : channel) sum += static_cast<double>(x) * x;
    }
    return sum;
  }

 private:
  std::vector<std::vector<float>> in_;
  std::vector<std::vector<float>> out_;
  float* inputs_[4] = {};
  float* outputs_[2] = {};
};

// Set-up as a host does it; a state document is loaded while the plug-in is still suspended.
void StartPlugin(vst::AEffect* effect, int frames, std::string* stateDocument) {
  gTime = {};
  gTime.sampleRate = kRate;
  gTime.tempo = 120.0;
  gTime.timeSigNumerator = 4;
  gTime.timeSigDenominator = 4;
  gTime.flags = vst::kVstTempoValid | vst::kVstTimeSigValid;
  effect->dispatcher(effect, vst::effSetSampleRate, 0, 0, nullptr, kRate);
  effect->dispatcher(effect, vst::effSetBlockSize, 0, frames, nullptr, 0.0f);
  if (stateDocument) {
    effect->dispatcher(effect, vst::effSetChunk, 0,
                       static_cast<vst::VstIntPtr>(stateDocument->size()), stateDocument->data(),
                       0.0f);
  }
  effect->dispatcher(effect, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
}

void TimeBlocks(benchmark::State& state, vst::AEffect* effect, HostBuffers& buffers, int frames) {
  for (auto _ : state) {
    effect->processReplacing(effect, buffers.inputs(), buffers.outputs(), frames);
    benchmark::DoNotOptimize(buffers.outputs()[0][0]);
  }
  const double samples = static_cast<double>(state.iterations()) * frames;
  state.counters["ns_per_frame"] =
      benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  // Rate counters divide by CPU time: seconds of audio per CPU second.
  state.counters["realtime_factor"] =
      benchmark::Counter(samples / kRate, benchmark::Counter::kIsRate);
}

// Argument 0: frames per block; argument 1: 1 runs the shell alone (host bypass: the block is a
// copy), 0 the whole engine in a fresh instance's state.
void BM_PluginProcess(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  LoadedPlugin plugin;
  vst::AEffect* effect = plugin.effect();
  if (!effect) {
    state.SkipWithError("the plug-in library did not load");
    return;
  }
  StartPlugin(effect, frames, nullptr);
  effect->dispatcher(effect, vst::effSetBypass, 0, state.range(1), nullptr, 0.0f);
  HostBuffers buffers(frames);
  TimeBlocks(state, effect, buffers, frames);
}
BENCHMARK(BM_PluginProcess)
    ->ArgNames({"frames", "shell_only"})
    ->Args({512, 0})
    ->Args({64, 0})
    ->Args({512, 1})
    ->Args({64, 1})
    ->MinTime(0.3);

// A stored state at one oversampling factor, 512-frame blocks at 44.1 kHz.
void BM_PluginState(benchmark::State& state, const char* name, int factor) {
  constexpr int kFrames = 512;
  std::string document = StateDocument(name, factor);
  if (document.empty()) {
    state.SkipWithError("the state document could not be read");
    return;
  }
  LoadedPlugin plugin;
  vst::AEffect* effect = plugin.effect();
  if (!effect) {
    state.SkipWithError("the plug-in library did not load");
    return;
  }
  StartPlugin(effect, kFrames, &document);
  HostBuffers buffers(kFrames);
  // Half a second lets glides and filters settle; a silent engine here would time nothing real.
  double energy = 0.0;
  for (int block = 0; block < 43; ++block) {
    effect->processReplacing(effect, buffers.inputs(), buffers.outputs(), kFrames);
    energy += buffers.OutputEnergy();
  }
  if (!(energy > 0.0) || !std::isfinite(energy)) {
    state.SkipWithError("the engine is silent (or not finite) after loading the state");
    return;
  }
  TimeBlocks(state, effect, buffers, kFrames);
}

bool RegisterStateBenchmarks() {
  for (const char* name : kStateNames) {
    for (int factor : kOversampleFactors) {
      const std::string title =
          std::string("BM_PluginState/") + name + "/oversample:" + std::to_string(factor);
      benchmark::RegisterBenchmark(title.c_str(), BM_PluginState, name, factor)->MinTime(0.3);
    }
  }
  return true;
}
[[maybe_unused]] const bool gStateBenchmarksRegistered = RegisterStateBenchmarks();

// A factory preset fed noise or a signal in the denormal range (1e-40, as a fading track's tail
// reaches): with denormals flushed in the block the two cost about the same.
void BM_PresetInput(benchmark::State& state, const char* preset, bool denormal) {
  constexpr int kFrames = 512;
  const std::filesystem::path file = std::filesystem::path(__FILE__).parent_path().parent_path() /
                                     "System" / "Presets" / (std::string(preset) + ".tavo");
  std::ifstream stream(file, std::ios::binary);
  std::string document((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  LoadedPlugin plugin;
  vst::AEffect* effect = plugin.effect();
  if (document.empty() || !effect) {
    state.SkipWithError("the preset or the plug-in library could not be read");
    return;
  }
  StartPlugin(effect, kFrames, &document);
  HostBuffers buffers(kFrames);
  uint32_t seed = 0x2545F491u;
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < kFrames; ++i) {
      seed = seed * 1664525u + 1013904223u;
      const float noise = static_cast<float>(seed >> 8) / 16777216.0f - 0.5f;
      buffers.inputs()[c][i] = denormal ? (i & 1 ? 1e-40f : -1e-40f) : noise;
    }
  }
  TimeBlocks(state, effect, buffers, kFrames);
}
BENCHMARK_CAPTURE(BM_PresetInput, NotePlayedComb_noise, "Note Played Comb", false)->MinTime(0.3);
BENCHMARK_CAPTURE(BM_PresetInput, NotePlayedComb_denormal, "Note Played Comb", true)->MinTime(0.3);

}  // namespace
