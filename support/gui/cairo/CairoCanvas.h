// The cairo back end by name, for code that must be sure to draw with it (its tests, the
// benchmark); everything else calls MakeCanvas, DecodePng and EncodePng of Canvas.h, which forward
// here on Linux. UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "support/gui/Canvas.h"

namespace VGui::CairoBackEnd {

// UI thread
std::unique_ptr<Canvas> MakeCanvas(PixelImage& target, float scale);
// UI thread
PixelImage DecodePng(std::span<const uint8_t> bytes, std::string_view what);
// UI thread
std::vector<uint8_t> EncodePng(const PixelImage& image);

}  // namespace VGui::CairoBackEnd
