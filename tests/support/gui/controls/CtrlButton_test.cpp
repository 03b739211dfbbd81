// Buttons through the root: toggle and momentary modes, cancelled clicks, the texts shown, right
// clicks, and the flashing indicator lights on the root's timer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/gui/controls/CtrlButton.h"
#include "support/gui/controls/FlashingButton.h"
#include "tests/support/gui/controls/ControlsTestKit.h"

namespace VGuiControlsTest {
namespace {

using VGui::ButtonMode;
using VGui::ControlEventKind;
using VGui::CtrlButton;
using VGui::Point;

constexpr Point kInside{30, 20};
constexpr Point kOutside{300, 300};

struct ClickCase {
  const char* name;
  ButtonMode mode;
  float start;
  Point releaseAt;
  float valueWhileHeld;
  float valueAfter;
  int changes;
};

const ClickCase kClickCases[] = {
    {"toggle on", ButtonMode::kToggle, 0.0f, kInside, 0.0f, 1.0f, 1},
    {"toggle off", ButtonMode::kToggle, 1.0f, kInside, 1.0f, 0.0f, 1},
    {"toggle released outside", ButtonMode::kToggle, 0.0f, kOutside, 0.0f, 0.0f, 0},
    {"momentary", ButtonMode::kMomentary, 0.0f, kInside, 1.0f, 0.0f, 2},
    {"momentary released outside", ButtonMode::kMomentary, 0.0f, kOutside, 1.0f, 0.0f, 2},
};

class ButtonClickTest : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ButtonClickTest, ValueAndEvents) {
  const ClickCase& c = GetParam();
  RootHarness h;
  auto* button = h.Add<CtrlButton>({10, 10, 60, 20});
  button->SetMode(c.mode);
  button->SetValue(c.start);
  h.Press(kInside);
  EXPECT_FLOAT_EQ(button->Value(), c.valueWhileHeld);
  h.Move(c.releaseAt);
  h.Release(c.releaseAt);
  EXPECT_FLOAT_EQ(button->Value(), c.valueAfter);
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), c.changes);
  EXPECT_EQ(h.events.entries.front().kind, ControlEventKind::kLeftButtonDown);
  EXPECT_EQ(h.events.entries.back().kind, ControlEventKind::kLeftButtonUp);
  EXPECT_FALSE(button->Pressed());
}

INSTANTIATE_TEST_SUITE_P(Controls, ButtonClickTest, ::testing::ValuesIn(kClickCases),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) {
                             if (ch == ' ') ch = '_';
                           }
                           return name;
                         });

TEST(ButtonTest, TwoQuickClicksToggleTwice) {
  RootHarness h;
  auto* button = h.Add<CtrlButton>({10, 10, 60, 20});
  h.Click(kInside);
  h.Press(kInside, VGui::MouseButton::kLeft, 0, 2);
  h.Release(kInside);
  EXPECT_FLOAT_EQ(button->Value(), 0.0f);
  EXPECT_EQ(h.events.Count(ControlEventKind::kValueChanged), 2);
}

TEST(ButtonTest, RightClickReportsAndDoesNotToggle) {
  RootHarness h;
  auto* button = h.Add<CtrlButton>({10, 10, 60, 20});
  h.Click(kInside, VGui::MouseButton::kRight);
  EXPECT_EQ(h.events.Kinds(),
            (std::vector{ControlEventKind::kRightButtonDown, ControlEventKind::kRightButtonUp}));
  EXPECT_FLOAT_EQ(button->Value(), 0.0f);
}

TEST(ButtonTest, ValuesSnapToOffAndOn) {
  CtrlButton button;
  const struct {
    float in;
    float out;
  } cases[] = {{0.49f, 0.0f}, {0.5f, 1.0f}, {7.0f, 1.0f}, {-3.0f, 0.0f}};
  for (const auto& c : cases) {
    button.SetValue(c.in);
    EXPECT_FLOAT_EQ(button.Value(), c.out) << c.in;
  }
}

TEST(ButtonTest, ShowsTheTextOfItsState) {
  const struct {
    const char* text;
    const char* onText;
    const char* offText;
    float value;
    const char* shown;
  } cases[] = {
      {"Sync", "", "", 1.0f, "Sync"},
      {"Sync", "Pre", "Post", 1.0f, "Pre"},
      {"Sync", "Pre", "Post", 0.0f, "Post"},
      {"Sync", "On", "", 0.0f, "Sync"},
      {"", "", "Off", 1.0f, ""},
  };
  for (const auto& c : cases) {
    CtrlButton button;
    button.SetText(c.text);
    button.SetOnText(c.onText);
    button.SetOffText(c.offText);
    button.SetValue(c.value);
    EXPECT_EQ(button.DisplayText(), c.shown) << c.text << "/" << c.onText << "/" << c.offText;
  }
}

TEST(ButtonTest, KickButtonIsMomentary) {
  RootHarness h;
  auto* kick = h.Add<VGui::KickButton>({10, 10, 60, 20});
  h.Press(kInside);
  EXPECT_FLOAT_EQ(kick->Value(), 1.0f);
  h.Release(kInside);
  EXPECT_FLOAT_EQ(kick->Value(), 0.0f);
}

// --- Flashing lights -----------------------------------------------------------------------------

// Counts the timer's calls in a counter that outlives the light.
class CountingLight : public VGui::FlashingButton {
 public:
  int* ticks = nullptr;
  void ATC_Tick() override {
    ++*ticks;
    FlashingButton::ATC_Tick();
  }
};

TEST(FlashingButtonTest, FadesOverItsTicksThenLeavesTheTimer) {
  RootHarness h;
  int ticks = 0;
  auto* light = h.Add<CountingLight>({10, 10, 20, 20});
  light->ticks = &ticks;
  EXPECT_FALSE(light->Lit());
  h.root.Tick();
  EXPECT_EQ(ticks, 0);  // only a lit light is on the timer
  light->Flash();
  EXPECT_FLOAT_EQ(light->Brightness(), 1.0f);
  std::vector<float> seen;
  for (int tick = 0; tick < VGui::FlashingButton::kFadeTicks + 3; ++tick) {
    h.root.Tick();
    seen.push_back(light->Brightness());
  }
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i], seen[i - 1]);
  EXPECT_GT(seen[VGui::FlashingButton::kFadeTicks - 2], 0.0f);
  EXPECT_FLOAT_EQ(seen[VGui::FlashingButton::kFadeTicks - 1], 0.0f);
  EXPECT_EQ(ticks, VGui::FlashingButton::kFadeTicks);
}

TEST(FlashingButtonTest, FlashingAgainRestartsTheFade) {
  RootHarness h;
  auto* light = h.Add<VGui::FlashingButton>({10, 10, 20, 20});
  light->Flash();
  h.root.Tick();
  h.root.Tick();
  light->Flash();
  EXPECT_FLOAT_EQ(light->Brightness(), 1.0f);
  for (int tick = 0; tick < VGui::FlashingButton::kFadeTicks - 1; ++tick) h.root.Tick();
  EXPECT_TRUE(light->Lit());
  h.root.Tick();
  EXPECT_FALSE(light->Lit());
}

TEST(FlashingButtonTest, SingleFlashStaysFullThenGoesOutAtOnce) {
  RootHarness h;
  auto* light = h.Add<VGui::SingleFlashButton>({10, 10, 20, 20});
  light->Flash();
  std::vector<float> seen;
  for (int tick = 0; tick < 5; ++tick) {
    h.root.Tick();
    seen.push_back(light->Brightness());
  }
  EXPECT_EQ(seen, (std::vector<float>{1.0f, 1.0f, 0.0f, 0.0f, 0.0f}));
}

TEST(FlashingButtonTest, AutoHideShowsOnlyWhileLit) {
  RootHarness h;
  auto* light = h.Add<VGui::AutoHideFlashingButton>({10, 10, 20, 20});
  EXPECT_FALSE(light->Visible());
  light->Flash();
  EXPECT_TRUE(light->Visible());
  for (int tick = 0; tick < VGui::FlashingButton::kFadeTicks; ++tick) h.root.Tick();
  EXPECT_FALSE(light->Visible());
}

TEST(FlashingButtonTest, PutOutIsImmediateAndLeavesTheTimer) {
  RootHarness h;
  int ticks = 0;
  auto* light = h.Add<CountingLight>({10, 10, 20, 20});
  light->ticks = &ticks;
  light->Flash();
  light->PutOut();
  EXPECT_FALSE(light->Lit());
  h.root.Tick();
  EXPECT_EQ(ticks, 0);
}

TEST(FlashingButtonTest, ALightTakenOutOfItsTreeStopsTicking) {
  RootHarness h;
  int ticks = 0;
  auto* light = h.Add<CountingLight>({10, 10, 20, 20});
  light->ticks = &ticks;
  light->Flash();
  h.root.Tick();
  auto detached = h.root.RemoveChild(light);
  h.root.Tick();  // the last call: it notices it left the root and goes out
  h.root.Tick();
  EXPECT_EQ(ticks, 2);
  EXPECT_FALSE(light->Lit());  // still alive: `detached` owns it
}

TEST(FlashingButtonTest, DestroyedWhileLitLeavesTheTimer) {
  RootHarness h;
  int ticks = 0;
  auto* light = h.Add<CountingLight>({10, 10, 20, 20});
  light->ticks = &ticks;
  light->Flash();
  h.root.Tick();
  h.root.RemoveChild(light);  // destroys it
  h.root.Tick();
  EXPECT_EQ(ticks, 1);
}

TEST(FlashingButtonTest, LightsTakeNoClicks) {
  RootHarness h;
  auto* light = h.Add<VGui::FlashingButton>({10, 10, 20, 20});
  h.Click({15, 15});
  h.Click({15, 15}, VGui::MouseButton::kRight);
  EXPECT_TRUE(h.events.entries.empty());
  EXPECT_FLOAT_EQ(light->Value(), 0.0f);
}

}  // namespace
}  // namespace VGuiControlsTest
