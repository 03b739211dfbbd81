#include "tools/art/Knob.h"

#include <cmath>
#include <numbers>

#include "tools/art/Palette.h"

namespace TavoArt {
namespace {

constexpr double kPi = std::numbers::pi;

void Arc(cairo_t* cr, const KnobGeometry& g, double radius, double from, double to) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, g.centre, g.centre, radius, KnobAngle(from), KnobAngle(to));
}

void DrawBack(cairo_t* cr, const KnobGeometry& g) {
  // Drop shadow of the body, offset down as if lit from above.
  cairo_pattern_t* shadow = cairo_pattern_create_radial(
      g.centre, g.centre + 1.2, g.bodyRadius * 0.6, g.centre, g.centre + 1.2, g.bodyRadius + 2.5);
  AddStop(shadow, 0.0, Palette::kBlack, 0.6);
  AddStop(shadow, 1.0, Palette::kBlack, 0.0);
  cairo_set_source(cr, shadow);
  cairo_arc(cr, g.centre, g.centre + 1.2, g.bodyRadius + 2.5, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(shadow);

  // The groove the value arc runs in.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, g.grooveWidth);
  SetRgb(cr, Palette::kWell);
  Arc(cr, g, g.grooveRadius, 0.0, 1.0);
  cairo_stroke(cr);

  // Body: a shallow dome, lighter at the top.
  cairo_pattern_t* body =
      cairo_pattern_create_linear(0, g.centre - g.bodyRadius, 0, g.centre + g.bodyRadius);
  AddStop(body, 0.0, Palette::kBodyLight);
  AddStop(body, 0.55, Palette::kBody);
  AddStop(body, 1.0, Palette::kBodyDark);
  cairo_set_source(cr, body);
  cairo_arc(cr, g.centre, g.centre, g.bodyRadius, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(body);

  // Cap face and rim highlight.
  const double face = g.bodyRadius * 0.78;
  cairo_pattern_t* cap =
      cairo_pattern_create_radial(g.centre, g.centre - face * 0.5, 0, g.centre, g.centre, face);
  AddStop(cap, 0.0, Palette::kBodyLight);
  AddStop(cap, 1.0, Palette::kBody);
  cairo_set_source(cr, cap);
  cairo_arc(cr, g.centre, g.centre, face, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(cap);
  cairo_set_line_width(cr, 1.0);
  SetRgb(cr, Palette::kWhite, 0.12);
  cairo_arc(cr, g.centre, g.centre, g.bodyRadius - 0.5, kPi * 1.1, kPi * 1.9);
  cairo_stroke(cr);
  SetRgb(cr, Palette::kBlack, 0.5);
  cairo_arc(cr, g.centre, g.centre, g.bodyRadius - 0.5, 0, 2 * kPi);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
}

void DrawModulationBack(cairo_t* cr, const KnobGeometry& g) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_width(cr, g.grooveWidth);
  SetRgb(cr, Palette::kModulation, 0.85);
  cairo_new_sub_path(cr);
  cairo_arc(cr, g.centre, g.centre, g.grooveRadius, 0, 2 * kPi);
  cairo_stroke(cr);
}

void DrawValue(cairo_t* cr, const KnobGeometry& g, double value) {
  // The value arc is narrower than the groove, so a modulation range under it stays visible.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_width(cr, g.grooveWidth * 0.55);
  SetRgb(cr, Palette::kValue);
  if (value > 0.0) {
    Arc(cr, g, g.grooveRadius, 0.0, value);
    cairo_stroke(cr);
  }
  const double angle = KnobAngle(value);
  const double inner = g.bodyRadius * 0.3;
  const double outer = g.bodyRadius * 0.86;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, std::max(1.5, g.bodyRadius * 0.16));
  SetRgb(cr, Palette::kPointer);
  cairo_move_to(cr, g.centre + inner * std::cos(angle), g.centre + inner * std::sin(angle));
  cairo_line_to(cr, g.centre + outer * std::cos(angle), g.centre + outer * std::sin(angle));
  cairo_stroke(cr);
}

void DrawLiveValue(cairo_t* cr, const KnobGeometry& g, double value) {
  const double angle = KnobAngle(value);
  const double x = g.centre + g.grooveRadius * std::cos(angle);
  const double y = g.centre + g.grooveRadius * std::sin(angle);
  const double radius = g.grooveWidth * 0.55;
  SetRgb(cr, Palette::kBlack, 0.55);
  cairo_arc(cr, x, y, radius + 0.7, 0, 2 * kPi);
  cairo_fill(cr);
  SetRgb(cr, Palette::kWhite);
  cairo_arc(cr, x, y, radius, 0, 2 * kPi);
  cairo_fill(cr);
  SetRgb(cr, Palette::kModulation);
  cairo_arc(cr, x, y, radius * 0.55, 0, 2 * kPi);
  cairo_fill(cr);
}

void DrawGlow(cairo_t* cr, const KnobGeometry& g) {
  cairo_pattern_t* glow = cairo_pattern_create_radial(g.centre, g.centre, g.bodyRadius * 0.9,
                                                      g.centre, g.centre, g.centre);
  AddStop(glow, 0.0, Palette::kModulation, 0.0);
  AddStop(glow, 0.35, Palette::kModulation, 0.28);
  AddStop(glow, 1.0, Palette::kModulation, 0.0);
  cairo_set_source(cr, glow);
  cairo_arc(cr, g.centre, g.centre, g.centre, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);
}

}  // namespace

const std::vector<KnobStyle>& KnobStyles() {
  static const std::vector<KnobStyle> styles = {{"Small", 36}, {"Medium", 42}, {"Large", 50}};
  return styles;
}

KnobGeometry KnobGeometryFor(int size) {
  const double half = size * 0.5;
  const double grooveWidth = std::round(size * 0.09 * 2.0) / 2.0;
  const double grooveRadius = half - 1.0 - grooveWidth * 0.5;
  return {half, grooveRadius, grooveWidth, grooveRadius - grooveWidth * 0.5 - size * 0.07};
}

std::vector<Picture> KnobPictures(const KnobStyle& style) {
  const KnobGeometry g = KnobGeometryFor(style.size);
  const std::string folder = "Images/Smart/Knob/" + style.folder + "/";
  const int s = style.size;
  return {
      {folder + "DialNoModBack", s, s, [g](cairo_t* cr) { DrawBack(cr, g); }},
      {folder + "DialModBack", s, s, [g](cairo_t* cr) { DrawModulationBack(cr, g); }},
      {folder + "DialModGlow", s, s, [g](cairo_t* cr) { DrawGlow(cr, g); }},
      FilmStrip(folder + "DialTop", s, s, kKnobFrames,
                [g](cairo_t* cr, double value) { DrawValue(cr, g, value); }),
      FilmStrip(folder + "DialMod", s, s, kKnobFrames,
                [g](cairo_t* cr, double value) { DrawLiveValue(cr, g, value); }),
  };
}

}  // namespace TavoArt
