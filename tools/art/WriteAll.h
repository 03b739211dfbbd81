// Every image of the editor, written below one output folder.
#pragma once

#include <filesystem>
#include <vector>

#include "tools/art/ArtImage.h"

namespace TavoArt {

// The knob, fader and logo images (not the cursors). fontFile: the bold face for the logo.
std::vector<Picture> ImagePictures(const std::filesystem::path& fontFile);

// Writes Images/, Cursors/ and Cursors/Cursors.hotspots below folder; false on any failure.
bool WriteAll(const std::filesystem::path& folder, const std::filesystem::path& fontFile);

}  // namespace TavoArt
