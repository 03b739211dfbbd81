#include "tools/art/Logo.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <numbers>

#include "tools/art/Palette.h"

namespace TavoArt {
namespace {

constexpr double kPi = std::numbers::pi;

void DrawEmblem(cairo_t* cr) {
  const double cx = 14, cy = 14, r = 12;
  cairo_pattern_t* disc = cairo_pattern_create_linear(0, cy - r, 0, cy + r);
  AddStop(disc, 0.0, Palette::kBodyLight);
  AddStop(disc, 1.0, Palette::kBodyDark);
  cairo_set_source(cr, disc);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(disc);
  cairo_set_line_width(cr, 1.5);
  SetRgb(cr, Palette::kValue);
  cairo_arc(cr, cx, cy, r - 0.75, 0, 2 * kPi);
  cairo_stroke(cr);
  // A saw wave that a low-pass filter rounds off towards the right.
  cairo_save(cr);
  cairo_arc(cr, cx, cy, r - 2, 0, 2 * kPi);
  cairo_clip(cr);
  cairo_set_line_width(cr, 1.8);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  SetRgb(cr, Palette::kModulation);
  for (int i = 0; i <= 40; ++i) {
    const double t = i / 40.0;
    const double x = cx - 9 + 18 * t;
    const double phase = std::fmod(t * 2.0, 1.0);
    const double softness = 0.05 + 0.25 * t;
    const double y = cy + 5.0 * (std::tanh((phase - 0.5) / softness) / std::tanh(0.5 / softness));
    if (i == 0) {
      cairo_move_to(cr, x, y);
    } else {
      cairo_line_to(cr, x, y);
    }
  }
  cairo_stroke(cr);
  cairo_restore(cr);
}

void DrawName(cairo_t* cr, cairo_font_face_t* face) {
  cairo_set_font_face(cr, face);
  cairo_set_font_size(cr, 19.0);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  // Letter-spaced capitals, one glyph at a time.
  double x = 33.0;
  for (const char* letter : {"T", "A", "V", "O"}) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, letter, &extents);
    SetRgb(cr, Palette::kValue);
    cairo_move_to(cr, x, 21.0);
    cairo_show_text(cr, letter);
    x += extents.x_advance + 2.5;
  }
}

}  // namespace

cairo_font_face_t* LoadFontFace(const std::filesystem::path& fontFile) {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  FT_Face face = nullptr;
  if (!library || FT_New_Face(library, fontFile.c_str(), 0, &face) != 0) {
    std::fprintf(stderr, "tavo-art: could not read the font %s\n", fontFile.c_str());
    return nullptr;
  }
  return cairo_ft_font_face_create_for_ft_face(face, 0);
}

Picture LogoPicture(cairo_font_face_t* face) {
  return {"Images/Logo", kLogoWidth, kLogoHeight, [face](cairo_t* cr) {
            DrawEmblem(cr);
            if (face) DrawName(cr, face);
          }};
}

}  // namespace TavoArt
