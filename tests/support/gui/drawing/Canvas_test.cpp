// Shapes, clipping, state and images of the OS's drawing back end, checked pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "tests/support/gui/drawing/BackEnd.h"

namespace DrawingTest {
namespace {

using VGui::Canvas;
using VGui::ImageSet;
using VGui::PointF;
using VGui::RectF;

constexpr Colour kOpaqueRed{255, 0, 0, 255};
constexpr uint32_t kOpaqueRedPixel = 0xFFFF0000u;
constexpr float kPi = std::numbers::pi_v<float>;

struct RectCase {
  float scale;
  RectF rect;  // logical
  float translateX, translateY;
  int deviceLeft, deviceTop, deviceRight, deviceBottom;  // the pixels it must cover
};

class FilledRect : public testing::TestWithParam<RectCase> {};

TEST_P(FilledRect, CoversExactlyItsPixels) {
  const RectCase& c = GetParam();
  const PixelImage image = Drawn(20, 12, c.scale, [&](Canvas& canvas) {
    canvas.Translate(c.translateX, c.translateY);
    canvas.FillRect(c.rect, kOpaqueRed);
  });
  int wrong = 0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const bool inside =
          x >= c.deviceLeft && x < c.deviceRight && y >= c.deviceTop && y < c.deviceBottom;
      wrong += image.At(x, y) != (inside ? kOpaqueRedPixel : kTransparent);
    }
  }
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, FilledRect,
                         testing::Values(RectCase{1.0f, {3, 2, 5, 4}, 0, 0, 3, 2, 8, 6},
                                         RectCase{2.0f, {3, 2, 5, 4}, 0, 0, 6, 4, 16, 12},
                                         RectCase{1.0f, {0, 0, 20, 12}, 0, 0, 0, 0, 20, 12},
                                         RectCase{2.0f, {1, 1, 2, 3}, 4, 2, 10, 6, 14, 12},
                                         RectCase{1.0f, {-5, -5, 7, 6}, 0, 0, 0, 0, 2, 1}));

TEST(Canvas, HalfWhiteOverTransparentIsPremultiplied) {
  const PixelImage image = Drawn(4, 4, 1.0f, [](Canvas& canvas) {
    canvas.FillRect({0, 0, 4, 4}, Colour{255, 255, 255, 128});
  });
  EXPECT_EQ(image.At(0, 0), 0x80808080u);
  EXPECT_EQ(image.At(3, 3), 0x80808080u);
}

TEST(Canvas, TranslucentColourOverOpaqueBlends) {
  const PixelImage image = Drawn(2, 2, 1.0f, [](Canvas& canvas) {
    canvas.FillRect({0, 0, 2, 2}, Colour{0, 0, 255, 255});
    canvas.FillRect({0, 0, 2, 2}, Colour{255, 0, 0, 128});
  });
  const uint32_t p = image.At(1, 1);
  EXPECT_EQ(Alpha(p), 255u);
  EXPECT_NEAR(double(Red(p)), 128.0, 1.0);
  EXPECT_NEAR(double(Blue(p)), 127.0, 1.0);
  EXPECT_EQ(Green(p), 0u);
}

// The toolkit's MakeCanvas must reach the real back end (a stand-in that records calls draws no
// pixels).
TEST(Canvas, MakeCanvasDrawsWithTheBackEnd) {
  PixelImage image(4, 4);
  {
    auto canvas = VGui::MakeCanvas(image, 1.0f);
    canvas->FillRect({0, 0, 4, 4}, kOpaqueRed);
  }
  EXPECT_EQ(image.At(2, 2), kOpaqueRedPixel);
}

TEST(Canvas, ClipLimitsDrawingAndRestoreLiftsIt) {
  const PixelImage image = Drawn(10, 10, 1.0f, [](Canvas& canvas) {
    canvas.Save();
    canvas.Translate(2, 2);
    canvas.ClipRect({0, 0, 3, 3});
    canvas.FillRect({-2, -2, 10, 10}, kOpaqueRed);
    canvas.Restore();
    // Origin and clip are back: this lands at 8,8 unclipped.
    canvas.FillRect({8, 8, 2, 2}, Colour{0, 255, 0, 255});
  });
  EXPECT_EQ(InkOf(image).count, 9 + 4);
  EXPECT_EQ(image.At(2, 2), kOpaqueRedPixel);
  EXPECT_EQ(image.At(4, 4), kOpaqueRedPixel);
  EXPECT_EQ(image.At(5, 5), kTransparent);
  EXPECT_EQ(image.At(9, 9), 0xFF00FF00u);
}

// A canvas that stopped drawing after one bad call would leave the editor blank until closed.
TEST(Canvas, BadNumbersAndUnbalancedRestoreDoNotStopDrawing) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const PixelImage image = Drawn(8, 8, 1.0f, [&](Canvas& canvas) {
    canvas.Restore();
    canvas.Restore();
    canvas.Translate(kNaN, kInf);
    canvas.ClipRect({kNaN, 0, 4, 4});
    canvas.FillRect({kNaN, 0, 4, 4}, kOpaqueRed);
    canvas.FillRoundedRect({0, 0, 4, 4}, kInf, kOpaqueRed);
    canvas.StrokeLine({0, 0}, {kInf, 3}, 1.0f, kOpaqueRed);
    canvas.StrokeLine({0, 0}, {3, 3}, kNaN, kOpaqueRed);
    canvas.StrokeArc({4, 4}, -3.0f, 0, 1, 1, kOpaqueRed);
    canvas.FillPie({4, 4}, 3.0f, kNaN, 1, kOpaqueRed);
    canvas.FillEllipse({0, 0, -4, 4}, kOpaqueRed);
    canvas.DrawText("x", {0, 0, 8, 8}, VGui::Font{kNaN, false}, kOpaqueRed);
    const PointF few[] = {{0, 0}, {kNaN, 1}, {2, 2}};
    canvas.FillPolygon(few, kOpaqueRed);
    canvas.FillRect({6, 6, 2, 2}, Colour{0, 0, 255, 255});
  });
  EXPECT_EQ(InkOf(image).count, 4);
  EXPECT_EQ(image.At(7, 7), 0xFF0000FFu);
}

TEST(Canvas, EmptyTargetIsHarmless) {
  PixelImage empty;
  auto canvas = BackEnd::MakeCanvas(empty, 2.0f);
  canvas->FillRect({0, 0, 10, 10}, kOpaqueRed);
  canvas->DrawText("text", {0, 0, 10, 10}, {}, kOpaqueRed);
  EXPECT_GT(canvas->TextWidth("text", {}), 0.0f);
  EXPECT_EQ(canvas->Scale(), 2.0f);
}

struct Quadrant {
  const char* name;
  float start, end;  // radians, clockwise from 3 o'clock
  int insideX, insideY;
  int outsideX, outsideY;
};

// On a 40 x 40 image around 20,20 with radius 15: angle 0 is 3 o'clock, pi/2 is 6 o'clock (y
// grows downwards), and a negative sweep covers the same ground backwards.
const Quadrant kQuadrants[] = {
    {"LowerRight", 0.0f, kPi / 2, 28, 28, 12, 12},
    {"LowerRightBackwards", kPi / 2, 0.0f, 28, 28, 12, 28},
    {"UpperHalf", kPi, 2 * kPi, 20, 8, 20, 30},
    {"UpperLeft", -kPi, -kPi / 2, 12, 12, 28, 12},
};

class Arcs : public testing::TestWithParam<Quadrant> {};

TEST_P(Arcs, PieCoversTheSweptQuadrantOnly) {
  const Quadrant& q = GetParam();
  const PixelImage image = Drawn(40, 40, 1.0f, [&](Canvas& canvas) {
    canvas.FillPie({20, 20}, 15.0f, q.start, q.end, kOpaqueRed);
  });
  EXPECT_EQ(image.At(q.insideX, q.insideY), kOpaqueRedPixel);
  EXPECT_EQ(image.At(q.outsideX, q.outsideY), kTransparent);
}

TEST_P(Arcs, StrokedArcRunsThroughTheMiddleOfItsSweep) {
  const Quadrant& q = GetParam();
  const PixelImage image = Drawn(40, 40, 1.0f, [&](Canvas& canvas) {
    canvas.StrokeArc({20, 20}, 15.0f, q.start, q.end, 4.0f, kOpaqueRed);
  });
  const float middle = (q.start + q.end) * 0.5f;
  const float opposite = middle + kPi;
  const auto at = [&](float angle) {
    return image.At(int(20.0f + 15.0f * std::cos(angle)), int(20.0f + 15.0f * std::sin(angle)));
  };
  EXPECT_EQ(Alpha(at(middle)), 255u);
  EXPECT_EQ(at(opposite), kTransparent);
  EXPECT_EQ(image.At(20, 20), kTransparent);
}

INSTANTIATE_TEST_SUITE_P(Angles, Arcs, testing::ValuesIn(kQuadrants),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Canvas, EllipseFillsItsMiddleNotItsCorners) {
  const PixelImage image = Drawn(30, 20, 2.0f, [](Canvas& canvas) {
    canvas.FillEllipse({0, 0, 30, 20}, kOpaqueRed);
  });
  EXPECT_EQ(image.At(30, 20), kOpaqueRedPixel);
  EXPECT_EQ(image.At(2, 20), kOpaqueRedPixel);  // the left end of the long axis
  EXPECT_EQ(image.At(0, 0), kTransparent);
  EXPECT_EQ(image.At(59, 39), kTransparent);
  // Area pi * 15 * 10 logical pixels, four device pixels each.
  const double area = 4.0 * std::numbers::pi * 150.0;
  EXPECT_NEAR(Coverage(image), area, area * kCurvedAreaTolerance);
}

TEST(Canvas, RoundedRectLeavesItsCornersOpen) {
  const PixelImage image = Drawn(20, 20, 1.0f, [](Canvas& canvas) {
    canvas.FillRoundedRect({0, 0, 20, 20}, 6.0f, kOpaqueRed);
  });
  EXPECT_EQ(image.At(0, 0), kTransparent);
  EXPECT_EQ(image.At(19, 19), kTransparent);
  EXPECT_EQ(image.At(10, 0), kOpaqueRedPixel);
  EXPECT_EQ(image.At(0, 10), kOpaqueRedPixel);
}

TEST(Canvas, StrokeIsCentredOnThePath) {
  // A 2-pixel line along y = 5 covers rows 4 and 5 only.
  const PixelImage image = Drawn(10, 10, 1.0f, [](Canvas& canvas) {
    canvas.StrokeLine({0, 5}, {10, 5}, 2.0f, kOpaqueRed);
  });
  const Ink ink = InkOf(image);
  EXPECT_EQ(ink.top, 4);
  EXPECT_EQ(ink.bottom, 6);
  EXPECT_EQ(image.At(5, 4), kOpaqueRedPixel);
  EXPECT_EQ(image.At(5, 5), kOpaqueRedPixel);
}

TEST(Canvas, PolygonAndPolylineDrawWhereTheirPointsAre) {
  const PointF triangle[] = {{0, 0}, {10, 0}, {0, 10}};
  const PointF zigzag[] = {{12, 2}, {18, 8}, {12, 14}};
  const PixelImage image = Drawn(20, 20, 1.0f, [&](Canvas& canvas) {
    canvas.FillPolygon(triangle, kOpaqueRed);
    canvas.StrokePolyline(zigzag, 2.0f, kOpaqueRed);
  });
  EXPECT_EQ(image.At(2, 2), kOpaqueRedPixel);
  EXPECT_EQ(image.At(8, 8), kTransparent);
  EXPECT_GT(Alpha(image.At(15, 5)), 128u);
  EXPECT_GT(Alpha(image.At(15, 10)), 128u);
  EXPECT_EQ(image.At(12, 8), kTransparent);  // the polyline stays open
}

// The displays' traces: a sloped line keeps its weight and its soft edges at every zoom (the
// drawing back end may rasterise long traces more coarsely on dense screens, never jaggedly).
TEST(Canvas, SlopedTraceKeepsItsWeightAndSoftEdgesAtEveryZoom) {
  const PointF trace[] = {{2, 4}, {22, 14}, {42, 24}};
  const double length = 2.0 * std::hypot(20.0, 10.0);
  for (const float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
    const PixelImage image = Drawn(
        44, 28, scale, [&](Canvas& canvas) { canvas.StrokePolyline(trace, 2.0f, kOpaqueRed); });
    const double area = length * 2.0 * scale * scale;
    EXPECT_NEAR(Coverage(image), area, area * kStrokeWeightTolerance) << scale;
    if (!kSoftLineEdges) continue;
    int softPixels = 0;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        const uint32_t alpha = Alpha(image.At(x, y));
        softPixels += alpha > 0 && alpha < 255 ? 1 : 0;
      }
    }
    EXPECT_GT(softPixels, int(length * scale)) << scale;  // both edges antialiased along the way
  }
}

// A sample-and-hold history as the displays stroke it: steps, repeated points and a zero-length
// segment, at the editor's zooms. Each back end must draw it and come back.
TEST(Canvas, SteppedTraceWithRepeatedPointsDrawsAtEveryZoom) {
  std::vector<PointF> trace;
  for (int column = 0; column < 136; ++column) {
    const float level = float((column * 37) % 11) * 4.0f + 4.0f;
    trace.push_back({float(column), level});
    trace.push_back({float(column), level});
    trace.push_back({float(column) + 0.5f, level});
  }
  for (const float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
    const PixelImage image = Drawn(
        136, 52, scale, [&](Canvas& canvas) { canvas.StrokePolyline(trace, 2.0f, kOpaqueRed); });
    const Ink ink = InkOf(image);
    EXPECT_LE(ink.top, int(6 * scale)) << scale;
    EXPECT_GE(ink.bottom, int(42 * scale)) << scale;
  }
}

// An image set whose standard and dense images differ in colour, 4 x 4 logical pixels.
ImageSet TwoColourSet(uint32_t standard, uint32_t dense) {
  auto one = std::make_shared<PixelImage>(4, 4);
  auto two = std::make_shared<PixelImage>(8, 8);
  std::fill(one->Data(), one->Data() + 16, standard);
  std::fill(two->Data(), two->Data() + 64, dense);
  return {one, two};
}

struct ImageCase {
  float scale;
  bool withStandard, withDense;
  uint32_t expected;
};

class ImageChoice : public testing::TestWithParam<ImageCase> {};

TEST_P(ImageChoice, PicksTheImageForTheScale) {
  const ImageCase& c = GetParam();
  ImageSet set = TwoColourSet(0xFF0000FFu, 0xFF00FF00u);
  if (!c.withStandard) set.standard.reset();
  if (!c.withDense) set.dense.reset();
  EXPECT_EQ(set.LogicalSize(), (VGui::Size{4, 4}));
  const PixelImage image = Drawn(6, 6, c.scale, [&](Canvas& canvas) {
    canvas.DrawImage(set, {0, 0, 4, 4}, {1, 1, 4, 4});
  });
  const int one = int(c.scale);
  EXPECT_EQ(image.At(one, one), c.expected);
  EXPECT_EQ(image.At(5 * one - 1, 5 * one - 1), c.expected);
  EXPECT_EQ(image.At(0, 0), kTransparent);
  EXPECT_EQ(image.At(5 * one, 5 * one), kTransparent);
  EXPECT_EQ(InkOf(image).count, 16 * one * one);
}

INSTANTIATE_TEST_SUITE_P(Scales, ImageChoice,
                         testing::Values(ImageCase{1.0f, true, true, 0xFF0000FFu},
                                         ImageCase{2.0f, true, true, 0xFF00FF00u},
                                         ImageCase{2.0f, true, false, 0xFF0000FFu},
                                         ImageCase{1.0f, false, true, 0xFF00FF00u}));

// A film strip of three 4 x 4 frames in three colours: a frame drawn scaled shows its own colour
// only, up to its edges.
TEST(Canvas, FilmStripFrameDoesNotBleedIntoItsNeighbours) {
  auto strip = std::make_shared<PixelImage>(4, 12);
  const uint32_t colours[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  for (int y = 0; y < 12; ++y) std::fill(strip->Row(y), strip->Row(y) + 4, colours[y / 4]);
  const ImageSet set{strip, nullptr};
  for (float scale : {1.0f, 2.0f}) {
    const PixelImage image = Drawn(12, 12, scale, [&](Canvas& canvas) {
      canvas.DrawImage(set, {0, 4, 4, 4}, {0, 0, 12, 12});
    });
    int other = 0;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) other += image.At(x, y) != colours[1];
    }
    EXPECT_EQ(other, 0) << "scale " << scale;
  }
}

TEST(Canvas, ImageOpacityScalesEveryChannel) {
  const ImageSet set = TwoColourSet(0xFFFFFFFFu, 0xFFFFFFFFu);
  const PixelImage image = Drawn(4, 4, 1.0f, [&](Canvas& canvas) {
    canvas.DrawImage(set, {0, 0, 4, 4}, {0, 0, 4, 4}, 0.5f);
  });
  const uint32_t p = image.At(2, 2);
  EXPECT_NEAR(double(Alpha(p)), 128.0, 1.0);
  EXPECT_EQ(Red(p), Alpha(p));
  EXPECT_EQ(Blue(p), Alpha(p));
}

}  // namespace
}  // namespace DrawingTest
