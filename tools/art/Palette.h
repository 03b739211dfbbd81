// The editor's dark theme as the image program paints it: the same colours as the skins'
// GlobalStyles.skin, so images and vector-drawn controls sit together.
#pragma once

#include <cairo.h>

#include <cstdint>

namespace TavoArt {

struct Rgb {
  double r, g, b;
};

constexpr Rgb Hex(uint32_t rgb) {
  return {double((rgb >> 16) & 0xFF) / 255.0, double((rgb >> 8) & 0xFF) / 255.0,
          double(rgb & 0xFF) / 255.0};
}

inline void SetRgb(cairo_t* cr, Rgb c, double alpha = 1.0) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

inline void AddStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

namespace Palette {
constexpr Rgb kPanel = Hex(0x1C1F25);
constexpr Rgb kWell = Hex(0x0D0F12);
constexpr Rgb kBody = Hex(0x2B2F37);
constexpr Rgb kBodyLight = Hex(0x454B57);
constexpr Rgb kBodyDark = Hex(0x1A1D22);
constexpr Rgb kEdge = Hex(0x3B404A);
constexpr Rgb kText = Hex(0xD5DAE1);
constexpr Rgb kPointer = Hex(0xF4F6F9);
constexpr Rgb kValue = Hex(0xF2A03D);       // the orange of a control's value
constexpr Rgb kModulation = Hex(0x38C7B2);  // the teal of modulation
constexpr Rgb kBlack = Hex(0x000000);
constexpr Rgb kWhite = Hex(0xFFFFFF);
}  // namespace Palette

}  // namespace TavoArt
