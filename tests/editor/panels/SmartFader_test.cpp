// The modulation-aware fader: which way its split caps face, where each half is drawn, and which
// handle a press takes.
#include "editor/SmartFader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "plugin/ParameterTable.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinSet.h"
#include "tests/editor/panels/PanelTestKit.h"
#include "tests/editor/panels/SmartControlTestKit.h"
#include "tests/support/gui/core/RecordingCanvas.h"

namespace {

using SmartControlTestKit::HandleSpy;
using SmartControlTestKit::Mouse;
using SmartControlTestKit::ScratchResources;

TEST(SmartFaderTest, CapsSwapWhenTheTargetCrossesTheValueExceptNearTheEnds) {
  struct Case {
    float value;
    float target;
    bool down;
  };
  const Case cases[] = {
      {0.5f, 0.3f, true},    {0.3f, 0.5f, false},   {0.5f, 0.49f, true},  {0.49f, 0.5f, false},
      {0.04f, 0.02f, false}, {0.02f, 0.04f, false}, {0.04f, 0.2f, false}, {0.2f, 0.04f, true},
      {0.96f, 0.98f, true},  {0.98f, 0.96f, true},  {0.96f, 0.5f, true},  {0.5f, 0.96f, false},
      {1.4f, 0.97f, true},   {-0.3f, 0.01f, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SmartFader::RangeHangsDown(c.value, c.target), c.down) << c.value << " " << c.target;
  }
}

// Value halves 18 wide, target halves 16 wide, so the recorded drawing tells them apart.
constexpr float kValueCapWidth = 18.0f;
constexpr float kTargetCapWidth = 16.0f;

void WriteFaderImages(const ScratchResources& resources) {
  const std::string folder = SmartFader::kImageFolder;
  const std::string common = folder + "Common/";
  resources.WriteImage(folder + "FaderTrack.png", 20, 70, 0xFF202020u);
  resources.WriteImage(folder + "FaderTrackModFill.png", 20, 8, 0xFF38C7B2u);
  resources.WriteImage(common + "FaderCap.png", 18, 11, 0xFFFFFFFFu);
  resources.WriteImage(common + "FaderCapUp.png", 18, 5, 0xFFFFFFFFu);
  resources.WriteImage(common + "FaderCapDown.png", 18, 6, 0xFFFFFFFFu);
  resources.WriteImage(common + "FaderModCapUp.png", 16, 5, 0xFF38C7B2u);
  resources.WriteImage(common + "FaderModCapDown.png", 16, 6, 0xFF38C7B2u);
  resources.WriteImage(common + "FaderModPoint.png", 14, 5, 0xFF38C7B2u);
}

std::vector<VGui::RectF> DrawnOfWidth(const VGuiTest::RecordingCanvas& canvas, float width) {
  std::vector<VGui::RectF> found;
  for (const auto& call : canvas.calls) {
    if (call.op == "DrawImage" && call.rect.width == width) found.push_back(call.rect);
  }
  return found;
}

TEST(SmartFaderTest, HalvesSitAtValueAndTarget) {
  // y(t) = (1 - t) * 51 for the 70 high fader; the upper half at y + 4, the lower at y + 9.
  const auto y = [](float t) { return (1.0f - t) * 51.0f; };
  struct Case {
    float value;
    float target;
    bool enabled;
    float valueTop;
    float valueHeight;
    float targetTop;  // < 0: no target half
    float targetHeight;
  };
  const Case cases[] = {
      {0.5f, 0.5f, true, y(0.5f) + 4, 11, -1, 0},              // one whole cap
      {0.6f, 0.3f, false, y(0.6f) + 4, 11, -1, 0},             // no source: one whole cap
      {0.6f, 0.3f, true, y(0.6f) + 4, 5, y(0.3f) + 9, 6},      // target below
      {0.3f, 0.6f, true, y(0.3f) + 9, 6, y(0.6f) + 4, 5},      // target above
      {0.04f, 0.02f, true, y(0.04f) + 9, 6, y(0.02f) + 4, 5},  // bottom: never swapped
      {0.96f, 0.98f, true, y(0.96f) + 4, 5, y(0.98f) + 9, 6},  // top: always swapped
  };
  ScratchResources resources("fader-halves");
  WriteFaderImages(resources);
  for (const Case& c : cases) {
    VGui::CtrlRoot root;
    root.SetBounds({0, 0, 100, 100});
    root.Skins().SetResourceFolder(resources.Path());
    auto* fader = static_cast<SmartFader*>(root.AddChild(std::make_unique<SmartFader>()));
    fader->SetBounds({0, 0, 20, 70});
    fader->SetValue(c.value);
    fader->SetModulationSource(c.enabled ? 1 : 0, c.enabled);
    fader->SetModulationTarget(c.target);
    ASSERT_TRUE(fader->HasImages());
    VGuiTest::RecordingCanvas canvas;
    fader->Draw(canvas);
    const auto valueHalves = DrawnOfWidth(canvas, kValueCapWidth);
    const auto targetHalves = DrawnOfWidth(canvas, kTargetCapWidth);
    ASSERT_EQ(valueHalves.size(), 1u) << c.value << " " << c.target;
    EXPECT_NEAR(valueHalves[0].y, c.valueTop, 1e-4f) << c.value << " " << c.target;
    EXPECT_EQ(valueHalves[0].height, c.valueHeight) << c.value << " " << c.target;
    if (c.targetTop < 0.0f) {
      EXPECT_TRUE(targetHalves.empty()) << c.value << " " << c.target;
      continue;
    }
    ASSERT_EQ(targetHalves.size(), 1u) << c.value << " " << c.target;
    EXPECT_NEAR(targetHalves[0].y, c.targetTop, 1e-4f) << c.value << " " << c.target;
    EXPECT_EQ(targetHalves[0].height, c.targetHeight) << c.value << " " << c.target;
  }
}

TEST(SmartFaderTest, CapTakesValueAndRangeElsewhereTheDepth) {
  namespace PT = ParameterTable;
  struct Case {
    const char* what;
    float value;
    float target;
    int pressY;  // local
    uint32_t modifiers;
    int32_t handle;
    int32_t sentSource;
    float sent;
    const char* cursor;
  };
  // y(0.5) = 25.5: the whole cap covers 29.5 to 40.5; with the target above, the value's half
  // is the lower one (34.5 to 40.5, grabbed down to 43.5).
  const Case cases[] = {
      {"whole cap", 0.5f, 0.5f, 35, 0, SmartControl::kBothHandles, 0, 0.6f,
       "CursorAndModulateUpDown"},
      {"whole cap with Ctrl", 0.5f, 0.5f, 35, VGui::kModControl, SmartControl::kValueHandle, 0,
       0.6f, "CursorAndModulateRotary"},
      {"track above the cap", 0.5f, 0.5f, 10, 0, SmartControl::kModulationHandle, 3, 0.1f,
       "CursorModulateUpDown"},
      {"value half", 0.5f, 0.8f, 42, 0, SmartControl::kBothHandles, 0, 0.6f,
       "CursorAndModulateUpDown"},
      {"target half", 0.5f, 0.8f, 17, 0, SmartControl::kModulationHandle, 3, 0.4f,
       "CursorModulateUpDown"},
  };
  for (const Case& c : cases) {
    PanelTestKit::EditorTree tree;
    tree.synth->Transmod()->SelectSource(3);
    VGui::Ctrl& control = tree.Control("LFO1PWM");
    auto& fader = dynamic_cast<SmartFader&>(control);
    ASSERT_EQ(control.Bounds().height, 70);
    control.SetValue(c.value);
    fader.SetModulationTarget(c.target);
    HandleSpy spy(tree.synth);
    control.SetListener(&spy);
    const VGui::Rect r = control.RootBounds();
    const VGui::Point start{r.x + r.width / 2, r.y + c.pressY};
    tree.recorder.seen.clear();
    tree.root.MouseDown(Mouse(start, c.modifiers));
    tree.root.MouseMove(Mouse({start.x, start.y - 30}, c.modifiers));
    EXPECT_EQ(tree.root.CurrentCursorName(), c.cursor) << c.what;
    tree.root.MouseUp(Mouse({start.x, start.y - 30}, c.modifiers));
    control.SetListener(tree.synth);
    tree.RunEngine();
    ASSERT_GE(spy.handles.size(), 3u) << c.what;
    for (int32_t handle : spy.handles) EXPECT_EQ(handle, c.handle) << c.what;
    const auto sent = tree.recorder.OfType(MessageType::e_setFilterParameter);
    ASSERT_FALSE(sent.empty()) << c.what;
    EXPECT_EQ(sent.back().values[0].AsInt(), PT::kLFO1Swing) << c.what;
    EXPECT_EQ(sent.back().values[1].AsInt(), c.sentSource) << c.what;
    EXPECT_NEAR(sent.back().values[2].AsFloat(), c.sent, 1e-5f) << c.what;
  }
}

}  // namespace
