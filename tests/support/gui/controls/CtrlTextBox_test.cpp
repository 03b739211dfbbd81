// The one-line text field through the root: focus, typing and editing keys, commit on Return,
// and the ends without a commit (Escape, focus elsewhere, the window losing the focus).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/gui/controls/CtrlButton.h"
#include "support/gui/controls/CtrlTextBox.h"
#include "tests/support/gui/controls/ControlsTestKit.h"

namespace VGuiControlsTest {
namespace {

using VGui::ControlEventKind;
using VGui::CtrlTextBox;
using VGui::Key;

class TextBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    field = h.Add<CtrlTextBox>({100, 100, 120, 20});
    field->SetText("440 Hz");
  }
  void Focus() { h.Click({150, 110}); }
  RootHarness h;
  CtrlTextBox* field = nullptr;
};

TEST_F(TextBoxTest, AClickGivesTheFocusAndSelectsEverything) {
  EXPECT_FALSE(field->Editing());
  Focus();
  EXPECT_EQ(h.root.Focus(), field);
  EXPECT_TRUE(field->Editing());
  EXPECT_TRUE(field->AllSelected());
  EXPECT_TRUE(h.events.entries.empty());
}

TEST_F(TextBoxTest, TypingReplacesTheSelectionAndReturnCommits) {
  Focus();
  EXPECT_TRUE(h.Type("1.5k"));
  EXPECT_EQ(field->Text(), "1.5k");
  EXPECT_TRUE(h.Key(Key::kReturn));
  EXPECT_EQ(h.events.Kinds(), std::vector{ControlEventKind::kValueChanged});
  EXPECT_FALSE(field->Editing());
  EXPECT_EQ(h.root.Focus(), nullptr);
  EXPECT_EQ(field->Text(), "1.5k");
}

TEST_F(TextBoxTest, EscapeEndsWithoutACommit) {
  Focus();
  h.Type("12");
  EXPECT_TRUE(h.Key(Key::kEscape));
  EXPECT_EQ(h.events.Kinds(), std::vector{ControlEventKind::kEditEnded});
  EXPECT_FALSE(field->Editing());
  EXPECT_EQ(h.root.Focus(), nullptr);
}

TEST_F(TextBoxTest, FocusMovingElsewhereEndsWithoutACommit) {
  h.Add<VGui::CtrlButton>({300, 300, 40, 20});
  Focus();
  h.Type("3");
  h.Click({310, 310});
  EXPECT_FALSE(field->Editing());
  EXPECT_EQ(field->Text(), "3");
  EXPECT_EQ(h.events.Count(ControlEventKind::kEditEnded), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), 1);  // the button's toggle
  EXPECT_EQ(h.events.entries.front().kind, ControlEventKind::kEditEnded);
}

TEST_F(TextBoxTest, TheWindowLosingTheFocusEndsTheEdit) {
  Focus();
  h.root.FocusLost();
  EXPECT_EQ(h.events.Kinds(), std::vector{ControlEventKind::kEditEnded});
}

TEST_F(TextBoxTest, KeysAreNotTakenWhenNotEditing) {
  EXPECT_FALSE(h.Key(Key::kCharacter, "x"));
  EXPECT_FALSE(h.Key(Key::kReturn));
  EXPECT_EQ(field->Text(), "440 Hz");
  EXPECT_TRUE(h.events.entries.empty());
}

TEST_F(TextBoxTest, ControlCharactersAreNotInserted) {
  Focus();
  h.Key(Key::kEnd);
  h.Key(Key::kCharacter, "\t");
  h.Key(Key::kCharacter, std::string(1, '\x7f'));
  EXPECT_EQ(field->Text(), "440 Hz");
}

struct EditCase {
  const char* name;
  const char* start;
  std::vector<std::pair<Key, std::string>> keys;
  const char* text;
  size_t caret;
};

class TextEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(TextEditTest, KeysEditAtTheCaret) {
  const EditCase& c = GetParam();
  RootHarness h;
  auto* field = h.Add<CtrlTextBox>({0, 0, 100, 20});
  field->SetText(c.start);
  h.root.SetFocus(field);
  for (const auto& [key, text] : c.keys) EXPECT_TRUE(h.Key(key, text));
  EXPECT_EQ(field->Text(), c.text);
  EXPECT_EQ(field->Caret(), c.caret);
}

// "é" is two bytes and "€" three in UTF-8: editing never splits them.
const EditCase kEditCases[] = {
    {"backspace_clears_selection", "abc", {{Key::kBackspace, ""}}, "", 0},
    {"delete_clears_selection", "abc", {{Key::kDelete, ""}}, "", 0},
    {"end_then_backspace", "abc", {{Key::kEnd, ""}, {Key::kBackspace, ""}}, "ab", 2},
    {"home_then_delete", "abc", {{Key::kHome, ""}, {Key::kDelete, ""}}, "bc", 0},
    {"left_from_selection_goes_to_start",
     "abc",
     {{Key::kLeft, ""}, {Key::kCharacter, "x"}},
     "xabc",
     1},
    {"right_from_selection_goes_to_end",
     "abc",
     {{Key::kRight, ""}, {Key::kCharacter, "x"}},
     "abcx",
     4},
    {"insert_in_the_middle",
     "abc",
     {{Key::kEnd, ""}, {Key::kLeft, ""}, {Key::kLeft, ""}, {Key::kCharacter, "X"}},
     "aXbc",
     2},
    {"left_stops_at_the_start",
     "ab",
     {{Key::kHome, ""}, {Key::kLeft, ""}, {Key::kBackspace, ""}},
     "ab",
     0},
    {"delete_at_the_end_does_nothing", "ab", {{Key::kEnd, ""}, {Key::kDelete, ""}}, "ab", 2},
    {"backspace_over_two_byte_character",
     "a\xc3\xa9",
     {{Key::kEnd, ""}, {Key::kBackspace, ""}},
     "a",
     1},
    {"left_over_three_byte_character",
     "\xe2\x82\xac"
     "5",
     {{Key::kEnd, ""}, {Key::kLeft, ""}, {Key::kLeft, ""}, {Key::kDelete, ""}},
     "5",
     0},
    {"typing_multibyte",
     "",
     {{Key::kCharacter, "\xc3\xa9"}, {Key::kCharacter, "1"}},
     "\xc3\xa9"
     "1",
     3},
};

INSTANTIATE_TEST_SUITE_P(Controls, TextEditTest, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace VGuiControlsTest
