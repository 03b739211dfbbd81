// The editor painted without a window.
#include "editor/HeadlessRender.h"

#include "editor/Editor.h"
#include "editor/EditorControlClasses.h"
#include "support/gui/RootWindow.h"

namespace {

// Enough ticks for the first-open requests and the answers they cause to be delivered.
constexpr int kSettleTicks = 2;

}  // namespace

VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale) {
  return RenderEditorHeadless(plugin, scale, {});
}

VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale,
                                      const std::filesystem::path& resources) {
  RegisterEditorControlClasses();
  EditorOptions options;
  options.resources = resources;
  options.openWindow = [](VGui::CtrlRoot& root, uintptr_t, VGui::Size logical, float windowScale,
                          std::string&) {
    return std::make_unique<VGui::RootWindow>(root, logical, windowScale);
  };
  Editor editor(plugin, std::move(options));
  editor.open(nullptr);
  for (int tick = 0; tick < kSettleTicks; ++tick) editor.Root().Tick();
  VGui::PixelImage image = VGui::RenderAll(editor.Root(), scale);
  editor.close();
  return image;
}
