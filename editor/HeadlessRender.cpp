// The editor painted without a window.
#include "editor/HeadlessRender.h"

#include "editor/Editor.h"
#include "editor/EditorControlClasses.h"
#include "editor/SynthEditor.h"
#include "editor/TransmodPanel.h"
#include "plugin/Norv.h"
#include "plugin/ParameterTable.h"
#include "support/gui/RootWindow.h"

namespace {

// Enough ticks for the first-open requests and the answers they cause to be delivered.
constexpr int kSettleTicks = 2;

void SelectTransmodSource(Editor& editor, int32_t source) {
  if (source < 0) return;
  SynthEditor* synth = editor.GetSynthEditor();
  TransmodPanel* transmod = synth ? synth->Transmod() : nullptr;
  if (transmod) transmod->SelectSource(source);
}

}  // namespace

VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale) {
  return RenderEditorHeadless(plugin, scale, HeadlessRenderOptions{});
}

VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale,
                                      const std::filesystem::path& resources) {
  HeadlessRenderOptions options;
  options.resources = resources;
  return RenderEditorHeadless(plugin, scale, options);
}

VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale,
                                      const HeadlessRenderOptions& render) {
  RegisterEditorControlClasses();
  EditorOptions options;
  options.resources = render.resources;
  options.openWindow = [](VGui::CtrlRoot& root, uintptr_t, VGui::Size logical, float windowScale,
                          std::string&) {
    return std::make_unique<VGui::RootWindow>(root, logical, windowScale);
  };
  Editor editor(plugin, std::move(options));
  editor.open(nullptr);
  // Drawn as a window at that zoom would draw it, whatever zoom the preference holds.
  if (VGui::RootWindow* window = editor.Window()) window->Rescale(scale);
  for (int tick = 0; tick < kSettleTicks; ++tick) editor.Root().Tick();
  SelectTransmodSource(editor, render.transmodSource);
  editor.Root().Tick();
  VGui::PixelImage image = VGui::RenderAll(editor.Root(), scale);
  editor.close();
  return image;
}

int32_t BusiestTransmodSource(Norv& plugin) {
  const NorvProcess& engine = plugin.Engine();
  int32_t busiest = 0;
  int destinations = 0;
  for (int32_t source = 1; source <= NorvProcess::kNumSources; ++source) {
    int count = 0;
    for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
      count += engine.Depth(index, source) != 0.0f ? 1 : 0;
    }
    if (count > destinations) {
      busiest = source;
      destinations = count;
    }
  }
  return busiest;
}
