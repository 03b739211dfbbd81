// Windows: the child window's translations that need no window (virtual keys, UTF-16 characters,
// wheel notches, cursor pixels), kept apart from the Win32 code so that they are tested alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/gui/Events.h"
#include "support/gui/PixelImage.h"

namespace VGui::Platform::Win32 {

// The toolkit's named key for a virtual-key code (VK_BACK, VK_LEFT, ...); kNone for keys whose
// text arrives as WM_CHAR. any thread
Key NamedKeyFromVirtualKey(uint32_t virtualKey);

// Control+letter types no character (WM_CHAR brings a control code): the letter, lower case, for
// the toolkit's shortcuts; 0 for other keys. any thread
char ShortcutLetterFromVirtualKey(uint32_t virtualKey);

// Joins the UTF-16 units of WM_CHAR, which brings a surrogate pair as two messages.
class CharacterAssembler {
 public:
  // The character's UTF-8 text once complete; empty for a first surrogate, control codes and
  // lone surrogates. GUI thread
  std::string Add(uint16_t unit);

 private:
  uint16_t highSurrogate_ = 0;
};

// WM_MOUSEWHEEL's delta in notches (WHEEL_DELTA is 120), positive away from the user. any thread
float WheelNotches(int16_t delta);

// Icons and cursors take straight alpha in 0xAARRGGBB: the toolkit's premultiplied pixels
// divided back out. any thread
std::vector<uint32_t> StraightAlphaPixels(const PixelImage& image);

}  // namespace VGui::Platform::Win32
