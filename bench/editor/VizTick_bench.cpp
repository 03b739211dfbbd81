// The editor's busiest tick: every live value of the engine changes, so all nine visualisation
// panels compute their curves again and the knobs and faders take new live values; measured as
// the timer's work plus the frame that repaints what became invalid, headless, at scales 1 and 2.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "editor/Editor.h"
#include "editor/EditorControlClasses.h"
#include "editor/VizPanel.h"
#include "modulation/Transmod.h"
#include "plugin/Norv.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/RootWindow.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

constexpr int32_t kFrames = 64;
// Enough depth from the noise source (0 to 0.04 per sub-block) to move every parameter each block.
constexpr float kNoiseDepth = 1.0f;

EditorOptions HeadlessOptions(float scale) {
  EditorOptions options;
  options.resources = TAVO_RESOURCES_DIR;
  options.openWindow = [scale](VGui::CtrlRoot& root, uintptr_t, VGui::Size logical, float,
                               std::string&) {
    root.SetScale(scale);
    return std::make_unique<VGui::RootWindow>(root, logical, scale);
  };
  return options;
}

// The engine with every parameter modulated by the noise source, run one block at a time.
class NoisyEngine {
 public:
  explicit NoisyEngine(Norv& plugin) : plugin_(plugin) {
    plugin_.setSampleRate(44100.0f);
    // Downwards from a high base, upwards from a low one, so no value sticks at a limit.
    for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) {
      const float depth = plugin_.Engine().Base(i) >= 0.5f ? -kNoiseDepth : kNoiseDepth;
      plugin_.Engine().SetParameter(i, static_cast<int32_t>(TransmodSource::kNoise), depth, false);
    }
    for (auto& channel : in_) channel.fill(0.1f);
  }
  void Block() {
    float* inputs[4] = {in_[0].data(), in_[1].data(), in_[2].data(), in_[3].data()};
    float* outputs[2] = {out_[0].data(), out_[1].data()};
    plugin_.processReplacing(inputs, outputs, kFrames);
  }

 private:
  Norv& plugin_;
  std::array<std::array<float, kFrames>, 4> in_{};
  std::array<std::array<float, kFrames>, 2> out_{};
};

int32_t ChangedLiveValues(Norv& plugin, std::array<float, 60>& last) {
  int32_t changed = 0;
  for (int32_t i = 0; i < 60; ++i) {
    const float now = plugin.Engine().ModulatedValue(i);
    if (now != last[i]) ++changed;
    last[i] = now;
  }
  return changed;
}

void BM_VizTickAllValuesChange(benchmark::State& state) {
  RegisterEditorControlClasses();
  const float scale = float(state.range(0));
  Norv plugin{QuietHost};
  NoisyEngine engine(plugin);
  Editor editor{plugin, HeadlessOptions(scale)};
  editor.open(nullptr);
  VGui::RootWindow& window = *editor.Root().Window();
  std::vector<VGui::Rect> changed;
  window.RenderFrame(changed);
  std::array<float, 60> last{};
  double liveChanges = 0.0;
  double rects = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    engine.Block();
    liveChanges += ChangedLiveValues(plugin, last);
    state.ResumeTiming();
    window.OnTick();
    benchmark::DoNotOptimize(window.RenderFrame(changed).Data());
    rects += double(changed.size());
  }
  const double iterations = double(state.iterations());
  state.counters["live_values_changed_per_tick"] = liveChanges / iterations;
  state.counters["painted_rects_per_tick"] = rects / iterations;
  editor.close();
}
BENCHMARK(BM_VizTickAllValuesChange)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The visualisation panels' share of that tick: the nine take new values (every one different)
// and the frame repaints what they invalidated.
void BM_VizPanelsOnly(benchmark::State& state) {
  RegisterEditorControlClasses();
  const float scale = float(state.range(0));
  Norv plugin{QuietHost};
  Editor editor{plugin, HeadlessOptions(scale)};
  editor.open(nullptr);
  VGui::RootWindow& window = *editor.Root().Window();
  std::vector<VGui::Rect> changed;
  window.RenderFrame(changed);
  const SynthEditor* synth = editor.GetSynthEditor();
  if (!synth) {
    state.SkipWithError("no synth panel");
    return;
  }
  VizCurves::Snapshot snapshots[2];
  for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) {
    snapshots[0][i] = 0.2f + 0.01f * float(i);
    snapshots[1][i] = 0.7f - 0.01f * float(i);
  }
  int flip = 0;
  double rects = 0.0;
  for (auto _ : state) {
    flip ^= 1;
    for (VizPanel* panel : synth->VizPanels()) {
      if (panel) panel->GetParameters(snapshots[flip], 0.5f * float(flip));
    }
    benchmark::DoNotOptimize(window.RenderFrame(changed).Data());
    rects += double(changed.size());
  }
  state.counters["painted_rects_per_tick"] = rects / double(state.iterations());
  editor.close();
}
BENCHMARK(BM_VizPanelsOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
