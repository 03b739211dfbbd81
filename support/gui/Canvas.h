// The one drawing interface of the toolkit, with a back end per OS: cairo with FreeType on Linux
// and GDI+ on Windows (support/gui/cairo, support/gui/gdiplus). Both draw into a PixelImage the
// caller owns, so a headless render and the window show the same pixels. Controls draw in logical
// pixels; the canvas applies the scale factor it was made with. GUI thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Colour.h"
#include "support/gui/Geometry.h"
#include "support/gui/PixelImage.h"

namespace VGui {

// The toolkit links one typeface (DejaVu Sans, regular and bold) into the library, so text looks
// the same whatever fonts the user's machine has.
struct Font {
  float size = 11.0f;  // logical pixels (the em height)
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

enum class HAlign { kLeft, kCentre, kRight };
enum class VAlign { kTop, kMiddle, kBottom };

// A shared, read-only image, either given decoded or decoded by a function on first use: the 2x
// skin images are needed only above 100 %, and decoding them all made the first open slow. Copies
// share the image and its single decode, so image sets the controls keep stay valid. A deferred
// image whose decode fails reads as null. Any thread (the decode runs once, under a once flag).
class ImagePtr {
 public:
  using Decode = std::function<std::shared_ptr<const PixelImage>()>;

  ImagePtr() = default;
  ImagePtr(std::nullptr_t) {}
  template <class Image>
  ImagePtr(std::shared_ptr<Image> image) : image_(std::move(image)) {}
  // Decoded by decode when first read. any thread
  static ImagePtr Deferred(Decode decode) {
    ImagePtr deferred;
    deferred.lazy_ = std::make_shared<Lazy>();
    deferred.lazy_->decode = std::move(decode);
    return deferred;
  }

  // Reading decodes a deferred image. any thread
  const PixelImage* get() const {
    if (!lazy_) return image_.get();
    std::call_once(lazy_->once, [lazy = lazy_.get()] {
      if (lazy->decode) lazy->image = lazy->decode();
      lazy->decode = nullptr;
      lazy->decoded.store(true, std::memory_order_release);
    });
    return lazy_->image.get();
  }
  const PixelImage& operator*() const { return *get(); }
  const PixelImage* operator->() const { return get(); }
  explicit operator bool() const { return get() != nullptr; }
  void reset() { *this = ImagePtr(); }
  // False for a deferred image not read yet. any thread
  bool Decoded() const { return !lazy_ || lazy_->decoded.load(std::memory_order_acquire); }
  friend bool operator==(const ImagePtr& a, const ImagePtr& b) { return a.get() == b.get(); }

 private:
  struct Lazy {
    std::once_flag once;
    std::atomic<bool> decoded{false};
    Decode decode;
    std::shared_ptr<const PixelImage> image;
  };
  std::shared_ptr<const PixelImage> image_;
  std::shared_ptr<Lazy> lazy_;
};

// An image at one or more resolutions: `standard` for scale 1, `dense` (twice the pixels) for
// scales above 1. Logical size is the standard image's. Either may be empty when missing.
struct ImageSet {
  ImagePtr standard;
  ImagePtr dense;
  bool Empty() const { return !standard && !dense; }
  // Logical size: the standard image's, or half the dense one's.
  Size LogicalSize() const {
    if (standard && !standard->Empty()) return {standard->Width(), standard->Height()};
    if (dense && !dense->Empty()) return {dense->Width() / 2, dense->Height() / 2};
    return {};
  }
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual float Scale() const = 0;

  // Save/Restore nest; they cover the origin and the clip.
  virtual void Save() = 0;
  virtual void Restore() = 0;
  virtual void Translate(float dx, float dy) = 0;
  // Narrows the clip to the rectangle (current coordinates).
  virtual void ClipRect(const RectF& r) = 0;
  // Narrows the clip to the pie (circle sector) swept from startAngle to endAngle, with FillPie's
  // angles: radians clockwise from 3 o'clock, clockwise when endAngle > startAngle and
  // anticlockwise otherwise. A non-finite argument or a radius <= 0 clips everything away.
  virtual void ClipPie(PointF centre, float radius, float startAngle, float endAngle) = 0;

  virtual void FillRect(const RectF& r, Colour c) = 0;
  virtual void FillRoundedRect(const RectF& r, float radius, Colour c) = 0;
  virtual void StrokeRoundedRect(const RectF& r, float radius, float lineWidth, Colour c) = 0;
  virtual void StrokeLine(PointF a, PointF b, float lineWidth, Colour c) = 0;
  virtual void StrokePolyline(std::span<const PointF> points, float lineWidth, Colour c) = 0;
  virtual void FillPolygon(std::span<const PointF> points, Colour c) = 0;
  virtual void FillEllipse(const RectF& r, Colour c) = 0;
  virtual void StrokeEllipse(const RectF& r, float lineWidth, Colour c) = 0;
  // Angles in radians, clockwise from 3 o'clock (screen coordinates, y down).
  virtual void StrokeArc(PointF centre, float radius, float startAngle, float endAngle,
                         float lineWidth, Colour c) = 0;
  virtual void FillPie(PointF centre, float radius, float startAngle, float endAngle, Colour c) = 0;

  // UTF-8 text on one line inside box, aligned; clipped to the box.
  virtual void DrawText(std::string_view text, const RectF& box, const Font& font, Colour c,
                        HAlign h = HAlign::kLeft, VAlign v = VAlign::kMiddle) = 0;
  virtual float TextWidth(std::string_view text, const Font& font) = 0;

  // Draws the source rectangle of the image (logical pixels of the image set) into dest, taking
  // the dense image when the scale is above 1 and it exists. opacity 0..1.
  virtual void DrawImage(const ImageSet& image, const RectF& source, const RectF& dest,
                         float opacity = 1.0f) = 0;
};

// A canvas of the OS's back end drawing into target, whose pixel size must be the logical size
// times scale. The target outlives the canvas. GUI thread.
std::unique_ptr<Canvas> MakeCanvas(PixelImage& target, float scale);

// Decodes a PNG file's bytes into premultiplied pixels with the OS's back end; an empty image
// (and a log line naming `what`) when the bytes are not a PNG it can read. GUI thread.
PixelImage DecodePng(std::span<const uint8_t> bytes, std::string_view what);

// Encodes the image as PNG bytes (screenshots, the image tool); empty on failure. GUI thread.
std::vector<uint8_t> EncodePng(const PixelImage& image);

}  // namespace VGui
