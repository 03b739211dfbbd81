// The one typeface of the toolkit, DejaVu Sans regular and bold (free to redistribute), linked into
// the library so that text looks the same on every machine and no font lookup happens at run time.
// The bytes are written into a generated source file at build time from the fonts-dejavu-core
// package (support/gui/fonts/EmbedFonts.cmake); the source tree holds none of them.
#pragma once

#include <cstdint>
#include <span>

namespace VGui {

// The TrueType file's bytes; static for the process lifetime. any thread
std::span<const uint8_t> EmbeddedFont(bool bold);

}  // namespace VGui
