// The product logo "Images/Logo": a round emblem with a filtered wave and the name in bold.
#pragma once

#include <cairo.h>

#include <filesystem>

#include "tools/art/ArtImage.h"

namespace TavoArt {

constexpr int kLogoWidth = 104;
constexpr int kLogoHeight = 28;

// The name is set in the bold face from fontFile; face is kept by the caller while the picture
// is drawn. Null face: the emblem alone.
Picture LogoPicture(cairo_font_face_t* face);

// DejaVu Sans Bold (or any TrueType file) as a cairo face, through FreeType; null when it cannot
// be read. The face lives until the process ends.
cairo_font_face_t* LoadFontFace(const std::filesystem::path& fontFile);

}  // namespace TavoArt
