// The editor painted without a window: screenshots for the demo and CI, and render tests.
#pragma once

#include <filesystem>

#include "support/gui/PixelImage.h"

class Norv;

// Builds an editor for the plug-in on a window-less root, opens it as a host would (first-open
// updates included), runs two ticks so the engine's answers arrive, and paints the whole editor at
// the scale (962 x 438 times scale pixels). The installation's resource folder unless one is
// given. UI thread
VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale);
VGui::PixelImage RenderEditorHeadless(Norv& plugin, float scale,
                                      const std::filesystem::path& resources);
