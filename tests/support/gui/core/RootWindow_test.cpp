// The window glue, headless: frames, changed device rectangles, input, cursors.
#include <gtest/gtest.h>

#include "support/gui/CtrlRoot.h"
#include "support/gui/Cursors.h"
#include "support/gui/RootWindow.h"
#include "tests/support/gui/core/Probe.h"

namespace {

using VGui::Rect;

class HandProbe : public VGuiTest::Probe {
 public:
  using Probe::Probe;
  std::string_view CursorAt(VGui::Point) const override { return "Hand"; }
};

class RootWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    probe = static_cast<HandProbe*>(
        root.AddChild(std::make_unique<HandProbe>("probe", Rect{10, 10, 20, 20})));
  }
  VGui::CtrlRoot root;
  HandProbe* probe = nullptr;
};

TEST_F(RootWindowTest, FramesReportTheChangedDevicePixels) {
  struct Case {
    float scale;
    Rect invalid;
    Rect device;
  };
  const Case cases[] = {
      {1.0f, {10, 10, 5, 5}, {10, 10, 5, 5}},
      {2.0f, {10, 10, 5, 5}, {20, 20, 10, 10}},
      {1.5f, {3, 3, 3, 3}, {4, 4, 5, 5}},  // whole pixels around fractional edges
  };
  for (const auto& c : cases) {
    VGui::CtrlRoot fresh;
    VGui::RootWindow window(fresh, {100, 50}, c.scale);
    EXPECT_EQ(fresh.Bounds(), (Rect{0, 0, 100, 50}));
    EXPECT_EQ(fresh.Window(), &window);
    std::vector<Rect> changed;
    const VGui::PixelImage& frame = window.RenderFrame(changed);
    EXPECT_EQ(frame.Width(), int(100 * c.scale));
    EXPECT_EQ(changed, (std::vector<Rect>{{0, 0, frame.Width(), frame.Height()}}));
    window.RenderFrame(changed);
    EXPECT_TRUE(changed.empty()) << "nothing changed, nothing to present";
    fresh.InvalidateRootRect(c.invalid);
    window.RenderFrame(changed);
    EXPECT_EQ(changed, (std::vector<Rect>{c.device})) << c.scale;
  }
}

TEST_F(RootWindowTest, WindowEventsReachTheRoot) {
  VGui::RootWindow window(root, {100, 50}, 1.0f);
  VGui::MouseEvent e;
  e.position = {15, 15};
  window.OnMouse(VGui::Platform::MouseAction::kMove, e);
  window.OnMouse(VGui::Platform::MouseAction::kDown, e);
  window.OnMouse(VGui::Platform::MouseAction::kUp, e);
  window.OnMouse(VGui::Platform::MouseAction::kLeave, e);
  probe->takesKeys = true;
  root.SetFocus(probe);
  EXPECT_TRUE(window.OnKey({VGui::Key::kReturn, "", 0}, true));
  EXPECT_FALSE(window.OnKey({VGui::Key::kReturn, "", 0}, false));
  window.OnFocusLost();
  EXPECT_EQ(probe->events, (std::vector<std::string>{"enter", "move", "down", "up", "leave",
                                                     "focus", "key", "blur"}));
}

TEST_F(RootWindowTest, CursorComesFromTheControlUnderTheMouse) {
  VGui::Cursor hand;
  hand.image.standard = std::make_shared<VGui::PixelImage>(16, 16);
  hand.image.dense = std::make_shared<VGui::PixelImage>(32, 32);
  hand.hotSpot = {7, 1};
  root.Cursors().Add("Hand", hand);
  struct Case {
    float scale;
    VGui::Point position;
    const VGui::PixelImage* image;
    VGui::Point hotSpot;
  };
  const Case cases[] = {
      {1.0f, {15, 15}, hand.image.standard.get(), {7, 1}},
      {2.0f, {15, 15}, hand.image.dense.get(), {14, 2}},
      {1.0f, {50, 40}, nullptr, {0, 0}},  // over the root: the arrow
  };
  for (const auto& c : cases) {
    VGui::RootWindow window(root, {100, 50}, c.scale);
    VGui::MouseEvent e;
    e.position = c.position;
    window.OnMouse(VGui::Platform::MouseAction::kMove, e);
    VGui::Point hotSpot;
    EXPECT_EQ(window.CurrentCursor(hotSpot), c.image);
    if (c.image) {
      EXPECT_EQ(hotSpot, c.hotSpot);
    }
  }
}

TEST_F(RootWindowTest, ClosingDetachesFromTheRoot) {
  {
    VGui::RootWindow window(root, {100, 50}, 1.0f);
    EXPECT_EQ(root.Window(), &window);
  }
  EXPECT_EQ(root.Window(), nullptr);
}

TEST_F(RootWindowTest, OpeningUnderAMissingParentFailsCleanly) {
  std::string error;
  EXPECT_EQ(VGui::RootWindow::Open(root, 0, {100, 50}, 1.0f, error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(root.Window(), nullptr);
}

TEST_F(RootWindowTest, RenderAllMakesAnImageOfTheScaledSize) {
  root.SetBounds({0, 0, 60, 40});
  const VGui::PixelImage image = VGui::RenderAll(root, 2.0f);
  EXPECT_EQ(image.Width(), 120);
  EXPECT_EQ(image.Height(), 80);
  EXPECT_FALSE(root.HasInvalidRegion());
}

}  // namespace
