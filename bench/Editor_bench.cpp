// The editor's costs on the GUI thread, headless (the same toolkit code and drawing back end the
// window uses): the first open, a full-frame repaint, and the 40 ms tick of an open editor where
// nothing changes, whose share of one core is what an idle open editor costs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "editor/Editor.h"
#include "editor/EditorControlClasses.h"
#include "plugin/Norv.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/RootWindow.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

constexpr double kTickSeconds = 0.040;

EditorOptions HeadlessOptions(int32_t zoomPercent = 100) {
  EditorOptions options;
  options.resources = TAVO_RESOURCES_DIR;
  options.zoomPercent = zoomPercent;
  options.openWindow = [](VGui::CtrlRoot& root, uintptr_t, VGui::Size logical, float scale,
                          std::string&) {
    return std::make_unique<VGui::RootWindow>(root, logical, scale);
  };
  return options;
}

// An editor opened as a host opens it, with its first frame drawn.
struct OpenEditor {
  Norv plugin{QuietHost};
  Editor editor{plugin, HeadlessOptions()};
  std::vector<VGui::Rect> changed;

  OpenEditor() {
    editor.open(nullptr);
    Frame();
  }
  ~OpenEditor() { editor.close(); }
  VGui::RootWindow& Window() { return *editor.Root().Window(); }
  size_t Frame() {
    changed.clear();
    Window().RenderFrame(changed);
    return changed.size();
  }
};

// Skins read, images decoded, controls built, every value brought up to date, the first frame,
// at the zoom in percent given (the 2x images are decoded only above 100 %).
void BM_EditorFirstOpen(benchmark::State& state) {
  const auto zoomPercent = int32_t(state.range(0));
  RegisterEditorControlClasses();
  for (auto _ : state) {
    state.PauseTiming();
    auto plugin = std::make_unique<Norv>(QuietHost);
    state.ResumeTiming();
    {
      Editor editor(*plugin, HeadlessOptions(zoomPercent));
      editor.open(nullptr);
      std::vector<VGui::Rect> changed;
      editor.Root().Window()->RenderFrame(changed);
      benchmark::DoNotOptimize(changed.data());
      editor.close();
    }
    state.PauseTiming();
    plugin.reset();
    state.ResumeTiming();
  }
}
// Once, before anything else in the process: what a host's first open costs, with the typeface,
// the back end and the allocator still cold. Run it alone for a fresh process
// (--benchmark_filter=FirstOpenCold); the repeated one above shows the warm cost.
BENCHMARK(BM_EditorFirstOpen)
    ->Name("BM_EditorFirstOpenCold")
    ->Arg(100)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorFirstOpen)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_EditorFullRepaint(benchmark::State& state) {
  RegisterEditorControlClasses();
  const float scale = float(state.range(0));
  OpenEditor open;
  VGui::CtrlRoot& root = open.editor.Root();
  root.SetScale(scale);
  for (auto _ : state) {
    root.InvalidateRootRect(root.LocalBounds());
    benchmark::DoNotOptimize(open.Frame());
  }
}
BENCHMARK(BM_EditorFullRepaint)->Arg(1)->Unit(benchmark::kMillisecond);

// One tick of an open editor with no change in the engine: the timer's work plus the frame, which
// must paint nothing. core_percent is the share of one core at 25 ticks a second.
void BM_EditorIdleTick(benchmark::State& state) {
  RegisterEditorControlClasses();
  OpenEditor open;
  for (int settle = 0; settle < 30; ++settle) {
    open.Window().OnTick();
    open.Frame();
  }
  size_t painted = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    open.Window().OnTick();
    painted += open.Frame();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const double iterations = double(state.iterations());
  state.counters["painted_rects_per_tick"] = double(painted) / iterations;
  // (seconds per tick) / (seconds between ticks), in percent of one core.
  state.counters["core_percent"] = elapsed.count() / iterations / kTickSeconds * 100.0;
}
BENCHMARK(BM_EditorIdleTick)->Unit(benchmark::kMicrosecond);

}  // namespace
