// What every standard control shares: the value's range (clamping, non-finite values), the class
// registry, the skin attributes each reads, and what each draws.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/XmlDocument.h"
#include "support/gui/ClassRegistry.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/ControlTheme.h"
#include "support/gui/controls/CtrlButton.h"
#include "support/gui/controls/CtrlButtonGroup.h"
#include "support/gui/controls/CtrlComboBox.h"
#include "support/gui/controls/CtrlKnob.h"
#include "support/gui/controls/CtrlLabel.h"
#include "support/gui/controls/CtrlLevelStrip.h"
#include "support/gui/controls/CtrlPanel.h"
#include "support/gui/controls/CtrlSlider.h"
#include "support/gui/controls/CtrlTextBox.h"
#include "support/gui/controls/FlashingButton.h"
#include "support/gui/controls/RegisterStandardControls.h"
#include "tests/support/gui/controls/ControlsTestKit.h"

namespace VGuiControlsTest {
namespace {

using VGui::Ctrl;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// --- Value range ---------------------------------------------------------------------------------

struct RangeCase {
  const char* control;
  std::function<std::unique_ptr<Ctrl>()> make;
  float start;
  float in;
  float expected;
};

std::unique_ptr<Ctrl> Group() {
  auto group = std::make_unique<VGui::CtrlButtonGroup>();
  group->SetItems({"A", "B", "C", "D"});
  return group;
}
std::unique_ptr<Ctrl> Combo() {
  auto combo = std::make_unique<VGui::CtrlComboBox>();
  combo->SetItems({"A", "B", "C"});
  return combo;
}
template <class T>
std::unique_ptr<Ctrl> Make() {
  return std::make_unique<T>();
}

std::vector<RangeCase> RangeCases() {
  return {
      {"knob", Make<VGui::CtrlKnob>, 0.3f, 0.6f, 0.6f},
      {"knob", Make<VGui::CtrlKnob>, 0.3f, 1.5f, 1.0f},
      {"knob", Make<VGui::CtrlKnob>, 0.3f, -0.5f, 0.0f},
      {"knob", Make<VGui::CtrlKnob>, 0.3f, kInf, 1.0f},
      {"knob", Make<VGui::CtrlKnob>, 0.3f, -kInf, 0.0f},
      {"knob", Make<VGui::CtrlKnob>, 0.3f, kNaN, 0.3f},
      {"slider", Make<VGui::CtrlSlider>, 0.7f, 2.0f, 1.0f},
      {"slider", Make<VGui::CtrlSlider>, 0.7f, kNaN, 0.7f},
      {"button", Make<VGui::CtrlButton>, 1.0f, kNaN, 1.0f},
      {"button", Make<VGui::CtrlButton>, 1.0f, -kInf, 0.0f},
      {"group", Group, 2.0f, 1.4f, 1.0f},
      {"group", Group, 2.0f, 2.6f, 3.0f},
      {"group", Group, 2.0f, 10.0f, 3.0f},
      {"group", Group, 2.0f, -1.0f, 0.0f},
      {"group", Group, 2.0f, kNaN, 2.0f},
      {"group", Group, 2.0f, kInf, 3.0f},
      {"combo", Combo, 1.0f, 5.0f, 2.0f},
      {"combo", Combo, 1.0f, kNaN, 1.0f},
      {"meter", Make<VGui::CtrlLevelStrip>, 0.5f, 1.2f, 1.0f},
      {"meter", Make<VGui::CtrlLevelStrip>, 0.5f, kNaN, 0.5f},
      {"meter", Make<VGui::CtrlLevelStrip>, 0.5f, -kInf, 0.0f},
  };
}

TEST(StandardControlsTest, SetValueStaysInRangeAndIgnoresNaN) {
  for (const RangeCase& c : RangeCases()) {
    auto control = c.make();
    control->SetValue(c.start);
    EventLog events;
    control->SetListener(&events);
    control->SetValue(c.in, true);
    EXPECT_FLOAT_EQ(control->Value(), c.expected) << c.control << " " << c.in;
    EXPECT_FALSE(std::isnan(control->Value()));
    const int changes = c.expected == c.start ? 0 : 1;
    EXPECT_EQ(events.Count(VGui::ControlEventKind::kValueChanged), changes) << c.control << c.in;
  }
}

// --- Registry ------------------------------------------------------------------------------------

TEST(StandardControlsTest, RegisteredUnderTheirNamesWithTheirBases) {
  ASSERT_TRUE(VGui::RegisterStandardControls());
  ASSERT_TRUE(VGui::RegisterStandardControls());  // a second plug-in instance starting up
  const struct {
    const char* name;
    const char* base;
  } classes[] = {
      {"CtrlPanel", "Ctrl"},
      {"CtrlLabel", "Ctrl"},
      {"AutoShorteningLabel", "CtrlLabel"},
      {"CtrlButton", "Ctrl"},
      {"KickButton", "CtrlButton"},
      {"FlashingButton", "CtrlButton"},
      {"SingleFlashButton", "FlashingButton"},
      {"AutoHideFlashingButton", "FlashingButton"},
      {"CtrlButtonGroup", "Ctrl"},
      {"CtrlComboBox", "Ctrl"},
      {"CtrlSlider", "Ctrl"},
      {"CtrlKnob", "Ctrl"},
      {"CtrlTextBox", "Ctrl"},
      {"CtrlLevelStrip", "Ctrl"},
      {"VUMeter", "CtrlLevelStrip"},
  };
  auto& registry = VGui::ClassRegistry::Instance();
  for (const auto& c : classes) {
    EXPECT_EQ(registry.BaseOf(c.name), c.base) << c.name;
    const auto control = registry.Create(c.name);
    ASSERT_NE(control, nullptr) << c.name;
    EXPECT_STREQ(control->ClassName(), c.name);
    EXPECT_TRUE(VGui::IsA(*control, c.base)) << c.name;
  }
  EXPECT_TRUE(registry.IsA("SingleFlashButton", "CtrlButton"));
  EXPECT_FALSE(registry.IsA("CtrlKnob", "CtrlSlider"));
}

// --- Skin attributes -----------------------------------------------------------------------------

class SkinAttributesTest : public ::testing::Test {
 protected:
  template <class T>
  std::unique_ptr<T> Read(const std::string& attributes) {
    VFoundation::XmlDocument document;
    const std::string text = "<control " + attributes + "/>";
    EXPECT_TRUE(document.Parse(text, "control")) << text;
    auto control = std::make_unique<T>();
    control->SetBounds({0, 0, 100, 20});
    control->ReadSkinAttributes(document.Root(), skins);
    return control;
  }
  VGui::SkinSet skins;
};

TEST_F(SkinAttributesTest, Buttons) {
  const struct {
    const char* attributes;
    VGui::ButtonMode mode;
    const char* shown;
  } cases[] = {
      {R"(mode="momentary" text="Tap")", VGui::ButtonMode::kMomentary, "Tap"},
      {R"(mode="Toggle" text="Sync")", VGui::ButtonMode::kToggle, "Sync"},
      {R"(mode="sideways" text="Sync")", VGui::ButtonMode::kToggle, "Sync"},
      {R"(text="Mode" onText="Pre" offText="Post" value="1")", VGui::ButtonMode::kToggle, "Pre"},
      {R"(text="Mode" onText="Pre" offText="Post" value="0")", VGui::ButtonMode::kToggle, "Post"},
  };
  for (const auto& c : cases) {
    const auto button = Read<VGui::CtrlButton>(c.attributes);
    EXPECT_EQ(button->Mode(), c.mode) << c.attributes;
    EXPECT_EQ(button->DisplayText(), c.shown) << c.attributes;
  }
  EXPECT_EQ(Read<VGui::KickButton>(R"(text="Go")")->Mode(), VGui::ButtonMode::kMomentary);
}

TEST_F(SkinAttributesTest, ItemsComeBeforeTheValue) {
  const auto group = Read<VGui::CtrlButtonGroup>(R"(items="LP|BP|HP|BR" value="2")");
  EXPECT_EQ(group->Items(), (std::vector<std::string>{"LP", "BP", "HP", "BR"}));
  EXPECT_EQ(group->SelectedIndex(), 2);
  const auto combo = Read<VGui::CtrlComboBox>(R"(items="LFO1|LFO2|IN|SC" value="3")");
  EXPECT_EQ(combo->SelectedText(), "SC");
  const auto empty = Read<VGui::CtrlComboBox>(R"(items="" value="3")");
  EXPECT_EQ(empty->ItemCount(), 0);
  EXPECT_EQ(empty->SelectedIndex(), 0);
}

TEST_F(SkinAttributesTest, Orientation) {
  const struct {
    const char* attributes;
    bool horizontal;
  } cases[] = {
      {"", true},  // 100 x 20: by its aspect
      {R"(orientation="vertical")", false},
      {R"(orientation="HORIZONTAL")", true},
      {R"(orientation="auto")", true},
      {R"(orientation="diagonal")", true},  // logged, automatic kept
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read<VGui::CtrlSlider>(c.attributes)->Horizontal(), c.horizontal) << c.attributes;
    EXPECT_EQ(Read<VGui::CtrlLevelStrip>(c.attributes)->Horizontal(), c.horizontal) << c.attributes;
    EXPECT_EQ(Read<VGui::CtrlButtonGroup>(c.attributes)->Horizontal(), c.horizontal)
        << c.attributes;
  }
}

TEST_F(SkinAttributesTest, LabelsPanelsKnobsAndMeters) {
  const auto label = Read<VGui::CtrlLabel>(R"(text="Cutoff" align="right")");
  EXPECT_EQ(label->Text(), "Cutoff");
  EXPECT_EQ(label->Alignment(), VGui::HAlign::kRight);
  const auto badAlign = Read<VGui::CtrlLabel>(R"(text="Cutoff" align="justify")");
  EXPECT_EQ(badAlign->Alignment(), badAlign->CurrentStyle().align);
  EXPECT_EQ(Read<VGui::CtrlPanel>(R"(title="Filter 1")")->Title(), "Filter 1");
  EXPECT_TRUE(Read<VGui::CtrlKnob>(R"(bipolar="true")")->Bipolar());
  EXPECT_FALSE(Read<VGui::CtrlKnob>("")->Bipolar());
  EXPECT_FLOAT_EQ(Read<VGui::CtrlLevelStrip>(R"(hot="0.75")")->HotPosition(), 0.75f);
  EXPECT_FLOAT_EQ(Read<VGui::CtrlLevelStrip>(R"(hot="1.5")")->HotPosition(), 0.8f);
  EXPECT_FLOAT_EQ(Read<VGui::CtrlLevelStrip>(R"(hot="loud")")->HotPosition(), 0.8f);
  EXPECT_EQ(Read<VGui::CtrlTextBox>(R"(text="1.00")")->Text(), "1.00");
}

TEST(SkinLoadTest, ASkinBuildsStandardControlsWithTheirAttributes) {
  ASSERT_TRUE(VGui::RegisterStandardControls());
  RootHarness h;
  VGui::SkinLoadReport report;
  const char* skin = R"(<skin>
    <panel name="Filter" rect="0 0 300 100" title="Filter 1">
      <control class="CtrlButtonGroup" name="Type" rect="10 30 120 20" items="LP|BP|HP" value="1"/>
      <control class="CtrlComboBox" name="FM" rect="140 30 60 20" items="LFO1|LFO2|IN|SC"/>
      <control class="CtrlButton" name="Sync" rect="210 30 40 20" mode="momentary" text="Sync"/>
      <control class="CtrlKnob" name="Pan" rect="10 60 30 30" bipolar="true" value="0.5"/>
      <control class="VUMeter" name="Meter" rect="260 10 8 80" hot="0.7"/>
    </panel>
  </skin>)";
  ASSERT_TRUE(VGui::LoadSkinText(h.root, skin, h.root.Skins(), &report));
  EXPECT_TRUE(report.problems.empty()) << report.problems.front();
  auto* panel = dynamic_cast<VGui::CtrlPanel*>(h.root.FindDescendant("Filter"));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Title(), "Filter 1");
  auto* type = dynamic_cast<VGui::CtrlButtonGroup*>(h.root.FindDescendant("Type"));
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->SelectedIndex(), 1);
  auto* fm = dynamic_cast<VGui::CtrlComboBox*>(h.root.FindDescendant("FM"));
  ASSERT_NE(fm, nullptr);
  EXPECT_EQ(fm->ItemCount(), 4);
  auto* sync = dynamic_cast<VGui::CtrlButton*>(h.root.FindDescendant("Sync"));
  ASSERT_NE(sync, nullptr);
  EXPECT_EQ(sync->Mode(), VGui::ButtonMode::kMomentary);
  auto* pan = dynamic_cast<VGui::CtrlKnob*>(h.root.FindDescendant("Pan"));
  ASSERT_NE(pan, nullptr);
  EXPECT_TRUE(pan->Bipolar());
  EXPECT_FLOAT_EQ(pan->Value(), 0.5f);
  auto* meter = dynamic_cast<VGui::VUMeter*>(h.root.FindDescendant("Meter"));
  ASSERT_NE(meter, nullptr);
  EXPECT_FLOAT_EQ(meter->HotPosition(), 0.7f);
}

// --- Drawing -------------------------------------------------------------------------------------

class DrawTest : public ::testing::Test {
 protected:
  DrawRecorder& Paint() {
    canvas = DrawRecorder();
    h.root.PaintInvalid(canvas, true);
    EXPECT_EQ(canvas.unbalancedRestores, 0);
    return canvas;
  }
  RootHarness h;
  DrawRecorder canvas;
};

TEST_F(DrawTest, KnobValueArcRunsFromTheStartOrTheCentre) {
  auto* knob = h.Add<VGui::CtrlKnob>({0, 0, 40, 40});
  const VGui::Colour accent = knob->CurrentStyle().accent;
  const struct {
    bool bipolar;
    float value;
    float from;
    float to;
  } cases[] = {
      {false, 0.75f, 0.0f, 0.75f},
      {false, 1.0f, 0.0f, 1.0f},
      {true, 0.25f, 0.25f, 0.5f},
      {true, 0.9f, 0.5f, 0.9f},
  };
  for (const auto& c : cases) {
    knob->SetBipolar(c.bipolar);
    knob->SetValue(c.value);
    const auto arcs = Paint().InColour(accent);
    ASSERT_EQ(arcs.size(), 1u) << c.value;
    EXPECT_NEAR(arcs[0].startAngle, VGui::CtrlKnob::AngleFor(c.from), 1e-5f);
    EXPECT_NEAR(arcs[0].endAngle, VGui::CtrlKnob::AngleFor(c.to), 1e-5f);
  }
  knob->SetBipolar(false);
  knob->SetValue(0.0f);
  EXPECT_TRUE(Paint().InColour(accent).empty());
  knob->SetBipolar(true);
  knob->SetValue(0.5f);
  EXPECT_TRUE(Paint().InColour(accent).empty());
}

TEST(KnobAngleTest, TravelIs280DegreesAroundTheTop) {
  constexpr float kDegree = 3.14159265f / 180.0f;
  EXPECT_NEAR(VGui::CtrlKnob::AngleFor(0.5f), -90.0f * kDegree, 1e-5f);
  EXPECT_NEAR(VGui::CtrlKnob::AngleFor(0.0f), -230.0f * kDegree, 1e-5f);
  EXPECT_NEAR(VGui::CtrlKnob::AngleFor(1.0f), 50.0f * kDegree, 1e-5f);
  EXPECT_NEAR(VGui::CtrlKnob::AngleFor(2.0f), VGui::CtrlKnob::AngleFor(1.0f), 1e-6f);
}

TEST_F(DrawTest, SliderFillEndsAtTheThumbCentre) {
  auto* slider = h.Add<VGui::CtrlSlider>({0, 0, 110, 20});
  const VGui::Colour accent = slider->CurrentStyle().accent;
  for (float value : {0.25f, 0.5f, 1.0f}) {
    slider->SetValue(value);
    const auto fills = Paint().InColour(accent);
    ASSERT_EQ(fills.size(), 1u);
    // The thumb's centre travels from 5 to 105.
    EXPECT_NEAR(fills[0].rect.Right(), 5.0f + 100.0f * value, 1e-4f);
  }
}

TEST_F(DrawTest, ButtonOnFillsWithTheAccent) {
  auto* button = h.Add<VGui::CtrlButton>({0, 0, 60, 20});
  button->SetText("Sync");
  const VGui::Colour accent = button->CurrentStyle().accent;
  EXPECT_TRUE(Paint().InColour(accent).empty());
  EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"Sync"});
  button->SetValue(1.0f);
  EXPECT_FALSE(Paint().InColour(accent).empty());
}

TEST_F(DrawTest, FlashingLightDimsAsItFades) {
  auto* light = h.Add<VGui::FlashingButton>({0, 0, 20, 20});
  const VGui::Colour accent = light->CurrentStyle().accent;
  light->Flash();
  EXPECT_FALSE(Paint().InColour(accent).empty());
  h.root.Tick();
  EXPECT_TRUE(Paint().InColour(accent).empty());  // part way: neither off nor full
  EXPECT_TRUE(Paint().InColour(VGui::Theme::kBody).empty());
  for (int tick = 0; tick < VGui::FlashingButton::kFadeTicks; ++tick) h.root.Tick();
  EXPECT_FALSE(Paint().InColour(VGui::Theme::kBody).empty());
}

TEST_F(DrawTest, GroupLightsTheSelectedSegment) {
  auto* group = h.Add<VGui::CtrlButtonGroup>({0, 0, 120, 20});
  group->SetItems({"A", "B", "C", "D"});
  group->SetValue(2.0f);
  const auto lit = Paint().InColour(group->CurrentStyle().accent);
  ASSERT_EQ(lit.size(), 1u);
  EXPECT_GE(lit[0].rect.x, 60.0f);
  EXPECT_LE(lit[0].rect.Right(), 90.0f);
  EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST_F(DrawTest, MeterTurnsHotAboveItsHotPosition) {
  auto* meter = h.Add<VGui::CtrlLevelStrip>({0, 0, 10, 100});
  const VGui::Colour accent = meter->CurrentStyle().accent;
  meter->SetValue(0.5f);
  auto cool = Paint().InColour(accent);
  ASSERT_EQ(cool.size(), 1u);
  EXPECT_FLOAT_EQ(cool[0].rect.y, 50.0f);
  EXPECT_FLOAT_EQ(cool[0].rect.height, 50.0f);
  meter->SetValue(0.9f);
  cool = Paint().InColour(accent);
  ASSERT_EQ(cool.size(), 1u);
  EXPECT_FLOAT_EQ(cool[0].rect.height, 80.0f);
  const auto hot = canvas.InColour(VGui::Theme::kHot);
  ASSERT_FALSE(hot.empty());
  EXPECT_NEAR(hot[0].rect.y, 10.0f, 1e-4f);
  EXPECT_NEAR(hot[0].rect.height, 10.0f, 1e-4f);
}

TEST_F(DrawTest, ComboShowsTheSelectedItem) {
  auto* combo = h.Add<VGui::CtrlComboBox>({0, 0, 80, 20});
  combo->SetItems({"LFO1", "LFO2", "IN", "SC"});
  combo->SetValue(2.0f);
  EXPECT_EQ(Paint().Texts(), std::vector<std::string>{"IN"});
}

TEST_F(DrawTest, TextFieldShowsTheCaretOnlyWhileEditing) {
  auto* field = h.Add<VGui::CtrlTextBox>({0, 0, 80, 20});
  field->SetText("12");
  EXPECT_TRUE(Paint().InColour(VGui::Theme::kCaret).empty());
  h.root.SetFocus(field);
  h.Key(VGui::Key::kEnd);
  const auto caret = Paint().InColour(VGui::Theme::kCaret);
  ASSERT_EQ(caret.size(), 1u);
  EXPECT_NEAR(caret[0].rect.x, 4.0f + 12.0f, 1.0f);  // after two 6-pixel characters
  EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"12"});
}

TEST_F(DrawTest, PanelTitleIsDrawn) {
  auto* panel = h.Add<VGui::CtrlPanel>({0, 0, 200, 100});
  EXPECT_TRUE(Paint().Texts().empty());
  panel->SetTitle("Drive");
  EXPECT_EQ(Paint().Texts(), std::vector<std::string>{"Drive"});
}

// --- Meter peak ----------------------------------------------------------------------------------

TEST(LevelStripTest, PeakHoldsThenFalls) {
  VGui::CtrlLevelStrip meter;
  meter.SetValue(0.9f);
  for (int update = 0; update < VGui::CtrlLevelStrip::kPeakHoldUpdates; ++update) {
    meter.SetValue(0.1f);
    EXPECT_FLOAT_EQ(meter.Peak(), 0.9f) << update;
  }
  meter.SetValue(0.1f);
  EXPECT_NEAR(meter.Peak(), 0.9f - VGui::CtrlLevelStrip::kPeakFallPerUpdate, 1e-6f);
  for (int update = 0; update < 200; ++update) meter.SetValue(0.1f);
  EXPECT_FLOAT_EQ(meter.Peak(), 0.1f);  // never below the level
  meter.SetValue(0.95f);
  EXPECT_FLOAT_EQ(meter.Peak(), 0.95f);
  meter.SetValue(kNaN);
  EXPECT_FLOAT_EQ(meter.Peak(), 0.95f);
  meter.SetValue(0.2f);
  meter.ResetPeak();
  EXPECT_FLOAT_EQ(meter.Peak(), 0.2f);
}

}  // namespace
}  // namespace VGuiControlsTest
