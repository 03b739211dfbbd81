// Text of the OS's drawing back end with the embedded typeface: placement inside the box,
// alignment, widths, and bad input.
#include <gtest/gtest.h>

#include <string>

#include "support/gui/fonts/EmbeddedFont.h"
#include "tests/support/gui/drawing/BackEnd.h"

#ifndef _WIN32
#include "support/gui/cairo/CairoFonts.h"
#endif

namespace DrawingTest {
namespace {

using VGui::Canvas;
using VGui::Font;
using VGui::HAlign;
using VGui::RectF;
using VGui::VAlign;

constexpr Colour kWhite{255, 255, 255, 255};

TEST(EmbeddedFont, HoldsTwoTrueTypeFaces) {
  for (bool bold : {false, true}) {
    const auto bytes = VGui::EmbeddedFont(bold);
    ASSERT_GT(bytes.size(), 100000u);
    // A TrueType file starts with the version 1.0 tag.
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x00);
  }
  EXPECT_NE(VGui::EmbeddedFont(false).size(), VGui::EmbeddedFont(true).size());
}

struct TextCase {
  const char* name;
  float scale;
  HAlign h;
  VAlign v;
};

class TextPlacement : public testing::TestWithParam<TextCase> {};

// The box sits in the middle of a larger image: every inked pixel must fall inside it, and the
// ink must sit at the side the alignment names.
TEST_P(TextPlacement, DrawsInsideItsBoxAtTheAlignedSide) {
  const TextCase& c = GetParam();
  const RectF box(20, 10, 100, 24);
  const PixelImage image = Drawn(140, 44, c.scale, [&](Canvas& canvas) {
    canvas.DrawText("Cutoff 440 Hz", box, Font{11.0f, false}, kWhite, c.h, c.v);
  });
  const Ink ink = InkOf(image);
  const float s = c.scale;
  ASSERT_GT(ink.count, int(40 * s * s));
  EXPECT_GE(ink.left, int(box.x * s));
  EXPECT_GE(ink.top, int(box.y * s));
  EXPECT_LE(ink.right, int(box.Right() * s));
  EXPECT_LE(ink.bottom, int(box.Bottom() * s));

  const float inkMiddleX = (float(ink.left) + float(ink.right)) * 0.5f / s;
  const float inkMiddleY = (float(ink.top) + float(ink.bottom)) * 0.5f / s;
  switch (c.h) {
    case HAlign::kLeft:
      EXPECT_LE(float(ink.left) / s, box.x + 2.0f);
      break;
    case HAlign::kCentre:
      EXPECT_NEAR(inkMiddleX, box.Centre().x, 2.0f);
      break;
    case HAlign::kRight:
      EXPECT_GE(float(ink.right) / s, box.Right() - 2.0f);
      break;
  }
  switch (c.v) {
    case VAlign::kTop:
      EXPECT_LE(float(ink.top) / s, box.y + 4.0f);
      break;
    case VAlign::kMiddle:
      EXPECT_NEAR(inkMiddleY, box.Centre().y, 2.5f);
      break;
    case VAlign::kBottom:
      EXPECT_GE(float(ink.bottom) / s, box.Bottom() - 5.0f);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, TextPlacement,
    testing::Values(TextCase{"LeftMiddle", 1.0f, HAlign::kLeft, VAlign::kMiddle},
                    TextCase{"CentreMiddle", 1.0f, HAlign::kCentre, VAlign::kMiddle},
                    TextCase{"RightMiddle", 1.0f, HAlign::kRight, VAlign::kMiddle},
                    TextCase{"LeftTop", 1.0f, HAlign::kLeft, VAlign::kTop},
                    TextCase{"RightBottom", 1.0f, HAlign::kRight, VAlign::kBottom},
                    TextCase{"CentreMiddleDense", 2.0f, HAlign::kCentre, VAlign::kMiddle},
                    TextCase{"LeftBottomDense", 2.0f, HAlign::kLeft, VAlign::kBottom}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Text, IsClippedToASmallBox) {
  const RectF box(5, 5, 12, 8);
  const PixelImage image = Drawn(60, 20, 1.0f, [&](Canvas& canvas) {
    canvas.DrawText("A long label that does not fit", box, Font{11.0f, false}, kWhite);
  });
  const Ink ink = InkOf(image);
  EXPECT_GT(ink.count, 0);
  EXPECT_GE(ink.left, 5);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.right, 17);
  EXPECT_LE(ink.bottom, 13);
}

TEST(Text, WidthGrowsWithTheText) {
  PixelImage image(10, 10);
  auto canvas = BackEnd::MakeCanvas(image, 1.0f);
  const Font font{11.0f, false};
  float previous = 0.0f;
  for (const char* text : {"", "W", "Wi", "Wid", "Width", "Width 12.5 dB"}) {
    const float width = canvas->TextWidth(text, font);
    if (*text == '\0') {
      EXPECT_EQ(width, 0.0f);
    } else {
      EXPECT_GT(width, previous) << text;
    }
    previous = width;
  }
  // About 0.6 em per character for these letters and digits.
  EXPECT_NEAR(canvas->TextWidth("Width 12.5 dB", font), 13 * 11.0f * 0.6f, 20.0f);
}

TEST(Text, WidthFollowsSizeAndWeightNotScale) {
  PixelImage one(10, 10);
  PixelImage two(20, 20);
  auto standard = BackEnd::MakeCanvas(one, 1.0f);
  auto dense = BackEnd::MakeCanvas(two, 2.0f);
  const char* text = "Resonance";
  const float regular = standard->TextWidth(text, {11.0f, false});
  EXPECT_GT(standard->TextWidth(text, {11.0f, true}), regular);
  EXPECT_NEAR(standard->TextWidth(text, {22.0f, false}), 2.0f * regular,
              2.0f * regular * kTextWidthTolerance);
  // Layout is in logical pixels: the same at every scale.
  EXPECT_NEAR(dense->TextWidth(text, {11.0f, false}), regular, regular * kTextWidthTolerance);
}

TEST(Text, InkMatchesTheMeasuredWidth) {
  const char* text = "Drive";
  float measured = 0.0f;
  const PixelImage image = Drawn(100, 20, 1.0f, [&](Canvas& canvas) {
    measured = canvas.TextWidth(text, {11.0f, false});
    canvas.DrawText(text, {0, 0, 100, 20}, {11.0f, false}, kWhite);
  });
  const Ink ink = InkOf(image);
  EXPECT_NEAR(float(ink.right - ink.left), measured, 3.0f);
}

// Names may come from preset files: broken UTF-8 must not stop the canvas from drawing.
TEST(Text, BrokenUtf8DrawsAndLeavesTheCanvasWorking) {
  const std::string broken = std::string("ab\xff\xfe") + '\0' + "\xc3(\xed\xa0\x80z";
  float width = 0.0f;
  const PixelImage image = Drawn(80, 20, 1.0f, [&](Canvas& canvas) {
    width = canvas.TextWidth(broken, {11.0f, false});
    canvas.DrawText(broken, {0, 0, 60, 20}, {11.0f, false}, kWhite);
    canvas.FillRect({70, 0, 10, 20}, Colour{255, 0, 0, 255});
  });
  EXPECT_GT(width, 0.0f);
  EXPECT_GT(InkOf(image).count, 200 + 10);
  EXPECT_EQ(image.At(75, 10), 0xFFFF0000u);
}

#ifndef _WIN32
struct Utf8Case {
  std::string in;
  std::string out;
};

class ValidUtf8 : public testing::TestWithParam<Utf8Case> {};

TEST_P(ValidUtf8, ReplacesWhatIsNotUtf8) {
  EXPECT_EQ(VGui::CairoText::ValidUtf8(GetParam().in), GetParam().out);
}

const std::string kReplacement = "\xEF\xBF\xBD";
INSTANTIATE_TEST_SUITE_P(
    Sequences, ValidUtf8,
    testing::Values(Utf8Case{"plain", "plain"}, Utf8Case{"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
                    Utf8Case{"\xE2\x82\xAC \xF0\x9F\x8E\xB9", "\xE2\x82\xAC \xF0\x9F\x8E\xB9"},
                    Utf8Case{"a\xFF"
                             "b",
                             "a" + kReplacement + "b"},
                    Utf8Case{"\xC3", kReplacement},                     // cut short
                    Utf8Case{"\xC0\xAF", kReplacement + kReplacement},  // overlong "/"
                    Utf8Case{"\xED\xA0\x80", kReplacement + kReplacement + kReplacement},
                    Utf8Case{"\xF4\x90\x80\x80", kReplacement + kReplacement + kReplacement +
                                                     kReplacement},  // past U+10FFFF
                    Utf8Case{std::string("a\0b", 3), "ab"}));
#endif

}  // namespace
}  // namespace DrawingTest
