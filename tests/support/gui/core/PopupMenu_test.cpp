// The toolkit-drawn pop-up menus: choosing, disabled items, submenus, keys, closing, placement.
#include <gtest/gtest.h>

#include "support/gui/CtrlRoot.h"
#include "support/gui/PopupMenu.h"
#include "tests/support/gui/core/Probe.h"
#include "tests/support/gui/core/RecordingCanvas.h"

namespace {

using VGui::MouseEvent;
using VGui::Point;
using VGui::Rect;
using VGuiTest::RecordingCanvas;

class Commands : public VGui::ICmdListener {
 public:
  struct Received {
    int32_t id;
    int32_t argument;
    VGui::Ctrl* control;
  };
  void CommandEvent(const VGui::CommandEvent* event) override {
    ASSERT_NE(event, nullptr);
    received.push_back({event->id, event->IntArgument(-1), event->control});
  }
  std::vector<Received> received;
};

MouseEvent At(Point p) {
  MouseEvent e;
  e.position = p;
  e.button = VGui::MouseButton::kLeft;
  return e;
}

Point Centre(const Rect& r) {
  return {r.x + r.width / 2, r.y + r.height / 2};
}

class PopupMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root.SetBounds({0, 0, 600, 400});
    target = static_cast<VGuiTest::Probe*>(
        root.AddChild(std::make_unique<VGuiTest::Probe>("target", Rect{0, 0, 600, 400})));
    menu.AddItem("Edit value", 0, 0, true);
    menu.AddItem("Reset control", 1, 7, false);
    menu.AddSeparator();
    VGui::PopupMenu& modes = menu.AddSubmenu("Filter 1 mode");
    modes.AddItem("Low pass", 5, 0, true, true);
    modes.AddItem("Band pass", 5, 1);
    menu.AddItem("Remove all modulation", 3, 9);
  }

  void Click(Point p) {
    root.MouseDown(At(p));
    root.MouseUp(At(p));
  }

  VGui::CtrlRoot root;
  VGuiTest::Probe* target = nullptr;
  VGui::PopupMenu menu;
  Commands commands;
};

TEST_F(PopupMenuTest, ChoosingAnItemSendsItsCommandAndCloses) {
  root.ShowPopupMenu(menu, {50, 60}, &commands, target);
  ASSERT_TRUE(root.PopupMenuOpen());
  EXPECT_EQ(root.PopupMenuRect(0).x, 50);
  Click(Centre(root.PopupMenuItemRect(0, 4)));
  ASSERT_EQ(commands.received.size(), 1u);
  EXPECT_EQ(commands.received[0].id, 3);
  EXPECT_EQ(commands.received[0].argument, 9);
  EXPECT_EQ(commands.received[0].control, target);
  EXPECT_FALSE(root.PopupMenuOpen());
  EXPECT_TRUE(target->events.empty());  // the click belonged to the menu
}

TEST_F(PopupMenuTest, DisabledItemsAndSeparatorsCannotBeChosen) {
  root.ShowPopupMenu(menu, {50, 60}, &commands, target);
  for (int index : {1, 2}) {
    Click(Centre(root.PopupMenuItemRect(0, index)));
    EXPECT_TRUE(root.PopupMenuOpen()) << index;
  }
  EXPECT_TRUE(commands.received.empty());
  RecordingCanvas canvas;
  root.PaintInvalid(canvas, true);
  // The disabled item is drawn, greyed.
  bool greyed = false;
  for (const auto& call : canvas.calls) {
    if (call.op == "DrawText" && call.text == "Reset control") greyed = call.colour.red < 200;
  }
  EXPECT_TRUE(greyed);
}

TEST_F(PopupMenuTest, SubmenusOpenOnHoverAndTheirItemsCanBeChosen) {
  root.ShowPopupMenu(menu, {50, 60}, &commands, target);
  root.MouseMove(At(Centre(root.PopupMenuItemRect(0, 3))));
  ASSERT_EQ(root.PopupMenuLevels(), 2);
  EXPECT_GE(root.PopupMenuRect(1).x, root.PopupMenuRect(0).Right() - 2);
  root.MouseMove(At(Centre(root.PopupMenuItemRect(0, 0))));  // back to a plain item
  EXPECT_EQ(root.PopupMenuLevels(), 1);
  Click(Centre(root.PopupMenuItemRect(0, 3)));  // a click opens it too
  ASSERT_EQ(root.PopupMenuLevels(), 2);
  Click(Centre(root.PopupMenuItemRect(1, 1)));
  ASSERT_EQ(commands.received.size(), 1u);
  EXPECT_EQ(commands.received[0].id, 5);
  EXPECT_EQ(commands.received[0].argument, 1);
}

TEST_F(PopupMenuTest, EscapeOrAClickOutsideCloses) {
  root.ShowPopupMenu(menu, {50, 60}, &commands, target);
  EXPECT_TRUE(root.KeyDown({VGui::Key::kEscape, "", 0}));
  EXPECT_FALSE(root.PopupMenuOpen());
  root.ShowPopupMenu(menu, {50, 60}, &commands, target);
  Click({500, 350});
  EXPECT_FALSE(root.PopupMenuOpen());
  EXPECT_TRUE(commands.received.empty());
  EXPECT_TRUE(target->events.empty());  // the closing click goes nowhere else
}

TEST_F(PopupMenuTest, KeysMoveOverEnabledItemsAndChoose) {
  root.ShowPopupMenu(menu, {50, 60}, &commands, target);
  // Down: "Edit value"; Down skips the disabled item and the separator to the submenu.
  root.KeyDown({VGui::Key::kDown, "", 0});
  root.KeyDown({VGui::Key::kDown, "", 0});
  root.KeyDown({VGui::Key::kRight, "", 0});
  ASSERT_EQ(root.PopupMenuLevels(), 2);
  root.KeyDown({VGui::Key::kDown, "", 0});
  root.KeyDown({VGui::Key::kReturn, "", 0});
  ASSERT_EQ(commands.received.size(), 1u);
  EXPECT_EQ(commands.received[0].id, 5);
  EXPECT_EQ(commands.received[0].argument, 1);
}

TEST_F(PopupMenuTest, MenusStayInsideTheRoot) {
  for (Point at : {Point{590, 390}, Point{-20, -30}, Point{599, 0}}) {
    root.ShowPopupMenu(menu, at, &commands, target);
    root.MouseMove(At(Centre(root.PopupMenuItemRect(0, 3))));
    for (int level = 0; level < root.PopupMenuLevels(); ++level) {
      EXPECT_TRUE(root.LocalBounds().Contains(root.PopupMenuRect(level)))
          << at.x << "," << at.y << " level " << level;
    }
    EXPECT_EQ(root.PopupMenuLevels(), 2);
    root.ClosePopupMenu();
  }
}

// A control that opens a menu on press, as a combo box does.
class Opener : public VGuiTest::Probe {
 public:
  VGui::PopupMenu* menu = nullptr;
  VGui::ICmdListener* listener = nullptr;
  bool OnMouseDown(const MouseEvent& e) override {
    Probe::OnMouseDown(e);
    Root()->ShowPopupMenu(*menu, ToRoot(e.position), listener, this);
    return true;
  }
};

TEST_F(PopupMenuTest, ReleaseAfterTheOpeningPressChoosesOnlyAfterADrag) {
  auto opener = std::make_unique<Opener>();
  opener->SetBounds({100, 100, 80, 20});
  opener->menu = &menu;
  opener->listener = &commands;
  root.AddChild(std::move(opener));
  root.MouseDown(At({110, 105}));
  root.MouseUp(At({110, 105}));  // the end of the opening click
  EXPECT_TRUE(root.PopupMenuOpen());
  EXPECT_TRUE(commands.received.empty());
  root.ClosePopupMenu();
  root.MouseDown(At({110, 105}));
  const Point item = Centre(root.PopupMenuItemRect(0, 0));
  root.MouseMove(At(item));
  root.MouseUp(At(item));  // press, drag, release
  ASSERT_EQ(commands.received.size(), 1u);
  EXPECT_EQ(commands.received[0].id, 0);
  EXPECT_FALSE(root.PopupMenuOpen());
}

TEST_F(PopupMenuTest, TheMenuIsACopy) {
  root.ShowPopupMenu(menu, {50, 60}, &commands, target);
  menu.Clear();  // the editor refills one shared menu each time
  Click(Centre(root.PopupMenuItemRect(0, 0)));
  ASSERT_EQ(commands.received.size(), 1u);
  EXPECT_EQ(commands.received[0].id, 0);
}

}  // namespace
