// The root: invalid region, painting, mouse and key routing, tooltips, modal panels and timers.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/gui/CtrlRoot.h"
#include "tests/support/gui/core/Probe.h"
#include "tests/support/gui/core/RecordingCanvas.h"

namespace {

using VGui::MouseEvent;
using VGui::Point;
using VGui::Rect;
using VGuiTest::Probe;
using VGuiTest::RecordingCanvas;

int64_t TotalArea(const std::vector<Rect>& rects) {
  int64_t area = 0;
  for (const auto& r : rects) area += int64_t(r.width) * r.height;
  return area;
}

bool Covers(const std::vector<Rect>& rects, const Rect& wanted) {
  // Every pixel of wanted lies in some rectangle.
  for (int y = wanted.y; y < wanted.Bottom(); ++y) {
    for (int x = wanted.x; x < wanted.Right(); ++x) {
      if (std::none_of(rects.begin(), rects.end(), [&](const Rect& r) {
            return r.Contains(Point{x, y});
          }))
        return false;
    }
  }
  return true;
}

// Small rectangles 60 px apart, like the live values of knobs spread over a panel.
std::vector<Rect> ScatteredGrid(int columns, int rows) {
  std::vector<Rect> rects;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) rects.push_back({60 * column, 60 * row, 5, 5});
  }
  return rects;
}

MouseEvent At(int x, int y, int clicks = 1) {
  MouseEvent e;
  e.position = {x, y};
  e.button = VGui::MouseButton::kLeft;
  e.clickCount = clicks;
  return e;
}

std::shared_ptr<VGui::Style> Filled() {
  auto style = std::make_shared<VGui::Style>();
  style->background = {20, 20, 20, 255};
  return style;
}

class CtrlRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root.SetBounds({0, 0, 400, 300});
    panel = static_cast<Probe*>(
        root.AddChild(std::make_unique<Probe>("panel", Rect{0, 0, 400, 300}, &log)));
    panel->takesPress = false;
    a = static_cast<Probe*>(
        panel->AddChild(std::make_unique<Probe>("a", Rect{10, 10, 50, 50}, &log)));
    b = static_cast<Probe*>(
        panel->AddChild(std::make_unique<Probe>("b", Rect{200, 10, 50, 50}, &log)));
    for (Probe* p : {a, b}) p->SetStyle(Filled());
    RecordingCanvas flush;
    root.PaintInvalid(flush);
    log.clear();
  }

  std::vector<std::string> log;
  VGui::CtrlRoot root;
  Probe* panel = nullptr;
  Probe* a = nullptr;
  Probe* b = nullptr;
};

// --- Invalid region ------------------------------------------------------------------------------

TEST_F(CtrlRootTest, InvalidRegionMergesIntoFewRectangles) {
  struct Case {
    const char* what;
    std::vector<Rect> added;
    size_t maxRects;
    size_t minRects;
  };
  const Case cases[] = {
      {"overlapping pair", {{0, 0, 20, 20}, {10, 10, 20, 20}}, 2, 1},
      {"contained", {{0, 0, 100, 100}, {10, 10, 5, 5}}, 1, 1},
      {"container after", {{10, 10, 5, 5}, {0, 0, 100, 100}}, 1, 1},
      {"side by side", {{0, 0, 10, 10}, {10, 0, 10, 10}}, 1, 1},
      {"far apart", {{0, 0, 5, 5}, {300, 200, 5, 5}}, 2, 2},
      {"many scattered", ScatteredGrid(6, 4), VGui::CtrlRoot::kMaxInvalidRects, 1},
      {"few scattered stay apart", ScatteredGrid(3, 2), 6, 6},
  };
  for (const auto& c : cases) {
    VGui::CtrlRoot fresh;
    fresh.SetBounds({0, 0, 400, 300});
    RecordingCanvas flush;
    fresh.PaintInvalid(flush);
    for (const Rect& r : c.added) fresh.InvalidateRootRect(r);
    const auto region = fresh.InvalidRegion();
    EXPECT_LE(region.size(), c.maxRects) << c.what;
    EXPECT_GE(region.size(), c.minRects) << c.what;
    for (const Rect& r : c.added) EXPECT_TRUE(Covers(region, r)) << c.what;
  }
}

TEST_F(CtrlRootTest, MergingPrefersLittleWaste) {
  // Two clusters far apart, more rectangles than the region keeps: merging within a cluster
  // wastes little, across wastes much.
  std::vector<Rect> added;
  for (int i = 0; i < 8; ++i) {
    added.push_back({6 * (i % 4), 6 * (i / 4), 4, 4});
    added.push_back({300 + 6 * (i % 4), 250 + 6 * (i / 4), 4, 4});
  }
  for (const Rect& r : added) root.InvalidateRootRect(r);
  const auto region = root.InvalidRegion();
  EXPECT_LE(region.size(), VGui::CtrlRoot::kMaxInvalidRects);
  EXPECT_LT(TotalArea(region), 1000);  // never one rectangle across both clusters
  for (const Rect& r : added) EXPECT_TRUE(Covers(region, r));
}

TEST_F(CtrlRootTest, NoConsolidateKeepsEveryRectangle) {
  root.SetDebugModes(false, true);
  const std::vector<Rect> added = {{0, 0, 5, 5},   {100, 0, 5, 5}, {200, 0, 5, 5},
                                   {300, 0, 5, 5}, {0, 200, 5, 5}, {2, 2, 5, 5}};
  for (const Rect& r : added) root.InvalidateRootRect(r);
  root.InvalidateRootRect({0, 0, 5, 5});  // an exact repeat is the same region
  EXPECT_EQ(root.InvalidRegion(), added);
}

TEST_F(CtrlRootTest, InvalidRegionStaysInsideTheRoot) {
  root.InvalidateRootRect({-50, -50, 60, 70});
  root.InvalidateRootRect({500, 500, 10, 10});
  EXPECT_EQ(root.InvalidRegion(), (std::vector<Rect>{{0, 0, 10, 20}}));
}

TEST_F(CtrlRootTest, ControlsInvalidateTheirVisiblePartOnly) {
  Probe* inner =
      static_cast<Probe*>(a->AddChild(std::make_unique<Probe>("inner", Rect{40, 40, 30, 30})));
  RecordingCanvas flush;
  root.PaintInvalid(flush);
  inner->Invalidate();
  // a is at 10,10 and 50 wide: the child is clipped to a's rectangle.
  EXPECT_EQ(root.InvalidRegion(), (std::vector<Rect>{{50, 50, 10, 10}}));
  root.PaintInvalid(flush);
  inner->SetVisible(false);
  root.PaintInvalid(flush);
  inner->Invalidate();
  EXPECT_FALSE(root.HasInvalidRegion());  // hidden controls change nothing on screen
}

// --- Painting ------------------------------------------------------------------------------------

TEST_F(CtrlRootTest, NothingChangedPaintsNothing) {
  RecordingCanvas canvas;
  EXPECT_TRUE(root.PaintInvalid(canvas).empty());
  EXPECT_TRUE(canvas.calls.empty());
  a->SetValue(0.5f);
  EXPECT_EQ(root.PaintInvalid(canvas), (std::vector<Rect>{{10, 10, 50, 50}}));
  const size_t afterChange = canvas.calls.size();
  EXPECT_GT(afterChange, 0u);
  EXPECT_TRUE(root.PaintInvalid(canvas).empty());
  EXPECT_EQ(canvas.calls.size(), afterChange);
  EXPECT_TRUE(canvas.Balanced());
}

TEST_F(CtrlRootTest, PaintsOnlyWhatMeetsTheInvalidRegion) {
  a->Invalidate();
  RecordingCanvas canvas;
  root.PaintInvalid(canvas);
  ASSERT_EQ(canvas.Count("FillRect"), 1);  // a's background, not b's
  const auto& fill = canvas.calls.front();
  EXPECT_FLOAT_EQ(fill.rect.x, 10.0f);
  EXPECT_FLOAT_EQ(fill.clip.width, 50.0f);
}

TEST_F(CtrlRootTest, ChildrenAreClippedToTheirParent) {
  Probe* inner =
      static_cast<Probe*>(a->AddChild(std::make_unique<Probe>("inner", Rect{40, 40, 30, 30})));
  inner->SetStyle(Filled());
  RecordingCanvas canvas;
  root.PaintInvalid(canvas, true);
  const auto it = std::find_if(canvas.calls.begin(), canvas.calls.end(), [](const auto& call) {
    return call.op == "FillRect" && call.rect.x == 50.0f;
  });
  ASSERT_NE(it, canvas.calls.end());
  EXPECT_FLOAT_EQ(it->clip.Right(), 60.0f);
  EXPECT_FLOAT_EQ(it->clip.Bottom(), 60.0f);
}

TEST_F(CtrlRootTest, RainbowModeTintsEachRepaintWithAChangingHue) {
  root.SetDebugModes(true, false);
  RecordingCanvas first, second;
  a->Invalidate();
  root.PaintInvalid(first);
  a->Invalidate();
  root.PaintInvalid(second);
  ASSERT_FALSE(first.calls.empty());
  ASSERT_FALSE(second.calls.empty());
  const auto tint1 = first.calls.back();
  const auto tint2 = second.calls.back();
  EXPECT_EQ(tint1.op, "FillRect");
  EXPECT_LT(tint1.colour.alpha, 255);
  EXPECT_FLOAT_EQ(tint1.rect.width, 50.0f);
  EXPECT_NE(tint1.colour, tint2.colour);
}

// --- Mouse ---------------------------------------------------------------------------------------

TEST_F(CtrlRootTest, ThePressingControlKeepsTheMouseUntilRelease) {
  root.MouseDown(At(20, 20));
  root.MouseMove(At(220, 20));  // over b, but a holds the mouse
  root.MouseUp(At(220, 20));
  EXPECT_EQ(a->events, (std::vector<std::string>{"down", "move", "up"}));
  EXPECT_EQ(a->lastPosition, (Point{210, 10}));  // positions are local to a
  EXPECT_TRUE(b->events.empty());
  EXPECT_EQ(root.Capture(), nullptr);
  root.MouseMove(At(221, 20));
  EXPECT_EQ(b->events, (std::vector<std::string>{"enter", "move"}));
}

TEST_F(CtrlRootTest, UnhandledPressesGoToTheParent) {
  a->takesPress = false;
  panel->takesPress = true;
  root.MouseDown(At(20, 20));
  root.MouseUp(At(20, 20));
  EXPECT_EQ(log, (std::vector<std::string>{"a:down", "panel:down", "panel:up"}));
}

TEST_F(CtrlRootTest, EnterAndLeaveFollowTheDeepestControl) {
  root.MouseMove(At(20, 20));
  root.MouseMove(At(100, 100));
  root.MouseMove(At(210, 20));
  root.MouseLeave();
  EXPECT_EQ(log,
            (std::vector<std::string>{"a:enter", "a:move", "a:leave", "panel:enter", "panel:move",
                                      "panel:leave", "b:enter", "b:move", "b:leave"}));
}

TEST_F(CtrlRootTest, DoubleClickGoesToOnDoubleClickWhenTaken) {
  a->takesDoubleClick = true;
  root.MouseDown(At(20, 20, 2));
  root.MouseUp(At(20, 20));
  b->takesDoubleClick = false;
  root.MouseDown(At(210, 20, 2));
  root.MouseUp(At(210, 20));
  EXPECT_EQ(a->events, (std::vector<std::string>{"double", "up"}));
  EXPECT_EQ(b->events, (std::vector<std::string>{"double", "down", "up"}));
}

TEST_F(CtrlRootTest, WheelGoesToTheControlUnderTheMouse) {
  MouseEvent wheel = At(210, 20);
  wheel.wheelDelta = 1.0f;
  root.MouseWheel(wheel);
  EXPECT_EQ(b->events, (std::vector<std::string>{"wheel"}));
}

TEST_F(CtrlRootTest, HiddenAndDisabledControlsTakeNoInput) {
  a->SetVisible(false);
  b->SetEnabled(false);
  panel->takesPress = true;
  root.MouseDown(At(20, 20));
  root.MouseUp(At(20, 20));
  root.MouseDown(At(210, 20));
  root.MouseUp(At(210, 20));
  EXPECT_TRUE(a->events.empty());
  EXPECT_TRUE(b->events.empty());
  EXPECT_EQ(panel->events, (std::vector<std::string>{"down", "up", "down", "up"}));
}

// --- Focus and keys ------------------------------------------------------------------------------

TEST_F(CtrlRootTest, FocusFollowsClicksAndTakesTheKeys) {
  a->focusable = true;
  a->takesKeys = true;
  root.MouseDown(At(20, 20));
  root.MouseUp(At(20, 20));
  EXPECT_EQ(root.Focus(), a);
  EXPECT_TRUE(root.KeyDown({VGui::Key::kCharacter, "x", 0}));
  root.MouseDown(At(210, 20));  // b does not take the focus: a loses it
  EXPECT_EQ(root.Focus(), nullptr);
  EXPECT_FALSE(root.KeyDown({VGui::Key::kCharacter, "y", 0}));
  EXPECT_EQ(a->events, (std::vector<std::string>{"focus", "down", "up", "key", "blur"}));
}

TEST_F(CtrlRootTest, KeysTheFocusDoesNotUseGoToItsParents) {
  a->focusable = true;
  panel->takesKeys = true;
  root.SetFocus(a);
  EXPECT_TRUE(root.KeyDown({VGui::Key::kReturn, "", 0}));
  EXPECT_EQ(log, (std::vector<std::string>{"a:focus", "a:key", "panel:key"}));
}

TEST_F(CtrlRootTest, WindowFocusLossTakesTheFocusAway) {
  root.SetFocus(a);
  root.FocusLost();
  EXPECT_EQ(root.Focus(), nullptr);
  EXPECT_EQ(a->events.back(), "blur");
}

TEST_F(CtrlRootTest, RemovedControlsAreForgotten) {
  a->focusable = true;
  root.MouseDown(At(20, 20));  // a has capture and focus
  ASSERT_EQ(root.Capture(), a);
  ASSERT_EQ(root.Focus(), a);
  panel->RemoveChild(a);  // destroyed here
  a = nullptr;
  log.clear();
  EXPECT_EQ(root.Capture(), nullptr);
  EXPECT_EQ(root.Focus(), nullptr);
  root.MouseMove(At(30, 30));
  root.MouseUp(At(30, 30));
  EXPECT_EQ(log, (std::vector<std::string>{"panel:enter", "panel:move", "panel:up"}));
}

TEST_F(CtrlRootTest, DestroyedSubtreesAreForgotten) {
  Probe* inner =
      static_cast<Probe*>(b->AddChild(std::make_unique<Probe>("inner", Rect{0, 0, 10, 10})));
  root.SetFocus(inner);
  root.MouseMove(At(205, 15));
  panel->RemoveChild(b);
  b = nullptr;
  EXPECT_EQ(root.Focus(), nullptr);
  root.MouseMove(At(30, 30));  // the old hover must not be touched
  EXPECT_EQ(log.back(), "a:move");
}

// --- Tooltips ------------------------------------------------------------------------------------

TEST_F(CtrlRootTest, TooltipAppearsAfterHalfASecondOfRest) {
  a->SetTooltip("Cutoff: 1000 Hz");
  root.MouseMove(At(20, 20));
  for (int tick = 1; tick < 13; ++tick) {
    root.Tick();
    EXPECT_EQ(root.TooltipShowing(), "") << tick;
  }
  root.Tick();
  EXPECT_EQ(root.TooltipShowing(), "Cutoff: 1000 Hz");
  RecordingCanvas canvas;
  root.PaintInvalid(canvas);
  const auto texts = canvas.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Cutoff: 1000 Hz"), texts.end());
  root.MouseDown(At(20, 20));
  EXPECT_EQ(root.TooltipShowing(), "");
}

TEST_F(CtrlRootTest, ATwoLineTooltipDrawsEachLineInARowOfItsOwn) {
  a->SetTooltip("Cutoff: 1000 Hz\nShift-drag: fine");
  root.MouseMove(At(20, 20));
  for (int tick = 0; tick < 13; ++tick) root.Tick();
  RecordingCanvas canvas;
  root.PaintInvalid(canvas);
  const auto texts = canvas.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Cutoff: 1000 Hz"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Shift-drag: fine"), texts.end());
  EXPECT_EQ(std::find(texts.begin(), texts.end(), "Cutoff: 1000 Hz\nShift-drag: fine"),
            texts.end());
}

TEST_F(CtrlRootTest, TooltipNeedsRestTextAndPermission) {
  struct Case {
    const char* what;
    const char* text;
    bool enabled;
    bool moveBetweenTicks;
  };
  const Case cases[] = {
      {"no text", "", true, false},
      {"tooltips off", "Tip", false, false},
      {"mouse keeps moving", "Tip", true, true},
  };
  for (const auto& c : cases) {
    a->SetTooltip(c.text);
    root.SetTooltipsEnabled(c.enabled);
    root.MouseMove(At(20, 20));
    for (int tick = 0; tick < 30; ++tick) {
      if (c.moveBetweenTicks) root.MouseMove(At(20 + tick % 2, 20));
      root.Tick();
    }
    EXPECT_EQ(root.TooltipShowing(), "") << c.what;
    root.MouseLeave();
  }
}

TEST_F(CtrlRootTest, MovingToAnotherControlHidesTheTooltip) {
  a->SetTooltip("A");
  root.MouseMove(At(20, 20));
  for (int tick = 0; tick < 13; ++tick) root.Tick();
  ASSERT_EQ(root.TooltipShowing(), "A");
  root.MouseMove(At(25, 25));
  EXPECT_EQ(root.TooltipShowing(), "A");  // still on a
  root.MouseMove(At(210, 20));
  EXPECT_EQ(root.TooltipShowing(), "");
}

// --- Modal panels --------------------------------------------------------------------------------

TEST_F(CtrlRootTest, AModalPanelTakesAllInput) {
  auto modal = std::make_unique<Probe>("modal", Rect{0, 0, 100, 80}, &log);
  modal->takesKeys = true;
  Probe* shown = static_cast<Probe*>(root.PushModal(std::move(modal)));
  ASSERT_TRUE(root.HasModal());
  EXPECT_EQ(shown->Bounds(), (Rect{150, 110, 100, 80}));  // centred
  root.MouseDown(At(20, 20));                             // on a, outside the panel
  root.MouseUp(At(20, 20));
  EXPECT_TRUE(root.KeyDown({VGui::Key::kEscape, "", 0}));  // to the panel, nothing focused
  root.MouseDown(At(160, 120));
  root.MouseUp(At(160, 120));
  EXPECT_TRUE(a->events.empty());
  EXPECT_EQ(shown->events, (std::vector<std::string>{"key", "down", "up"}));
  root.CloseModal(shown);
  EXPECT_FALSE(root.HasModal());
  root.MouseDown(At(20, 20));
  EXPECT_EQ(a->events, (std::vector<std::string>{"down"}));
}

TEST_F(CtrlRootTest, ModalPanelsPaintAboveLaterChildren) {
  auto red = std::make_shared<VGui::Style>();
  red->background = {255, 0, 0, 255};
  auto modal = std::make_unique<Probe>("modal", Rect{0, 0, 100, 80});
  modal->SetStyle(red);
  root.PushModal(std::move(modal));
  auto late = std::make_unique<Probe>("late", Rect{150, 110, 100, 80});
  late->SetStyle(Filled());
  root.AddChild(std::move(late));
  RecordingCanvas canvas;
  root.PaintInvalid(canvas, true);
  std::vector<VGui::Colour> order;
  for (const auto& call : canvas.calls) {
    if (call.op == "FillRect" && call.rect.x == 150.0f) order.push_back(call.colour);
  }
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(root.Children().back()->Name(), "late");
  EXPECT_EQ(order.back(), red->background);  // the panel over the later child
}

// --- Timer ---------------------------------------------------------------------------------------

class Callback : public VGui::CAutoTimerCallback {
 public:
  explicit Callback(std::function<void()> action = nullptr) : action_(std::move(action)) {}
  void ATC_Tick() override {
    ++ticks;
    if (action_) action_();
  }
  int ticks = 0;

 private:
  std::function<void()> action_;
};

TEST_F(CtrlRootTest, TimerCallbacksMayChangeTheListDuringATick) {
  Callback removed, added, plain;
  Callback* selfRef = nullptr;
  Callback changer([&] {
    root.RemoveTimerCallback(&removed);
    root.AddTimerCallback(&added);
    root.RemoveTimerCallback(selfRef);
  });
  selfRef = &changer;
  root.AddTimerCallback(&changer);
  root.AddTimerCallback(&removed);
  root.AddTimerCallback(&plain);
  root.AddTimerCallback(&plain);  // joining twice still ticks once
  root.Tick();
  EXPECT_EQ(changer.ticks, 1);
  EXPECT_EQ(removed.ticks, 0);  // removed before its turn
  EXPECT_EQ(added.ticks, 0);    // joins from the next tick
  EXPECT_EQ(plain.ticks, 1);
  root.Tick();
  EXPECT_EQ(changer.ticks, 1);
  EXPECT_EQ(added.ticks, 1);
  EXPECT_EQ(plain.ticks, 2);
}

}  // namespace
