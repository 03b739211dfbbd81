// The drawing back end of this OS by name (the tests must not draw with a stand-in), and pixel
// helpers for the drawing suites.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "support/Log.h"
#include "support/Paths.h"
#include "support/gui/Canvas.h"

#ifdef _WIN32
#include "support/gui/gdiplus/GdiplusCanvas.h"
#else
#include "support/gui/cairo/CairoCanvas.h"
#endif

namespace DrawingTest {

// Where the back ends may differ: GDI+ as Wine runs it fills curves and strokes lines without
// anti-aliasing (its ellipses come out a little small, a sloped line up to 12 % heavier or lighter
// by where its pixel steps fall), measures text in whole device pixels, and rounds each channel
// once more between premultiplied and straight alpha when it writes a PNG. Cairo's coarser
// rasteriser for long traces at 2x draws them about 3.5 % heavier.
#ifdef _WIN32
namespace BackEnd = VGui::GdiplusBackEnd;
constexpr double kCurvedAreaTolerance = 0.04;
constexpr double kStrokeWeightTolerance = 0.15;
constexpr bool kSoftLineEdges = false;
constexpr float kTextWidthTolerance = 0.07f;
constexpr int kPngChannelTolerance = 1;
#else
namespace BackEnd = VGui::CairoBackEnd;
constexpr double kCurvedAreaTolerance = 0.005;
constexpr double kStrokeWeightTolerance = 0.05;
constexpr bool kSoftLineEdges = true;
constexpr float kTextWidthTolerance = 0.01f;
constexpr int kPngChannelTolerance = 0;
#endif

using VGui::Colour;
using VGui::PixelImage;

constexpr uint32_t kTransparent = 0x00000000u;

inline uint32_t Alpha(uint32_t pixel) {
  return pixel >> 24;
}
inline uint32_t Red(uint32_t pixel) {
  return (pixel >> 16) & 0xFF;
}
inline uint32_t Green(uint32_t pixel) {
  return (pixel >> 8) & 0xFF;
}
inline uint32_t Blue(uint32_t pixel) {
  return pixel & 0xFF;
}

// Pixels that are not fully transparent, and their bounding box (exclusive right and bottom).
struct Ink {
  int count = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};

inline Ink InkOf(const PixelImage& image) {
  Ink ink{0, image.Width(), image.Height(), 0, 0};
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      if (Alpha(image.At(x, y)) == 0) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x + 1);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  }
  return ink;
}

// The summed opacity of the image in pixels: the area a shape covers, anti-aliased edges
// counted by their share.
inline double Coverage(const PixelImage& image) {
  double sum = 0.0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) sum += Alpha(image.At(x, y)) / 255.0;
  }
  return sum;
}

// The image as a canvas of the back end draws it; the canvas is gone (and flushed) on return.
template <typename Draw>
PixelImage Drawn(int logicalWidth, int logicalHeight, float scale, Draw draw) {
  PixelImage image(int(float(logicalWidth) * scale), int(float(logicalHeight) * scale));
  {
    auto canvas = BackEnd::MakeCanvas(image, scale);
    draw(*canvas);
  }
  return image;
}

// The run-time log's text so far (the log file is shared by the whole run).
inline std::string LogText() {
  VFoundation::RuntimeLog::Flush();
  std::ifstream file(VApplication::Paths::FromUtf8(VFoundation::RuntimeLog::FilePath()),
                     std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace DrawingTest
