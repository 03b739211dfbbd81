// The whole plug-in through the VST 2.4 interface: one processReplacing call per host block.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "Common/VSTi/VstAbi.h"
#include "support/DynamicLibrary.h"

namespace {

vst::VstTimeInfo gTime{};

vst::VstIntPtr BenchHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  if (opcode == vst::audioMasterVersion) return 2400;
  if (opcode == vst::audioMasterGetTime) return reinterpret_cast<vst::VstIntPtr>(&gTime);
  return 0;
}

class LoadedPlugin {
 public:
  LoadedPlugin() {
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

// Seconds of audio per CPU second at 44.1 kHz. Argument 0: frames per block; argument 1: 1 runs the
// shell alone (host bypass: the block is a copy), 0 the whole engine.
void BM_PluginProcess(benchmark::State& state) {
  constexpr float kRate = 44100.0f;
  const int frames = static_cast<int>(state.range(0));
  LoadedPlugin plugin;
  vst::AEffect* effect = plugin.effect();
  if (!effect) {
    state.SkipWithError("the plug-in library did not load");
    return;
  }
  gTime = {};
  gTime.sampleRate = kRate;
  gTime.tempo = 120.0;
  gTime.timeSigNumerator = 4;
  gTime.timeSigDenominator = 4;
  gTime.flags = vst::kVstTempoValid | vst::kVstTimeSigValid;
  effect->dispatcher(effect, vst::effSetSampleRate, 0, 0, nullptr, kRate);
  effect->dispatcher(effect, vst::effSetBlockSize, 0, frames, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effSetBypass, 0, state.range(1), nullptr, 0.0f);
  std::vector<std::vector<float>> in(4, std::vector<float>(frames));
  std::vector<std::vector<float>> out(2, std::vector<float>(frames));
  for (int i = 0; i < frames; ++i) {
    in[0][i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    in[1][i] = 0.5f * std::sin(0.031f * static_cast<float>(i));
  }
  float* inputs[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
  float* outputs[2] = {out[0].data(), out[1].data()};
  for (auto _ : state) {
    effect->processReplacing(effect, inputs, outputs, frames);
    benchmark::DoNotOptimize(outputs[0][0]);
  }
  const double samples = static_cast<double>(state.iterations()) * frames;
  state.counters["ns_per_frame"] =
      benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["realtime_factor"] =
      benchmark::Counter(samples / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PluginProcess)
    ->ArgNames({"frames", "shell_only"})
    ->Args({512, 0})
    ->Args({64, 0})
    ->Args({512, 1})
    ->Args({64, 1});

}  // namespace
