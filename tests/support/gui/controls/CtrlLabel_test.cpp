// Labels: shortening text to a width with "...", what a label draws, and the UTF-8 character
// boundaries that shortening and the text field rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/gui/controls/CtrlLabel.h"
#include "support/gui/controls/Utf8.h"
#include "tests/support/gui/controls/ControlsTestKit.h"

namespace VGuiControlsTest {
namespace {

float SixPerCharacter(std::string_view text) {
  return DrawRecorder::kCharacterWidth * float(DrawRecorder::Characters(text));
}

struct ShortenCase {
  const char* text;
  float width;
  const char* expected;
};

class ShortenTest : public ::testing::TestWithParam<ShortenCase> {};

TEST_P(ShortenTest, LongestStartThatFitsWithTheEllipsis) {
  const ShortenCase& c = GetParam();
  const std::string shortened = VGui::ShortenToFit(c.text, c.width, SixPerCharacter);
  EXPECT_EQ(shortened, c.expected);
  EXPECT_LE(SixPerCharacter(shortened), c.width);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, ShortenTest,
    ::testing::Values(ShortenCase{"Filter", 36.0f, "Filter"},              // exactly fits
                      ShortenCase{"Filter", 35.0f, "Fi..."},               // 5 characters of 6 px
                      ShortenCase{"Filter 1 cutoff", 60.0f, "Filter..."},  // the blank goes
                      ShortenCase{"Filter", 24.0f, "F..."}, ShortenCase{"Filter", 18.0f, "..."},
                      ShortenCase{"Filter", 17.0f, ""}, ShortenCase{"", 0.0f, ""},
                      ShortenCase{"\xc3\xa9t\xc3\xa9 long", 30.0f, "\xc3\xa9t..."}));

TEST(LabelTest, DrawsItsWholeTextInTheStyleColour) {
  RootHarness h;
  auto* label = h.Add<VGui::CtrlLabel>({10, 10, 40, 16});
  label->SetText("Resonance control");
  DrawRecorder canvas;
  h.root.PaintInvalid(canvas, true);
  const auto texts = canvas.Of("DrawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "Resonance control");
  EXPECT_EQ(texts[0].colour, label->CurrentStyle().text);
  EXPECT_EQ(canvas.unbalancedRestores, 0);
}

TEST(LabelTest, AutoShorteningLabelFitsItsBox) {
  RootHarness h;
  auto* label = h.Add<VGui::AutoShorteningLabel>({10, 10, 64, 16});
  label->SetText("Resonance control");
  DrawRecorder canvas;
  h.root.PaintInvalid(canvas, true);
  const auto texts = canvas.Texts();
  ASSERT_EQ(texts.size(), 1u);
  // 64 pixels less a 2-pixel margin at each side hold 10 characters.
  EXPECT_EQ(texts[0], "Resonan...");
}

TEST(LabelTest, DisabledLabelsUseTheDisabledColour) {
  RootHarness h;
  auto* label = h.Add<VGui::CtrlLabel>({10, 10, 40, 16});
  label->SetText("Off");
  label->SetEnabled(false);
  DrawRecorder canvas;
  h.root.PaintInvalid(canvas, true);
  ASSERT_EQ(canvas.Of("DrawText").size(), 1u);
  EXPECT_EQ(canvas.Of("DrawText")[0].colour, label->CurrentStyle().disabled);
}

// --- UTF-8 boundaries ----------------------------------------------------------------------------

TEST(Utf8Test, CharacterEnds) {
  const struct {
    std::string text;
    std::vector<size_t> ends;
  } cases[] = {
      {"", {}},
      {"ab", {1, 2}},
      {"a\xc3\xa9z", {1, 3, 4}},
      {"\xe2\x82\xac\xf0\x9f\x8e\xb9", {3, 7}},
      {"\xc3", {1}},         // a lead byte cut off
      {"\x80\x80", {1, 2}},  // stray continuation bytes
      {"\xe2\x82"
       "a",
       {1, 2, 3}},  // a three-byte sequence missing its last byte
  };
  for (const auto& c : cases) EXPECT_EQ(VGui::Utf8::CharacterEnds(c.text), c.ends) << c.text;
}

TEST(Utf8Test, StepsBackOverWholeCharacters) {
  const std::string text = "a\xc3\xa9\xe2\x82\xac";  // a, é, €
  EXPECT_EQ(VGui::Utf8::PreviousBoundary(text, 6), 3u);
  EXPECT_EQ(VGui::Utf8::PreviousBoundary(text, 3), 1u);
  EXPECT_EQ(VGui::Utf8::PreviousBoundary(text, 1), 0u);
  EXPECT_EQ(VGui::Utf8::PreviousBoundary(text, 0), 0u);
  EXPECT_EQ(VGui::Utf8::PreviousBoundary("\x80\x80", 2), 1u);
  EXPECT_EQ(VGui::Utf8::NextBoundary(text, 1), 3u);
  EXPECT_EQ(VGui::Utf8::NextBoundary(text, 6), 6u);
}

}  // namespace
}  // namespace VGuiControlsTest
