// Button groups and combo boxes: choosing by segment, choosing through the root's pop-up menu,
// and the index range of the value.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/gui/controls/CtrlButtonGroup.h"
#include "support/gui/controls/CtrlComboBox.h"
#include "tests/support/gui/controls/ControlsTestKit.h"

namespace VGuiControlsTest {
namespace {

using VGui::ControlEventKind;
using VGui::CtrlButtonGroup;
using VGui::CtrlComboBox;
using VGui::Point;
using VGui::Rect;

Point Centre(const Rect& r) {
  return {r.x + r.width / 2, r.y + r.height / 2};
}

struct SegmentCase {
  Rect bounds;
  Point click;
  int expected;
};

TEST(ButtonGroupTest, APressSelectsTheSegmentUnderTheMouse) {
  // Four segments of 30 pixels across, or of 20 pixels down when taller than wide.
  const SegmentCase cases[] = {
      {{0, 0, 120, 20}, {5, 10}, 0}, {{0, 0, 120, 20}, {31, 10}, 1},
      {{0, 0, 120, 20}, {89, 2}, 2}, {{0, 0, 120, 20}, {119, 19}, 3},
      {{0, 0, 30, 80}, {15, 45}, 2}, {{0, 0, 30, 80}, {15, 79}, 3},
  };
  for (const auto& c : cases) {
    RootHarness h;
    auto* group = h.Add<CtrlButtonGroup>(c.bounds);
    group->SetItems({"LP", "BP", "HP", "BR"});
    h.Click(c.click);
    EXPECT_EQ(group->SelectedIndex(), c.expected) << c.click.x << "," << c.click.y;
    EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), c.expected == 0 ? 0 : 1);
  }
}

TEST(ButtonGroupTest, EventsInOrderAndNoChangeForTheSelectedSegment) {
  RootHarness h;
  auto* group = h.Add<CtrlButtonGroup>({0, 0, 120, 20});
  group->SetItems({"A", "B", "C", "D"});
  h.Click({100, 10});
  EXPECT_EQ(h.events.Kinds(),
            (std::vector{ControlEventKind::kLeftButtonDown, ControlEventKind::kValueChanged,
                         ControlEventKind::kLeftButtonUp}));
  EXPECT_FLOAT_EQ(h.events.entries[1].value, 3.0f);
  h.events.Clear();
  h.Click({100, 10});
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), 0);
  h.Click({100, 10}, VGui::MouseButton::kRight);
  EXPECT_EQ(h.events.Count(ControlEventKind::kRightButtonUp), 1);
  EXPECT_EQ(group->SelectedIndex(), 3);
}

TEST(ButtonGroupTest, ShrinkingTheItemsKeepsTheSelectionInRange) {
  CtrlButtonGroup group;
  group.SetItems({"A", "B", "C", "D"});
  group.SetValue(3.0f);
  group.SetItems({"A", "B"});
  EXPECT_EQ(group.SelectedIndex(), 1);
  EXPECT_FLOAT_EQ(group.MaxValue(), 1.0f);
  group.SetItems({});
  EXPECT_EQ(group.SelectedIndex(), 0);
}

// --- Combo box -----------------------------------------------------------------------------------

class ComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    combo = h.Add<CtrlComboBox>({50, 50, 80, 20});
    combo->SetItems({"LFO1", "LFO2", "IN", "SC"});
  }
  RootHarness h;
  CtrlComboBox* combo = nullptr;
};

TEST_F(ComboTest, ClickOpensTheMenuBelowWithTheSelectionChecked) {
  combo->SetValue(2.0f);
  h.Click({60, 60});
  ASSERT_TRUE(h.root.PopupMenuOpen());
  EXPECT_EQ(h.root.PopupMenuLevels(), 1);
  const Rect menu = h.root.PopupMenuRect(0);
  EXPECT_EQ(menu.x, 50);
  EXPECT_GE(menu.y, 70);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(h.root.PopupMenuItemRect(0, i).Empty()) << i;
  EXPECT_TRUE(h.root.PopupMenuItemRect(0, 4).Empty());
}

TEST_F(ComboTest, ChoosingAnItemSelectsItAndReportsTheChange) {
  for (int choice : {3, 0, 1}) {
    h.events.Clear();
    h.Click({60, 60});
    ASSERT_TRUE(h.root.PopupMenuOpen());
    h.Click(Centre(h.root.PopupMenuItemRect(0, choice)));
    EXPECT_FALSE(h.root.PopupMenuOpen());
    EXPECT_EQ(combo->SelectedIndex(), choice);
    EXPECT_EQ(combo->SelectedText(), combo->Items()[size_t(choice)]);
    ASSERT_EQ(h.events.Count(ControlEventKind::kValueChanged), 1);
    EXPECT_FLOAT_EQ(h.events.entries.back().value, float(choice));
  }
}

TEST_F(ComboTest, ChoosingTheSelectedItemAgainReportsNothing) {
  combo->SetValue(1.0f);
  h.Click({60, 60});
  h.Click(Centre(h.root.PopupMenuItemRect(0, 1)));
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), 0);
}

TEST_F(ComboTest, EscapeAndClicksOutsideChooseNothing) {
  combo->SetValue(1.0f);
  h.Click({60, 60});
  h.Key(VGui::Key::kEscape);
  EXPECT_FALSE(h.root.PopupMenuOpen());
  h.Click({60, 60});
  h.Click({590, 390});
  EXPECT_FALSE(h.root.PopupMenuOpen());
  EXPECT_EQ(combo->SelectedIndex(), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), 0);
}

TEST_F(ComboTest, ForeignCommandsAndBadIndicesAreIgnored) {
  combo->SetValue(1.0f);
  VGui::CommandEvent foreign{CtrlComboBox::kChooseItemCommand + 1, int32_t{3}, combo};
  combo->CommandEvent(&foreign);
  VGui::CommandEvent outOfRange{CtrlComboBox::kChooseItemCommand, int32_t{9}, combo};
  combo->CommandEvent(&outOfRange);
  VGui::CommandEvent notAnIndex{CtrlComboBox::kChooseItemCommand, std::string("SC"), combo};
  combo->CommandEvent(&notAnIndex);
  combo->CommandEvent(nullptr);
  EXPECT_EQ(combo->SelectedIndex(), 1);
  EXPECT_TRUE(h.events.entries.empty());
}

TEST(ComboBoxTest, WithoutItemsNoMenuOpens) {
  RootHarness h;
  auto* combo = h.Add<CtrlComboBox>({50, 50, 80, 20});
  h.Click({60, 60});
  EXPECT_FALSE(h.root.PopupMenuOpen());
  EXPECT_EQ(combo->SelectedText(), "");
}

TEST(ComboBoxTest, DestroyedWithItsMenuOpenTheMenuCloses) {
  RootHarness h;
  auto* combo = h.Add<CtrlComboBox>({50, 50, 80, 20});
  combo->SetItems({"A", "B"});
  h.Click({60, 60});
  ASSERT_TRUE(h.root.PopupMenuOpen());
  const Point item = Centre(h.root.PopupMenuItemRect(0, 1));
  combo->Parent()->RemoveChild(combo);
  // A choice now would go to the destroyed combo box.
  EXPECT_FALSE(h.root.PopupMenuOpen());
  h.Click(item);
}

}  // namespace
}  // namespace VGuiControlsTest
