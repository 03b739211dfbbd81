// The editor painted without a window: screenshots for the demo and CI, and render tests.
#pragma once

#include <cstdint>
#include <filesystem>

#include "support/gui/PixelImage.h"

class Norv;

// What the picture shows beyond the plug-in's state.
struct HeadlessRenderOptions {
  // The installation's resource folder when empty.
  std::filesystem::path resources;
  // The Transmod source selected in the picture (0-11), so that every control shows that
  // source's modulation; -1 leaves the editor's own choice.
  int32_t transmodSource = -1;
};

// Builds an editor for the plug-in on a window-less root, opens it as a host would (first-open
// updates included), runs two ticks so the engine's answers arrive, and paints the whole editor at
// the scale (962 x 438 times scale pixels). The installation's resource folder unless one is
// given. UI thread
VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale);
VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale,
                                      const std::filesystem::path& resources);
VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale,
                                      const HeadlessRenderOptions& options);

// The modulation source (1-11) with the most destinations among the 60 parameters (a depth other
// than 0), the lowest of equals; 0 when no source modulates anything. UI thread
int32_t BusiestTransmodSource(Norv& plugin);
