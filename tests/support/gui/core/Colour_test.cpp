// Skin colour texts.
#include <gtest/gtest.h>

#include "support/gui/Colour.h"

namespace {

struct ColourCase {
  const char* text;
  bool valid;
  VGui::Colour expected;
};

TEST(ColourTest, ParsesSkinColourTexts) {
  const ColourCase cases[] = {
      {"#000000", true, {0, 0, 0, 255}},
      {"#FF8000", true, {255, 128, 0, 255}},
      {"#ff8000", true, {255, 128, 0, 255}},
      {"#12345678", true, {0x12, 0x34, 0x56, 0x78}},
      {"#FFFFFF00", true, {255, 255, 255, 0}},
      {"FF8000", false, {}},
      {"#FF800", false, {}},
      {"#FF80000", false, {}},
      {"#GG0000", false, {}},
      {"", false, {}},
      {"#FF 000", false, {}},
  };
  for (const auto& c : cases) {
    const auto parsed = VGui::ParseColour(c.text);
    EXPECT_EQ(parsed.has_value(), c.valid) << c.text;
    if (parsed && c.valid) {
      EXPECT_EQ(*parsed, c.expected) << c.text;
    }
  }
}

}  // namespace
