// Linux: the X11 window's translations that need no server (keys, buttons, modifiers, double
// clicks, request sizes), kept apart from the XCB code so that they are tested headless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/gui/Events.h"
#include "support/gui/Geometry.h"

namespace VGui::Platform::X11 {

// The core protocol's key and button state bits.
enum StateBit : uint16_t {
  kStateShift = 1u << 0,
  kStateLock = 1u << 1,
  kStateControl = 1u << 2,
  kStateMod1 = 1u << 3,  // Alt on every usual keymap
  kStateMod2 = 1u << 4,  // Num Lock
  kStateMod5 = 1u << 7,  // AltGr (ISO level 3)
  kStateButton1 = 1u << 8,
  kStateButton2 = 1u << 9,
  kStateButton3 = 1u << 10,
};

// any thread
uint32_t ModifiersFromState(uint16_t state);
// Buttons 1, 2 and 3 are left, middle and right; others (the wheel) kNone. any thread
MouseButton ButtonFromDetail(uint8_t detail);
// The button held during a motion, left before right before middle. any thread
MouseButton HeldButtonFromState(uint16_t state);
// Buttons 4 and 5 are one wheel notch away from and towards the user; others 0. any thread
float WheelNotchesFromDetail(uint8_t detail);

// The server's keycode-to-keysym table (GetKeyboardMapping) and the core protocol's rules for
// choosing the keysym of a state: Shift and Caps Lock, Num Lock on the keypad, AltGr.
class KeyboardMap {
 public:
  // keysyms holds keysymsPerKeycode entries for each keycode from minKeycode on. any thread
  void Assign(uint8_t minKeycode, int keysymsPerKeycode, std::vector<uint32_t> keysyms);
  // 0 (NoSymbol) for an unknown keycode. any thread
  uint32_t Keysym(uint8_t keycode, uint16_t state) const;
  // The first keycode whose unshifted keysym is the keysym, or 0. any thread
  uint8_t KeycodeOf(uint32_t keysym) const;

 private:
  uint32_t Entry(uint8_t keycode, int column) const;

  uint8_t minKeycode_ = 0;
  int perKeycode_ = 0;
  std::vector<uint32_t> keysyms_;
};

// The toolkit's key for a keysym: a named key, or kCharacter with the text in UTF-8; kNone for a
// keysym the toolkit has no use for (modifiers, function keys). any thread
KeyEvent KeyEventFromKeysym(uint32_t keysym, uint32_t modifiers);
// any thread
std::string Utf8FromCodePoint(uint32_t codePoint);

// The X server sends single presses only: a second press of the same button within the
// double-click time and a few pixels of the first is the double click.
class DoubleClickDetector {
 public:
  static constexpr uint32_t kTimeMs = 400;
  static constexpr int kDistancePixels = 4;
  // The click count of a press at the device position and server time (1 or 2). GUI thread
  int Press(MouseButton button, Point position, uint32_t timeMs);

 private:
  MouseButton lastButton_ = MouseButton::kNone;
  Point lastPosition_;
  uint32_t lastTimeMs_ = 0;
};

// Cuts a rectangle of 32-bit pixels into pieces whose PutImage requests (headerBytes plus the
// pixels) each fit in maxRequestBytes: whole-width strips when a row fits, else narrower tiles.
// Empty when the rectangle is empty or not even one pixel fits. any thread
std::vector<Rect> SplitIntoStrips(const Rect& area, size_t maxRequestBytes, size_t headerBytes);

}  // namespace VGui::Platform::X11
