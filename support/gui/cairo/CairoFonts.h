// The embedded typeface as cairo font faces, loaded once through FreeType from memory. UI thread
// (any editor thread: cairo serialises its use of each FreeType face).
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>

namespace VGui::CairoText {

// The face for regular or bold text, created on first use and kept for the process lifetime: a
// host may unload and reload the plug-in while cairo's font caches still refer to the face, so
// it is never destroyed (the library is linked with -z nodelete). Null when FreeType could not
// read the font. any thread
cairo_font_face_t* Face(bool bold);

// Makes cr draw text with the embedded face at size logical pixels, with fixed rendering options
// (grey anti-aliasing, slight hinting, unhinted metrics), so that neither fontconfig's settings
// nor the scale change the layout. False when no face could be loaded. UI thread
bool Select(cairo_t* cr, bool bold, float size);

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD and NULs dropped: cairo
// puts the context (and the shared scaled font) into a permanent error state on invalid UTF-8.
// any thread
std::string ValidUtf8(std::string_view text);

}  // namespace VGui::CairoText
