// Straight-alpha 8-bit colours, as skins write them ("#RRGGBB" or "#RRGGBBAA").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace VGui {

struct Colour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 255;

  Colour WithAlpha(uint8_t a) const { return {red, green, blue, a}; }
  bool Transparent() const { return alpha == 0; }
  friend bool operator==(const Colour&, const Colour&) = default;
};

// "#RRGGBB" or "#RRGGBBAA" (case-insensitive); nothing for any other text.
std::optional<Colour> ParseColour(std::string_view text);

}  // namespace VGui
