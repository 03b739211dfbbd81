// A 32-bit image in the one pixel format both drawing back ends and both window systems share:
// premultiplied alpha, each pixel one uint32_t 0xAARRGGBB in native byte order (cairo's ARGB32,
// GDI+'s PARGB32, the X server's and GDI's 32-bit BGRA on little-endian machines). Straight alpha
// handed to either back end would draw halos around every anti-aliased edge.
#pragma once

#include <cstdint>
#include <vector>

#include "support/gui/Geometry.h"

namespace VGui {

class PixelImage {
 public:
  PixelImage() = default;
  // Transparent black. Sizes below 0 count as 0.
  PixelImage(int width, int height)
      : width_(width > 0 ? width : 0),
        height_(height > 0 ? height : 0),
        pixels_(size_t(width_) * size_t(height_), 0u) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return pixels_.empty(); }
  // Bytes per row; rows are packed.
  int Stride() const { return width_ * 4; }
  uint32_t* Data() { return pixels_.data(); }
  const uint32_t* Data() const { return pixels_.data(); }
  uint32_t* Row(int y) { return pixels_.data() + size_t(y) * size_t(width_); }
  const uint32_t* Row(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }
  uint32_t At(int x, int y) const { return Row(y)[x]; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

}  // namespace VGui
