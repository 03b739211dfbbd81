// FreeType from memory rather than fontconfig: the first text costs under a millisecond, the
// output does not depend on the user's font configuration, and an empty fontconfig still draws
// letters instead of boxes.
#include "support/gui/cairo/CairoFonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "support/Log.h"
#include "support/gui/fonts/EmbeddedFont.h"

namespace VGui::CairoText {
namespace {

struct Faces {
  cairo_font_face_t* regular = nullptr;
  cairo_font_face_t* bold = nullptr;
};

cairo_font_face_t* LoadFace(FT_Library library, bool bold) {
  const std::span<const uint8_t> bytes = EmbeddedFont(bold);
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(library, bytes.data(), FT_Long(bytes.size()), 0, &face) != 0) {
    VFoundation::Log("Could not load the embedded %s font\n", bold ? "bold" : "regular");
    return nullptr;
  }
  cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
  if (cairo_font_face_status(cairoFace) != CAIRO_STATUS_SUCCESS) {
    VFoundation::Log("Could not make a cairo face of the embedded %s font\n",
                     bold ? "bold" : "regular");
    cairo_font_face_destroy(cairoFace);
    FT_Done_Face(face);
    return nullptr;
  }
  return cairoFace;
}

// Deliberately leaked: FreeType's library and faces must outlive every cairo cache entry that
// points at them, and cairo's caches live as long as the process.
Faces LoadFaces() {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    VFoundation::Log("Could not start FreeType\n");
    return {};
  }
  return {LoadFace(library, false), LoadFace(library, true)};
}

}  // namespace

cairo_font_face_t* Face(bool bold) {
  static const Faces faces = LoadFaces();
  return bold ? faces.bold : faces.regular;
}

bool Select(cairo_t* cr, bool bold, float size) {
  cairo_font_face_t* face = Face(bold);
  if (!face) return false;
  cairo_set_font_face(cr, face);
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  // Unhinted advances keep a text's logical width the same at every scale.
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  return true;
}

std::string ValidUtf8(std::string_view text) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = uint8_t(text[i]);
    int length = 0;
    uint32_t code = 0;
    if (lead < 0x80) {
      length = 1;
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code = lead & 0x07;
    }
    bool valid = length > 0 && i + size_t(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = uint8_t(text[i + size_t(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
    static constexpr uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    valid = valid && code >= kSmallest[length] && code <= 0x10FFFF &&
            !(code >= 0xD800 && code <= 0xDFFF);
    if (!valid) {
      out += kReplacement;
      ++i;
      continue;
    }
    if (code != 0) out.append(text.substr(i, size_t(length)));
    i += size_t(length);
  }
  return out;
}

}  // namespace VGui::CairoText
