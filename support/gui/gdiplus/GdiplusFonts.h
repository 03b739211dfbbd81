// The embedded typeface as GDI+ fonts, from a private font collection over the linked TTF bytes,
// so Windows draws the same face as Linux whatever fonts are installed. UI thread, with a
// GdiplusSession held.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <string_view>

namespace VGui::GdiplusText {

// A font of the embedded family at size logical pixels; null when the family could not be
// loaded (then text is not drawn). UI thread
std::unique_ptr<Gdiplus::Font> MakeFont(bool bold, float size);

// The distance between baselines of the embedded family at size logical pixels; 0 when the
// family could not be loaded. UI thread
float LineSpacing(bool bold, float size);

// Drops the font collection; called by the last GdiplusSession::Release before shutdown.
void DropFonts();

// UTF-8 to UTF-16; invalid sequences become U+FFFD and NULs are dropped. any thread
std::wstring Wide(std::string_view text);

}  // namespace VGui::GdiplusText
