// The Windows drawing back end: GDI+ over a bitmap that shares the PixelImage's memory
// (PixelFormat32bppPARGB is the same premultiplied BGRA layout), anti-aliased, with pixel centres
// at half-integers as cairo has them, so integer rectangles cover whole pixels on both systems.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "support/gui/gdiplus/GdiplusCanvas.h"
#include "support/gui/gdiplus/GdiplusFonts.h"
#include "support/gui/gdiplus/GdiplusSession.h"
#include "support/gui/ImageRules.h"

namespace VGui {
namespace {

constexpr float kDegreesPerRadian = 180.0f / std::numbers::pi_v<float>;

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

bool Finite(const RectF& r) {
  return Finite({r.x, r.y, r.width, r.height});
}

bool HasPositiveSize(const RectF& r) {
  return r.width > 0.0f && r.height > 0.0f;
}

Gdiplus::Color ToColor(Colour c) {
  return Gdiplus::Color(c.alpha, c.red, c.green, c.blue);
}

Gdiplus::RectF ToRect(const RectF& r) {
  return Gdiplus::RectF(r.x, r.y, r.width, r.height);
}

void RoundedRectPath(Gdiplus::GraphicsPath& path, const RectF& r, float radius) {
  const float rad = std::clamp(radius, 0.0f, std::min(r.width, r.height) * 0.5f);
  if (rad <= 0.0f) {
    path.AddRectangle(ToRect(r));
    return;
  }
  const float d = 2.0f * rad;
  path.AddArc(r.Right() - d, r.y, d, d, 270.0f, 90.0f);
  path.AddArc(r.Right() - d, r.Bottom() - d, d, d, 0.0f, 90.0f);
  path.AddArc(r.x, r.Bottom() - d, d, d, 90.0f, 90.0f);
  path.AddArc(r.x, r.y, d, d, 180.0f, 90.0f);
  path.CloseFigure();
}

class GdiplusCanvas final : public Canvas {
 public:
  GdiplusCanvas(PixelImage& target, float scale)
      : scale_(std::isfinite(scale) && scale > 0.0f ? scale : 1.0f),
        fallback_(target.Empty() ? 1 : 0, target.Empty() ? 1 : 0),
        bitmap_(Surface(target).Width(), Surface(target).Height(), Surface(target).Stride(),
                PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(Surface(target).Data())),
        graphics_(&bitmap_) {
    graphics_.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics_.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics_.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics_.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    graphics_.ScaleTransform(scale_, scale_);
  }
  GdiplusCanvas(const GdiplusCanvas&) = delete;
  GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;
  ~GdiplusCanvas() override { graphics_.Flush(Gdiplus::FlushIntentionSync); }

  float Scale() const override { return scale_; }

  void Save() override { states_.push_back(graphics_.Save()); }
  void Restore() override {
    if (states_.empty()) return;
    graphics_.Restore(states_.back());
    states_.pop_back();
  }
  void Translate(float dx, float dy) override {
    if (Finite({dx, dy})) graphics_.TranslateTransform(dx, dy);
  }
  void ClipRect(const RectF& r) override {
    if (!Finite(r)) return;
    graphics_.IntersectClip(
        Gdiplus::RectF(r.x, r.y, std::max(0.0f, r.width), std::max(0.0f, r.height)));
  }
  void ClipPie(PointF centre, float radius, float startAngle, float endAngle) override {
    if (!Finite({centre.x, centre.y, radius, startAngle, endAngle}) || radius <= 0.0f) {
      graphics_.IntersectClip(Gdiplus::RectF(0.0f, 0.0f, 0.0f, 0.0f));
      return;
    }
    Gdiplus::GraphicsPath path;
    path.AddPie(centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius,
                startAngle * kDegreesPerRadian, (endAngle - startAngle) * kDegreesPerRadian);
    graphics_.SetClip(&path, Gdiplus::CombineModeIntersect);
  }

  void FillRect(const RectF& r, Colour c) override {
    if (!Finite(r) || !HasPositiveSize(r) || c.Transparent()) return;
    Gdiplus::SolidBrush brush(ToColor(c));
    graphics_.FillRectangle(&brush, ToRect(r));
  }
  void FillRoundedRect(const RectF& r, float radius, Colour c) override {
    if (!Finite(r) || !Finite({radius}) || !HasPositiveSize(r) || c.Transparent()) return;
    Gdiplus::GraphicsPath path;
    RoundedRectPath(path, r, radius);
    Gdiplus::SolidBrush brush(ToColor(c));
    graphics_.FillPath(&brush, &path);
  }
  void StrokeRoundedRect(const RectF& r, float radius, float lineWidth, Colour c) override {
    if (!Finite(r) || !Finite({radius}) || r.width < 0.0f || r.height < 0.0f) return;
    Gdiplus::GraphicsPath path;
    RoundedRectPath(path, r, radius);
    StrokePath(path, lineWidth, c);
  }
  void StrokeLine(PointF a, PointF b, float lineWidth, Colour c) override {
    if (!Finite({a.x, a.y, b.x, b.y})) return;
    Gdiplus::GraphicsPath path;
    path.AddLine(a.x, a.y, b.x, b.y);
    StrokePath(path, lineWidth, c);
  }
  void StrokePolyline(std::span<const PointF> points, float lineWidth, Colour c) override {
    std::vector<Gdiplus::PointF> converted;
    if (points.size() < 2 || !Convert(points, converted)) return;
    Gdiplus::GraphicsPath path;
    path.AddLines(converted.data(), INT(converted.size()));
    StrokePath(path, lineWidth, c);
  }
  void FillPolygon(std::span<const PointF> points, Colour c) override {
    std::vector<Gdiplus::PointF> converted;
    if (points.size() < 3 || c.Transparent() || !Convert(points, converted)) return;
    Gdiplus::SolidBrush brush(ToColor(c));
    graphics_.FillPolygon(&brush, converted.data(), INT(converted.size()),
                          Gdiplus::FillModeWinding);
  }
  void FillEllipse(const RectF& r, Colour c) override {
    if (!Finite(r) || !HasPositiveSize(r) || c.Transparent()) return;
    Gdiplus::SolidBrush brush(ToColor(c));
    graphics_.FillEllipse(&brush, ToRect(r));
  }
  void StrokeEllipse(const RectF& r, float lineWidth, Colour c) override {
    if (!Finite(r) || !HasPositiveSize(r)) return;
    Gdiplus::GraphicsPath path;
    path.AddEllipse(ToRect(r));
    StrokePath(path, lineWidth, c);
  }
  // GDI+ takes degrees and a signed sweep, clockwise on screen like the canvas's radians.
  void StrokeArc(PointF centre, float radius, float startAngle, float endAngle, float lineWidth,
                 Colour c) override {
    if (!Finite({centre.x, centre.y, radius, startAngle, endAngle}) || radius <= 0.0f) return;
    Gdiplus::GraphicsPath path;
    path.AddArc(centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius,
                startAngle * kDegreesPerRadian, (endAngle - startAngle) * kDegreesPerRadian);
    StrokePath(path, lineWidth, c);
  }
  void FillPie(PointF centre, float radius, float startAngle, float endAngle, Colour c) override {
    if (!Finite({centre.x, centre.y, radius, startAngle, endAngle}) || radius <= 0.0f) return;
    if (c.Transparent()) return;
    Gdiplus::SolidBrush brush(ToColor(c));
    graphics_.FillPie(&brush, centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius,
                      startAngle * kDegreesPerRadian, (endAngle - startAngle) * kDegreesPerRadian);
  }

  void DrawText(std::string_view text, const RectF& box, const Font& font, Colour c, HAlign h,
                VAlign v) override {
    if (text.empty() || c.Transparent() || !Finite(box) || !HasPositiveSize(box)) return;
    if (!Finite({font.size}) || font.size <= 0.0f) return;
    const std::wstring wide = GdiplusText::Wide(text);
    auto gdiFont = GdiplusText::MakeFont(font.bold, font.size);
    if (wide.empty() || !gdiFont) return;
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    // The canvas clips to the box itself: GDI+'s own clipping drops a line that is taller than
    // its layout rectangle altogether.
    format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap |
                          Gdiplus::StringFormatFlagsNoClip |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    format.SetTrimming(Gdiplus::StringTrimmingNone);
    format.SetAlignment(h == HAlign::kLeft     ? Gdiplus::StringAlignmentNear
                        : h == HAlign::kCentre ? Gdiplus::StringAlignmentCenter
                                               : Gdiplus::StringAlignmentFar);
    format.SetLineAlignment(v == VAlign::kTop      ? Gdiplus::StringAlignmentNear
                            : v == VAlign::kMiddle ? Gdiplus::StringAlignmentCenter
                                                   : Gdiplus::StringAlignmentFar);
    const Gdiplus::GraphicsState state = graphics_.Save();
    graphics_.IntersectClip(ToRect(box));
    Gdiplus::SolidBrush brush(ToColor(c));
    // Twice the line spacing: Wine's GDI+ wants more than one line's spacing for a line.
    const RectF layout = LayoutBox(box, Measure(wide, *gdiFont) + 1.0f,
                                   2.0f * GdiplusText::LineSpacing(font.bold, font.size), h, v);
    graphics_.DrawString(wide.c_str(), INT(wide.size()), gdiFont.get(), ToRect(layout), &format,
                         &brush);
    graphics_.Restore(state);
  }

  float TextWidth(std::string_view text, const Font& font) override {
    if (text.empty() || !Finite({font.size}) || font.size <= 0.0f) return 0.0f;
    const std::wstring wide = GdiplusText::Wide(text);
    auto gdiFont = GdiplusText::MakeFont(font.bold, font.size);
    if (wide.empty() || !gdiFont) return 0.0f;
    return Measure(wide, *gdiFont);
  }

  void DrawImage(const ImageSet& set, const RectF& source, const RectF& dest,
                 float opacity) override {
    if (!Finite(source) || !Finite(dest) || !Finite({opacity})) return;
    if (!HasPositiveSize(source) || !HasPositiveSize(dest) || opacity <= 0.0f) return;
    const ChosenImage chosen = ChooseImage(set, scale_);
    if (!chosen.image) return;
    const PixelImage& image = *chosen.image;
    const int left = std::clamp(int(std::lround(source.x * chosen.density)), 0, image.Width());
    const int top = std::clamp(int(std::lround(source.y * chosen.density)), 0, image.Height());
    const int right =
        std::clamp(int(std::lround(source.Right() * chosen.density)), left, image.Width());
    const int bottom =
        std::clamp(int(std::lround(source.Bottom() * chosen.density)), top, image.Height());
    if (right <= left || bottom <= top) return;
    // A bitmap over just the source pixels: scaling then cannot blend in a film strip's
    // neighbouring frames, and the mirrored wrap mode keeps the edges from fading out.
    auto* first = const_cast<uint32_t*>(image.Row(top) + left);
    Gdiplus::Bitmap part(right - left, bottom - top, image.Stride(), PixelFormat32bppPARGB,
                         reinterpret_cast<BYTE*>(first));
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    if (opacity < 1.0f) {
      Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                      {0, 1, 0, 0, 0},
                                      {0, 0, 1, 0, 0},
                                      {0, 0, 0, opacity, 0},
                                      {0, 0, 0, 0, 1}}};
      attributes.SetColorMatrix(&matrix);
    }
    const bool oneToOne = std::abs(dest.width * scale_ - float(right - left)) < 0.01f &&
                          std::abs(dest.height * scale_ - float(bottom - top)) < 0.01f;
    const Gdiplus::GraphicsState state = graphics_.Save();
    graphics_.SetInterpolationMode(oneToOne ? Gdiplus::InterpolationModeNearestNeighbor
                                            : Gdiplus::InterpolationModeHighQualityBilinear);
    graphics_.IntersectClip(ToRect(dest));
    graphics_.DrawImage(&part, ToRect(dest), 0.0f, 0.0f, float(right - left), float(bottom - top),
                        Gdiplus::UnitPixel, &attributes);
    graphics_.Restore(state);
  }

 private:
  // The box grown about its aligned edges to hold the whole line: GDI+ lays out nothing that
  // does not fit its rectangle, and the canvas clips to the box itself.
  static RectF LayoutBox(const RectF& box, float width, float line, HAlign h, VAlign v) {
    RectF layout = box;
    if (layout.width < width) {
      const float grow = width - layout.width;
      layout.x -= h == HAlign::kLeft ? 0.0f : h == HAlign::kCentre ? grow * 0.5f : grow;
      layout.width = width;
    }
    if (layout.height < line) {
      const float grow = line - layout.height;
      layout.y -= v == VAlign::kTop ? 0.0f : v == VAlign::kMiddle ? grow * 0.5f : grow;
      layout.height = line;
    }
    return layout;
  }

  float Measure(const std::wstring& wide, const Gdiplus::Font& font) {
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    Gdiplus::RectF bounds;
    graphics_.MeasureString(wide.c_str(), INT(wide.size()), &font, Gdiplus::PointF(0.0f, 0.0f),
                            &format, &bounds);
    return bounds.Width;
  }

  PixelImage& Surface(PixelImage& target) { return target.Empty() ? fallback_ : target; }

  void StrokePath(Gdiplus::GraphicsPath& path, float lineWidth, Colour c) {
    if (!Finite({lineWidth}) || lineWidth <= 0.0f || c.Transparent()) return;
    Gdiplus::Pen pen(ToColor(c), lineWidth);
    pen.SetLineJoin(Gdiplus::LineJoinRound);
    pen.SetStartCap(Gdiplus::LineCapFlat);
    pen.SetEndCap(Gdiplus::LineCapFlat);
    graphics_.DrawPath(&pen, &path);
  }

  static bool Convert(std::span<const PointF> points, std::vector<Gdiplus::PointF>& out) {
    out.reserve(points.size());
    for (const PointF& p : points) {
      if (!Finite({p.x, p.y})) return false;
      out.emplace_back(p.x, p.y);
    }
    return true;
  }

  float scale_;
  GdiplusSession::Scope session_;
  PixelImage fallback_;  // drawn into when the target is empty
  Gdiplus::Bitmap bitmap_;
  Gdiplus::Graphics graphics_;
  std::vector<Gdiplus::GraphicsState> states_;
};

}  // namespace

std::unique_ptr<Canvas> GdiplusBackEnd::MakeCanvas(PixelImage& target, float scale) {
  return std::make_unique<GdiplusCanvas>(target, scale);
}

std::unique_ptr<Canvas> MakeCanvas(PixelImage& target, float scale) {
  return GdiplusBackEnd::MakeCanvas(target, scale);
}

}  // namespace VGui
