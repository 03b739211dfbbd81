// The Linux drawing back end: cairo over an image surface that shares the PixelImage's memory
// (both are premultiplied 32-bit ARGB in native byte order, so nothing is copied or converted).
// cairo puts a context into a permanent error state on a singular matrix, an unbalanced restore or
// invalid UTF-8, after which it draws nothing; every operation therefore refuses non-finite
// numbers and the canvas keeps its own save depth.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "support/gui/cairo/CairoCanvas.h"
#include "support/gui/cairo/CairoFonts.h"
#include "support/gui/ImageRules.h"

namespace VGui {
namespace {

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

bool Finite(const RectF& r) {
  return Finite({r.x, r.y, r.width, r.height});
}

void SetColour(cairo_t* cr, Colour c) {
  cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void RoundedRectPath(cairo_t* cr, const RectF& r, float radius) {
  const double rad = std::clamp(double(radius), 0.0, std::min(r.width, r.height) * 0.5);
  if (rad <= 0.0) {
    cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    return;
  }
  constexpr double kQuarter = std::numbers::pi / 2.0;
  cairo_new_sub_path(cr);
  cairo_arc(cr, r.Right() - rad, r.y + rad, rad, -kQuarter, 0.0);
  cairo_arc(cr, r.Right() - rad, r.Bottom() - rad, rad, 0.0, kQuarter);
  cairo_arc(cr, r.x + rad, r.Bottom() - rad, rad, kQuarter, 2.0 * kQuarter);
  cairo_arc(cr, r.x + rad, r.y + rad, rad, 2.0 * kQuarter, 3.0 * kQuarter);
  cairo_close_path(cr);
}

void EllipsePath(cairo_t* cr, const RectF& r) {
  cairo_save(cr);
  cairo_translate(cr, r.x + r.width * 0.5, r.y + r.height * 0.5);
  cairo_scale(cr, r.width * 0.5, r.height * 0.5);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * std::numbers::pi);
  cairo_restore(cr);
}

// The arc swept from start to end: clockwise when end > start, anticlockwise otherwise, as GDI+
// takes a signed sweep.
void ArcPath(cairo_t* cr, PointF centre, float radius, float startAngle, float endAngle) {
  if (endAngle >= startAngle) {
    cairo_arc(cr, centre.x, centre.y, radius, startAngle, endAngle);
  } else {
    cairo_arc_negative(cr, centre.x, centre.y, radius, startAngle, endAngle);
  }
}

bool HasPositiveSize(const RectF& r) {
  return r.width > 0.0f && r.height > 0.0f;
}

class CairoCanvas final : public Canvas {
 public:
  CairoCanvas(PixelImage& target, float scale)
      : scale_(std::isfinite(scale) && scale > 0.0f ? scale : 1.0f),
        surface_(target.Empty()
                     ? cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0)
                     : cairo_image_surface_create_for_data(
                           reinterpret_cast<unsigned char*>(target.Data()), CAIRO_FORMAT_ARGB32,
                           target.Width(), target.Height(), target.Stride())),
        cr_(cairo_create(surface_)) {
    cairo_scale(cr_, scale_, scale_);
  }
  ~CairoCanvas() override {
    cairo_destroy(cr_);
    // Pending drawing reaches the PixelImage's memory before the caller looks at it.
    cairo_surface_flush(surface_);
    cairo_surface_destroy(surface_);
  }
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  float Scale() const override { return scale_; }

  void Save() override {
    cairo_save(cr_);
    ++depth_;
  }
  void Restore() override {
    if (depth_ == 0) return;
    cairo_restore(cr_);
    --depth_;
  }
  void Translate(float dx, float dy) override {
    if (Finite({dx, dy})) cairo_translate(cr_, dx, dy);
  }
  void ClipRect(const RectF& r) override {
    if (!Finite(r)) return;
    cairo_rectangle(cr_, r.x, r.y, std::max(0.0f, r.width), std::max(0.0f, r.height));
    cairo_clip(cr_);
  }
  void ClipPie(PointF centre, float radius, float startAngle, float endAngle) override {
    if (!Finite({centre.x, centre.y, radius, startAngle, endAngle}) || radius <= 0.0f) {
      cairo_new_path(cr_);
      cairo_rectangle(cr_, 0.0, 0.0, 0.0, 0.0);
      cairo_clip(cr_);
      return;
    }
    cairo_new_path(cr_);
    PiePath(centre, radius, startAngle, endAngle);
    cairo_clip(cr_);
  }

  void FillRect(const RectF& r, Colour c) override {
    if (!Finite(r) || !HasPositiveSize(r) || c.Transparent()) return;
    cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
    Fill(c);
  }
  void FillRoundedRect(const RectF& r, float radius, Colour c) override {
    if (!Finite(r) || !Finite({radius}) || !HasPositiveSize(r) || c.Transparent()) return;
    RoundedRectPath(cr_, r, radius);
    Fill(c);
  }
  void StrokeRoundedRect(const RectF& r, float radius, float lineWidth, Colour c) override {
    if (!Finite(r) || !Finite({radius}) || r.width < 0.0f || r.height < 0.0f) return;
    RoundedRectPath(cr_, r, radius);
    Stroke(lineWidth, c);
  }
  void StrokeLine(PointF a, PointF b, float lineWidth, Colour c) override {
    if (!Finite({a.x, a.y, b.x, b.y})) return;
    cairo_move_to(cr_, a.x, a.y);
    cairo_line_to(cr_, b.x, b.y);
    Stroke(lineWidth, c);
  }
  void StrokePolyline(std::span<const PointF> points, float lineWidth, Colour c) override {
    if (points.size() < 2 || !PolygonPath(points)) return;
    // A long trace is the costliest thing a frame draws. From 2x on, the fast rasteriser's coarser
    // coverage steps are below what the eye resolves, and a busy display's trace costs a third
    // less.
    cairo_set_antialias(cr_, scale_ >= 2.0f ? CAIRO_ANTIALIAS_FAST : CAIRO_ANTIALIAS_DEFAULT);
    Stroke(lineWidth, c);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_DEFAULT);
  }
  void FillPolygon(std::span<const PointF> points, Colour c) override {
    if (points.size() < 3 || !PolygonPath(points)) return;
    cairo_close_path(cr_);
    Fill(c);
  }
  void FillEllipse(const RectF& r, Colour c) override {
    if (!Finite(r) || !HasPositiveSize(r) || c.Transparent()) return;
    EllipsePath(cr_, r);
    Fill(c);
  }
  void StrokeEllipse(const RectF& r, float lineWidth, Colour c) override {
    if (!Finite(r) || !HasPositiveSize(r)) return;
    EllipsePath(cr_, r);
    Stroke(lineWidth, c);
  }
  void StrokeArc(PointF centre, float radius, float startAngle, float endAngle, float lineWidth,
                 Colour c) override {
    if (!Finite({centre.x, centre.y, radius, startAngle, endAngle}) || radius <= 0.0f) return;
    cairo_new_sub_path(cr_);
    ArcPath(cr_, centre, radius, startAngle, endAngle);
    Stroke(lineWidth, c);
  }
  void FillPie(PointF centre, float radius, float startAngle, float endAngle, Colour c) override {
    if (!Finite({centre.x, centre.y, radius, startAngle, endAngle}) || radius <= 0.0f) return;
    if (c.Transparent()) return;
    PiePath(centre, radius, startAngle, endAngle);
    Fill(c);
  }

  void DrawText(std::string_view text, const RectF& box, const Font& font, Colour c, HAlign h,
                VAlign v) override {
    if (text.empty() || c.Transparent() || !Finite(box) || !HasPositiveSize(box)) return;
    if (!Finite({font.size}) || font.size <= 0.0f) return;
    const std::string valid = CairoText::ValidUtf8(text);
    cairo_save(cr_);
    if (CairoText::Select(cr_, font.bold, font.size)) {
      cairo_rectangle(cr_, box.x, box.y, box.width, box.height);
      cairo_clip(cr_);
      cairo_font_extents_t fontExtents;
      cairo_font_extents(cr_, &fontExtents);
      cairo_text_extents_t textExtents;
      cairo_text_extents(cr_, valid.c_str(), &textExtents);
      const double x = AlignedX(box, textExtents.x_advance, h);
      const double y = Baseline(box, fontExtents, v);
      cairo_move_to(cr_, x, y);
      SetColour(cr_, c);
      cairo_show_text(cr_, valid.c_str());
    }
    cairo_restore(cr_);
  }

  float TextWidth(std::string_view text, const Font& font) override {
    if (text.empty() || !Finite({font.size}) || font.size <= 0.0f) return 0.0f;
    const std::string valid = CairoText::ValidUtf8(text);
    cairo_save(cr_);
    float width = 0.0f;
    if (CairoText::Select(cr_, font.bold, font.size)) {
      cairo_text_extents_t extents;
      cairo_text_extents(cr_, valid.c_str(), &extents);
      width = float(extents.x_advance);
    }
    cairo_restore(cr_);
    return width;
  }

  void DrawImage(const ImageSet& set, const RectF& source, const RectF& dest,
                 float opacity) override {
    if (!Finite(source) || !Finite(dest) || !Finite({opacity})) return;
    if (!HasPositiveSize(source) || !HasPositiveSize(dest) || opacity <= 0.0f) return;
    const ChosenImage chosen = ChooseImage(set, scale_);
    // The placement arithmetic runs in cairo's doubles.
    const double density = chosen.density;
    if (!chosen.image) return;
    const PixelImage& image = *chosen.image;
    // Whole pixels of the chosen image, inside it: a film-strip frame must not pick up its
    // neighbours' edges when scaled, hence a sub-surface with padded (not repeated) edges.
    const double left = std::clamp(std::round(source.x * density), 0.0, double(image.Width()));
    const double top = std::clamp(std::round(source.y * density), 0.0, double(image.Height()));
    const double right =
        std::clamp(std::round(source.Right() * density), left, double(image.Width()));
    const double bottom =
        std::clamp(std::round(source.Bottom() * density), top, double(image.Height()));
    if (right <= left || bottom <= top) return;
    cairo_surface_t* whole = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.Data())), CAIRO_FORMAT_ARGB32,
        image.Width(), image.Height(), image.Stride());
    cairo_surface_t* part =
        cairo_surface_create_for_rectangle(whole, left, top, right - left, bottom - top);
    cairo_save(cr_);
    cairo_rectangle(cr_, dest.x, dest.y, dest.width, dest.height);
    cairo_clip(cr_);
    cairo_translate(cr_, dest.x, dest.y);
    cairo_scale(cr_, dest.width / (right - left), dest.height / (bottom - top));
    cairo_set_source_surface(cr_, part, 0.0, 0.0);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    cairo_paint_with_alpha(cr_, std::min(1.0f, opacity));
    cairo_restore(cr_);
    cairo_surface_destroy(part);
    cairo_surface_destroy(whole);
  }

 private:
  void Fill(Colour c) {
    SetColour(cr_, c);
    cairo_fill(cr_);
  }

  void Stroke(float lineWidth, Colour c) {
    if (!Finite({lineWidth}) || lineWidth <= 0.0f || c.Transparent()) {
      cairo_new_path(cr_);
      return;
    }
    SetColour(cr_, c);
    cairo_set_line_width(cr_, lineWidth);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr_);
  }

  void PiePath(PointF centre, float radius, float startAngle, float endAngle) {
    cairo_move_to(cr_, centre.x, centre.y);
    ArcPath(cr_, centre, radius, startAngle, endAngle);
    cairo_close_path(cr_);
  }

  bool PolygonPath(std::span<const PointF> points) {
    for (const PointF& p : points) {
      if (!Finite({p.x, p.y})) return false;
    }
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x, points[i].y);
    return true;
  }

  static double AlignedX(const RectF& box, double width, HAlign h) {
    switch (h) {
      case HAlign::kLeft:
        return box.x;
      case HAlign::kCentre:
        return box.x + (box.width - width) * 0.5;
      case HAlign::kRight:
        return box.Right() - width;
    }
    return box.x;
  }

  static double Baseline(const RectF& box, const cairo_font_extents_t& font, VAlign v) {
    switch (v) {
      case VAlign::kTop:
        return box.y + font.ascent;
      case VAlign::kMiddle:
        return box.y + (box.height - (font.ascent + font.descent)) * 0.5 + font.ascent;
      case VAlign::kBottom:
        return box.Bottom() - font.descent;
    }
    return box.y + font.ascent;
  }

  float scale_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  int depth_ = 0;
};

}  // namespace

std::unique_ptr<Canvas> CairoBackEnd::MakeCanvas(PixelImage& target, float scale) {
  return std::make_unique<CairoCanvas>(target, scale);
}

std::unique_ptr<Canvas> MakeCanvas(PixelImage& target, float scale) {
  return CairoBackEnd::MakeCanvas(target, scale);
}

}  // namespace VGui
