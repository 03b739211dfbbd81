// Knobs and sliders driven through the root: drag speed and fine mode, the gesture around each
// drag, double and right clicks, the wheel, and the hooks that modulation-aware subclasses use.
#include <gtest/gtest.h>

#include <vector>

#include "support/gui/controls/CtrlKnob.h"
#include "support/gui/controls/CtrlSlider.h"
#include "tests/support/gui/controls/ControlsTestKit.h"

namespace VGuiControlsTest {
namespace {

using VGui::ControlEventKind;
using VGui::CtrlKnob;
using VGui::CtrlSlider;
using VGui::DragValueControl;
using VGui::Orientation;
using VGui::Point;
using VGui::Rect;

enum class Kind { kKnob, kSliderAuto, kSliderVerticalByAttribute };

DragValueControl* AddControl(RootHarness& h, Kind kind, const Rect& bounds) {
  switch (kind) {
    case Kind::kKnob:
      return h.Add<CtrlKnob>(bounds);
    case Kind::kSliderAuto:
      return h.Add<CtrlSlider>(bounds);
    case Kind::kSliderVerticalByAttribute: {
      auto* slider = h.Add<CtrlSlider>(bounds);
      slider->SetOrientation(Orientation::kVertical);
      return slider;
    }
  }
  return nullptr;
}

struct DragCase {
  const char* name;
  Kind kind;
  Rect bounds;
  float start;
  int dx;
  int dy;
  uint32_t modifiers;
  float expected;
};

// A knob takes 300 pixels for the range; a slider its length less the 10-pixel thumb.
const DragCase kDragCases[] = {
    {"knob up 30", Kind::kKnob, {100, 100, 40, 40}, 0.5f, 0, -30, 0, 0.6f},
    {"knob down 60", Kind::kKnob, {100, 100, 40, 40}, 0.5f, 0, 60, 0, 0.3f},
    {"knob sideways ignored", Kind::kKnob, {100, 100, 40, 40}, 0.5f, 80, 0, 0, 0.5f},
    {"knob fine up 30", Kind::kKnob, {100, 100, 40, 40}, 0.5f, 0, -30, VGui::kModShift, 0.51f},
    {"knob past the top", Kind::kKnob, {100, 100, 40, 40}, 0.9f, 0, -200, 0, 1.0f},
    {"knob past the bottom", Kind::kKnob, {100, 100, 40, 40}, 0.1f, 0, 200, 0, 0.0f},
    {"wide slider right 25", Kind::kSliderAuto, {100, 100, 110, 20}, 0.25f, 25, 0, 0, 0.5f},
    {"wide slider fine left 50",
     Kind::kSliderAuto,
     {100, 100, 110, 20},
     0.5f,
     -50,
     0,
     VGui::kModShift,
     0.45f},
    {"wide slider ignores vertical", Kind::kSliderAuto, {100, 100, 110, 20}, 0.5f, 0, -40, 0, 0.5f},
    {"tall slider up 50", Kind::kSliderAuto, {100, 100, 20, 110}, 0.2f, 0, -50, 0, 0.7f},
    {"orientation attribute beats aspect",
     Kind::kSliderVerticalByAttribute,
     {100, 100, 210, 60},
     0.0f,
     0,
     -25,
     0,
     0.5f},
};

class DragTest : public ::testing::TestWithParam<DragCase> {};

TEST_P(DragTest, ValueFollowsTheMouse) {
  const DragCase& c = GetParam();
  RootHarness h;
  DragValueControl* control = AddControl(h, c.kind, c.bounds);
  control->SetValue(c.start);
  const Point from{c.bounds.x + c.bounds.width / 2, c.bounds.y + c.bounds.height / 2};
  const Point to{from.x + c.dx, from.y + c.dy};
  h.Press(from, VGui::MouseButton::kLeft, c.modifiers);
  h.Move({from.x + c.dx / 2, from.y + c.dy / 2}, c.modifiers);
  h.Move(to, c.modifiers);
  EXPECT_NEAR(control->Value(), c.expected, 1e-5f);
  h.Release(to, VGui::MouseButton::kLeft, c.modifiers);
  EXPECT_NEAR(control->Value(), c.expected, 1e-5f);
  EXPECT_FALSE(control->Dragging());
}

INSTANTIATE_TEST_SUITE_P(Controls, DragTest, ::testing::ValuesIn(kDragCases), [](const auto& info) {
  std::string name = info.param.name;
  for (char& ch : name) {
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
});

TEST(DragGestureTest, OneBeginAndOneEndAroundEveryChange) {
  for (Kind kind : {Kind::kKnob, Kind::kSliderAuto}) {
    RootHarness h;
    DragValueControl* control = AddControl(h, kind, {10, 10, 110, 110});
    control->SetValue(0.5f);
    h.Press({60, 60});
    for (int step = 1; step <= 5; ++step) h.Move({60 + 4 * step, 60 - 4 * step});
    // Far outside the control: the root keeps sending the moves to it.
    h.Move({500, -300});
    h.Release({500, -300});
    const auto kinds = h.events.Kinds();
    ASSERT_GE(kinds.size(), 5u);
    EXPECT_EQ(kinds.front(), ControlEventKind::kLeftButtonDown);
    EXPECT_EQ(kinds[1], ControlEventKind::kBeginGesture);
    EXPECT_EQ(kinds[kinds.size() - 2], ControlEventKind::kEndGesture);
    EXPECT_EQ(kinds.back(), ControlEventKind::kLeftButtonUp);
    EXPECT_EQ(h.events.Count(ControlEventKind::kBeginGesture), 1);
    EXPECT_EQ(h.events.Count(ControlEventKind::kEndGesture), 1);
    EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), 6);
    EXPECT_FLOAT_EQ(control->Value(), 1.0f);
  }
}

TEST(DragGestureTest, PressWithoutMoveStillBeginsAndEndsOnce) {
  RootHarness h;
  auto* knob = h.Add<CtrlKnob>({10, 10, 40, 40});
  knob->SetValue(0.3f);
  h.Click({30, 30});
  EXPECT_EQ(h.events.Kinds(),
            (std::vector{ControlEventKind::kLeftButtonDown, ControlEventKind::kBeginGesture,
                         ControlEventKind::kEndGesture, ControlEventKind::kLeftButtonUp}));
  EXPECT_FLOAT_EQ(knob->Value(), 0.3f);
}

TEST(DragGestureTest, ShiftDuringADragChangesSpeedWithoutAJump) {
  RootHarness h;
  auto* knob = h.Add<CtrlKnob>({10, 10, 40, 40});
  knob->SetValue(0.5f);
  h.Press({30, 30});
  h.Move({30, 0});  // +0.1
  EXPECT_NEAR(knob->Value(), 0.6f, 1e-5f);
  h.Move({30, 0}, VGui::kModShift);  // Shift alone moves nothing
  EXPECT_NEAR(knob->Value(), 0.6f, 1e-5f);
  h.Move({30, -30}, VGui::kModShift);  // +0.01
  EXPECT_NEAR(knob->Value(), 0.61f, 1e-5f);
  h.Move({30, -60});  // back to full speed from here: +0.1
  EXPECT_NEAR(knob->Value(), 0.71f, 1e-5f);
  h.Release({30, -60});
}

TEST(DragGestureTest, DoubleClickIsReportedAndLeavesTheValueAlone) {
  RootHarness h;
  auto* slider = h.Add<CtrlSlider>({10, 10, 110, 20});
  slider->SetValue(0.4f);
  h.Click({60, 20});
  h.Press({60, 20}, VGui::MouseButton::kLeft, 0, 2);
  h.Move({90, 20});
  h.Release({90, 20});
  EXPECT_EQ(h.events.Count(ControlEventKind::kDoubleClick), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kBeginGesture), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kEndGesture), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kLeftButtonDown), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kLeftButtonUp), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), 0);
  EXPECT_FLOAT_EQ(slider->Value(), 0.4f);
}

TEST(DragGestureTest, RightClickReportsDownAndUpAndEditsNothing) {
  RootHarness h;
  auto* knob = h.Add<CtrlKnob>({10, 10, 40, 40});
  knob->SetValue(0.25f);
  h.Press({30, 30}, VGui::MouseButton::kRight);
  h.Move({30, -100});
  h.Release({30, -100}, VGui::MouseButton::kRight);
  EXPECT_EQ(h.events.Kinds(),
            (std::vector{ControlEventKind::kRightButtonDown, ControlEventKind::kRightButtonUp}));
  EXPECT_FLOAT_EQ(knob->Value(), 0.25f);
}

struct WheelCase {
  float start;
  float notches;
  uint32_t modifiers;
  float expected;
  int changes;
};

class WheelTest : public ::testing::TestWithParam<WheelCase> {};

TEST_P(WheelTest, StepsInsideAGesture) {
  const WheelCase& c = GetParam();
  RootHarness h;
  auto* knob = h.Add<CtrlKnob>({10, 10, 40, 40});
  knob->SetValue(c.start);
  h.Wheel({30, 30}, c.notches, c.modifiers);
  EXPECT_NEAR(knob->Value(), c.expected, 1e-5f);
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), c.changes);
  EXPECT_EQ(h.events.Count(ControlEventKind::kBeginGesture), 1);
  EXPECT_EQ(h.events.Count(ControlEventKind::kEndGesture), 1);
}

INSTANTIATE_TEST_SUITE_P(Controls, WheelTest,
                         ::testing::Values(WheelCase{0.5f, 2.0f, 0, 0.52f, 1},
                                           WheelCase{0.5f, -3.0f, 0, 0.47f, 1},
                                           WheelCase{0.5f, 2.0f, VGui::kModShift, 0.502f, 1},
                                           WheelCase{1.0f, 1.0f, 0, 1.0f, 0},
                                           WheelCase{0.005f, -1.0f, 0, 0.0f, 1}));

TEST(WheelTest, NoWheelNoEvent) {
  RootHarness h;
  auto* knob = h.Add<CtrlKnob>({10, 10, 40, 40});
  knob->SetValue(0.5f);
  h.Wheel({30, 30}, 0.0f);
  EXPECT_TRUE(h.events.entries.empty());
}

// A knob with a second handle in its top half, the way a modulation-aware knob edits a range.
class TwoHandleKnob : public CtrlKnob {
 public:
  static constexpr int kRangeHandle = 1;
  float rangeEnd = 0.5f;
  std::vector<int> begun;
  int ended = 0;

 protected:
  int HandleAt(Point local) const override {
    if (local.x < 5) return kNoHandle;
    return local.y < Bounds().height / 2 ? kRangeHandle : kValueHandle;
  }
  void BeginDrag(int handle, Point local, uint32_t modifiers) override {
    begun.push_back(handle);
    CtrlKnob::BeginDrag(handle, local, modifiers);
    rangeStart_ = rangeEnd;
  }
  void DragTo(Point local, uint32_t modifiers) override {
    if (DragHandle() != kRangeHandle) {
      CtrlKnob::DragTo(local, modifiers);
      return;
    }
    rangeEnd = rangeStart_ + DragOffset(local, modifiers);
    Notify(ControlEventKind::kValueChanged);
  }
  void EndDrag() override { ++ended; }

 private:
  float rangeStart_ = 0.0f;
};

TEST(DragHooksTest, SubclassesChooseTheHandleAndTheTarget) {
  RootHarness h;
  auto* knob = h.Add<TwoHandleKnob>({0, 0, 40, 40});
  knob->SetValue(0.2f);
  h.Press({20, 5});
  h.Move({20, -25});
  h.Release({20, -25});
  EXPECT_NEAR(knob->rangeEnd, 0.6f, 1e-5f);
  EXPECT_FLOAT_EQ(knob->Value(), 0.2f);
  h.Press({20, 35});
  h.Move({20, 5});
  h.Release({20, 5});
  EXPECT_NEAR(knob->Value(), 0.3f, 1e-5f);
  EXPECT_EQ(knob->begun, (std::vector{TwoHandleKnob::kRangeHandle, TwoHandleKnob::kValueHandle}));
  EXPECT_EQ(knob->ended, 2);
  EXPECT_EQ(h.events.Count(ControlEventKind::kBeginGesture), 2);
  EXPECT_EQ(h.events.Count(ControlEventKind::kEndGesture), 2);
}

TEST(DragHooksTest, APressOutsideEveryHandleStartsNoGesture) {
  RootHarness h;
  auto* knob = h.Add<TwoHandleKnob>({0, 0, 40, 40});
  knob->SetValue(0.2f);
  h.Press({2, 30});
  h.Move({2, 0});
  h.Release({2, 0});
  EXPECT_EQ(h.events.Kinds(),
            (std::vector{ControlEventKind::kLeftButtonDown, ControlEventKind::kLeftButtonUp}));
  EXPECT_TRUE(knob->begun.empty());
  EXPECT_FLOAT_EQ(knob->Value(), 0.2f);
}

}  // namespace
}  // namespace VGuiControlsTest
