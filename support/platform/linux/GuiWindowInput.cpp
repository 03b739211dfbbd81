// Linux: key, button and request-size translations of the X11 window.
#include "support/platform/linux/GuiWindowInput.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace VGui::Platform::X11 {

namespace {

constexpr uint32_t kNoSymbol = 0;
constexpr uint32_t kUnicodeKeysymBase = 0x01000000;
constexpr uint32_t kKeypadFirst = 0xff80;
constexpr uint32_t kKeypadLast = 0xffbd;

struct NamedKeysym {
  uint32_t keysym;
  Key key;
};

constexpr NamedKeysym kNamedKeys[] = {
    {0xff08, Key::kBackspace}, {0xff09, Key::kTab},    {0xfe20, Key::kTab},  // ISO_Left_Tab
    {0xff0d, Key::kReturn},    {0xff8d, Key::kReturn}, {0xff1b, Key::kEscape},
    {0xffff, Key::kDelete},    {0xff9f, Key::kDelete}, {0xff50, Key::kHome},
    {0xff95, Key::kHome},      {0xff51, Key::kLeft},   {0xff96, Key::kLeft},
    {0xff52, Key::kUp},        {0xff97, Key::kUp},     {0xff53, Key::kRight},
    {0xff98, Key::kRight},     {0xff54, Key::kDown},   {0xff99, Key::kDown},
    {0xff55, Key::kPageUp},    {0xff9a, Key::kPageUp}, {0xff56, Key::kPageDown},
    {0xff9b, Key::kPageDown},  {0xff57, Key::kEnd},    {0xff9c, Key::kEnd},
};

// Keypad keysyms that type a character.
struct KeypadCharacter {
  uint32_t keysym;
  char character;
};

constexpr KeypadCharacter kKeypadCharacters[] = {
    {0xff80, ' '}, {0xffaa, '*'}, {0xffab, '+'}, {0xffac, ','},
    {0xffad, '-'}, {0xffae, '.'}, {0xffaf, '/'}, {0xffbd, '='},
};

bool IsKeypad(uint32_t keysym) {
  return keysym >= kKeypadFirst && keysym <= kKeypadLast;
}

// Latin-1 keysyms equal their code points; case pairs differ by 0x20.
bool IsLowerLatin1(uint32_t keysym) {
  return (keysym >= 'a' && keysym <= 'z') || (keysym >= 0xe0 && keysym <= 0xfe && keysym != 0xf7);
}
bool IsUpperLatin1(uint32_t keysym) {
  return (keysym >= 'A' && keysym <= 'Z') || (keysym >= 0xc0 && keysym <= 0xde && keysym != 0xd7);
}
uint32_t UpperLatin1(uint32_t keysym) {
  return IsLowerLatin1(keysym) ? keysym - 0x20 : keysym;
}
uint32_t LowerLatin1(uint32_t keysym) {
  return IsUpperLatin1(keysym) ? keysym + 0x20 : keysym;
}

uint32_t CodePointOfKeysym(uint32_t keysym) {
  if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) return keysym;
  if (keysym >= 0xffb0 && keysym <= 0xffb9) return '0' + (keysym - 0xffb0);
  for (const auto& entry : kKeypadCharacters) {
    if (entry.keysym == keysym) return uint32_t(entry.character);
  }
  if (keysym >= kUnicodeKeysymBase + 0x100 && keysym <= kUnicodeKeysymBase + 0x10ffff) {
    return keysym - kUnicodeKeysymBase;
  }
  return 0;
}

}  // namespace

uint32_t ModifiersFromState(uint16_t state) {
  uint32_t modifiers = 0;
  if (state & kStateShift) modifiers |= kModShift;
  if (state & kStateControl) modifiers |= kModControl;
  if (state & kStateMod1) modifiers |= kModAlt;
  return modifiers;
}

MouseButton ButtonFromDetail(uint8_t detail) {
  switch (detail) {
    case 1:
      return MouseButton::kLeft;
    case 2:
      return MouseButton::kMiddle;
    case 3:
      return MouseButton::kRight;
    default:
      return MouseButton::kNone;
  }
}

MouseButton HeldButtonFromState(uint16_t state) {
  if (state & kStateButton1) return MouseButton::kLeft;
  if (state & kStateButton3) return MouseButton::kRight;
  if (state & kStateButton2) return MouseButton::kMiddle;
  return MouseButton::kNone;
}

float WheelNotchesFromDetail(uint8_t detail) {
  if (detail == 4) return 1.0f;
  if (detail == 5) return -1.0f;
  return 0.0f;
}

void KeyboardMap::Assign(uint8_t minKeycode, int keysymsPerKeycode, std::vector<uint32_t> keysyms) {
  minKeycode_ = minKeycode;
  perKeycode_ = keysymsPerKeycode > 0 ? keysymsPerKeycode : 0;
  keysyms_ = std::move(keysyms);
}

uint32_t KeyboardMap::Entry(uint8_t keycode, int column) const {
  if (keycode < minKeycode_ || column >= perKeycode_) return kNoSymbol;
  const size_t index = size_t(keycode - minKeycode_) * size_t(perKeycode_) + size_t(column);
  return index < keysyms_.size() ? keysyms_[index] : kNoSymbol;
}

uint32_t KeyboardMap::Keysym(uint8_t keycode, uint16_t state) const {
  const bool altGr = (state & kStateMod5) && Entry(keycode, 4) != kNoSymbol;
  const int firstColumn = altGr ? 4 : 0;
  uint32_t lower = Entry(keycode, firstColumn);
  uint32_t upper = Entry(keycode, firstColumn + 1);
  if (upper == kNoSymbol) {
    // A single keysym stands for both cases of a letter.
    upper = UpperLatin1(lower);
    lower = LowerLatin1(lower);
  }
  const bool shift = (state & kStateShift) != 0;
  if ((state & kStateMod2) && IsKeypad(upper)) return shift ? lower : upper;
  if (shift) return upper;
  return (state & kStateLock) ? UpperLatin1(lower) : lower;
}

uint8_t KeyboardMap::KeycodeOf(uint32_t keysym) const {
  if (perKeycode_ == 0) return 0;
  const size_t count = keysyms_.size() / size_t(perKeycode_);
  for (size_t i = 0; i < count; ++i) {
    if (keysyms_[i * size_t(perKeycode_)] == keysym) return uint8_t(minKeycode_ + i);
  }
  return 0;
}

std::string Utf8FromCodePoint(uint32_t codePoint) {
  std::string text;
  if (codePoint < 0x80) {
    text += char(codePoint);
  } else if (codePoint < 0x800) {
    text += char(0xc0 | (codePoint >> 6));
    text += char(0x80 | (codePoint & 0x3f));
  } else if (codePoint < 0x10000) {
    text += char(0xe0 | (codePoint >> 12));
    text += char(0x80 | ((codePoint >> 6) & 0x3f));
    text += char(0x80 | (codePoint & 0x3f));
  } else if (codePoint <= 0x10ffff) {
    text += char(0xf0 | (codePoint >> 18));
    text += char(0x80 | ((codePoint >> 12) & 0x3f));
    text += char(0x80 | ((codePoint >> 6) & 0x3f));
    text += char(0x80 | (codePoint & 0x3f));
  }
  return text;
}

KeyEvent KeyEventFromKeysym(uint32_t keysym, uint32_t modifiers) {
  KeyEvent event;
  event.modifiers = modifiers;
  for (const auto& entry : kNamedKeys) {
    if (entry.keysym == keysym) {
      event.key = entry.key;
      return event;
    }
  }
  const uint32_t codePoint = CodePointOfKeysym(keysym);
  if (codePoint != 0) {
    event.key = Key::kCharacter;
    event.text = Utf8FromCodePoint(codePoint);
  }
  return event;
}

int DoubleClickDetector::Press(MouseButton button, Point position, uint32_t timeMs) {
  // Server times are milliseconds that wrap at 2^32: the unsigned difference stays right.
  const bool second = button == lastButton_ && uint32_t(timeMs - lastTimeMs_) <= kTimeMs &&
                      std::abs(position.x - lastPosition_.x) <= kDistancePixels &&
                      std::abs(position.y - lastPosition_.y) <= kDistancePixels;
  // A third quick press starts a new pair rather than counting on.
  lastButton_ = second ? MouseButton::kNone : button;
  lastPosition_ = position;
  lastTimeMs_ = timeMs;
  return second ? 2 : 1;
}

std::vector<Rect> SplitIntoStrips(const Rect& area, size_t maxRequestBytes, size_t headerBytes) {
  std::vector<Rect> strips;
  if (area.Empty() || maxRequestBytes < headerBytes + 4) return strips;
  const size_t pixelsPerRequest = (maxRequestBytes - headerBytes) / 4;
  const int tileWidth = int(std::min<size_t>(size_t(area.width), pixelsPerRequest));
  const int rowsPerTile =
      int(std::min<size_t>(size_t(area.height), pixelsPerRequest / size_t(tileWidth)));
  for (int y = area.y; y < area.Bottom(); y += rowsPerTile) {
    const int height = std::min(rowsPerTile, area.Bottom() - y);
    for (int x = area.x; x < area.Right(); x += tileWidth) {
      strips.push_back({x, y, std::min(tileWidth, area.Right() - x), height});
    }
  }
  return strips;
}

}  // namespace VGui::Platform::X11
