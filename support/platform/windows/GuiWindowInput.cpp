// Windows: virtual-key, character, wheel and cursor-pixel translations of the child window.
#include "support/platform/windows/GuiWindowInput.h"

namespace VGui::Platform::Win32 {

namespace {

// Virtual-key codes of winuser.h, spelled out so that this file needs no Windows header.
struct NamedVirtualKey {
  uint32_t virtualKey;
  Key key;
};

constexpr NamedVirtualKey kNamedKeys[] = {
    {0x08, Key::kBackspace}, {0x09, Key::kTab},      {0x0d, Key::kReturn}, {0x1b, Key::kEscape},
    {0x21, Key::kPageUp},    {0x22, Key::kPageDown}, {0x23, Key::kEnd},    {0x24, Key::kHome},
    {0x25, Key::kLeft},      {0x26, Key::kUp},       {0x27, Key::kRight},  {0x28, Key::kDown},
    {0x2e, Key::kDelete},
};

constexpr uint16_t kHighSurrogateFirst = 0xd800;
constexpr uint16_t kLowSurrogateFirst = 0xdc00;
constexpr uint16_t kSurrogateLast = 0xdfff;

std::string Utf8(uint32_t codePoint) {
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
  } else {
    text += char(0xf0 | (codePoint >> 18));
    text += char(0x80 | ((codePoint >> 12) & 0x3f));
    text += char(0x80 | ((codePoint >> 6) & 0x3f));
    text += char(0x80 | (codePoint & 0x3f));
  }
  return text;
}

}  // namespace

Key NamedKeyFromVirtualKey(uint32_t virtualKey) {
  for (const auto& entry : kNamedKeys) {
    if (entry.virtualKey == virtualKey) return entry.key;
  }
  return Key::kNone;
}

char ShortcutLetterFromVirtualKey(uint32_t virtualKey) {
  // 'A'..'Z' are their own virtual-key codes.
  return virtualKey >= 'A' && virtualKey <= 'Z' ? char(virtualKey - 'A' + 'a') : '\0';
}

std::string CharacterAssembler::Add(uint16_t unit) {
  if (unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst) {
    highSurrogate_ = unit;
    return {};
  }
  if (unit >= kLowSurrogateFirst && unit <= kSurrogateLast) {
    const uint16_t high = highSurrogate_;
    highSurrogate_ = 0;
    if (high == 0) return {};
    return Utf8(0x10000u + ((uint32_t(high) - kHighSurrogateFirst) << 10) +
                (uint32_t(unit) - kLowSurrogateFirst));
  }
  highSurrogate_ = 0;
  // Control codes come with the named keys' WM_KEYDOWN already.
  if (unit < 0x20 || unit == 0x7f) return {};
  return Utf8(unit);
}

float WheelNotches(int16_t delta) {
  return float(delta) / 120.0f;
}

std::vector<uint32_t> StraightAlphaPixels(const PixelImage& image) {
  std::vector<uint32_t> pixels(image.Data(),
                               image.Data() + size_t(image.Width()) * size_t(image.Height()));
  for (auto& pixel : pixels) {
    const uint32_t alpha = pixel >> 24;
    if (alpha == 0 || alpha == 255) continue;
    auto channel = [&](int shift) {
      const uint32_t value = ((pixel >> shift) & 0xffu) * 255u + alpha / 2;
      const uint32_t straight = value / alpha;
      return (straight > 255u ? 255u : straight) << shift;
    };
    pixel = alpha << 24 | channel(16) | channel(8) | channel(0);
  }
  return pixels;
}

}  // namespace VGui::Platform::Win32
