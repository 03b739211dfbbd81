// The modulation-aware knob: the range it draws between value and target, its drag modes and
// the messages they cause through the synth panel, and skins whose knob images are unusable.
#include "editor/SmartKnob.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

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

constexpr int kSide = 40;
constexpr int kFrames = 11;
constexpr uint32_t kBody = 0xFF000000u;
constexpr uint32_t kRange = 0xFFFF0000u;
constexpr uint32_t kGlow = 0xFF0000FFu;
constexpr const char* kStyle = "Test";

std::string KnobFile(const char* name) {
  return std::string(SmartKnob::kImageFolder) + kStyle + "/" + name;
}

// A knob style whose body is black, whose range background is red and whose glow marks only the
// corner pixel; the film strips are transparent.
void WriteKnobImages(const ScratchResources& resources) {
  resources.WriteImage(KnobFile("DialNoModBack.png"), kSide, kSide, kBody);
  resources.WriteImage(KnobFile("DialModBack.png"), kSide, kSide, kRange);
  resources.WriteImage(KnobFile("DialTop.png"), kSide, kSide * kFrames, 0u);
  resources.WriteImage(KnobFile("DialMod.png"), kSide, kSide * kFrames, 0u);
  VGui::PixelImage glow(kSide, kSide);
  glow.Row(0)[0] = kGlow;
  resources.Write(KnobFile("DialModGlow.png"), glow);
}

class KnobOnRoot {
 public:
  explicit KnobOnRoot(const ScratchResources& resources, const char* style = kStyle) {
    root.SetBounds({0, 0, 100, 100});
    root.Skins().SetResourceFolder(resources.Path());
    auto made = std::make_unique<SmartKnob>();
    made->SetBounds({0, 0, kSide, kSide});
    made->SetKnobStyleFolder(style);
    knob = static_cast<SmartKnob*>(root.AddChild(std::move(made)));
  }
  VGui::PixelImage Render() {
    VGui::PixelImage image(kSide, kSide);
    auto canvas = VGui::MakeCanvas(image, 1.0f);
    knob->Draw(*canvas);
    return image;
  }
  VGui::CtrlRoot root;
  SmartKnob* knob = nullptr;
};

// The pixel 70 % of the radius out from the centre, at the angle of a position along the travel.
uint32_t PixelAtPosition(const VGui::PixelImage& image, float position) {
  const float angle = VGui::CtrlKnob::AngleFor(position);
  const float radius = kSide * 0.5f * 0.7f;
  const int x = int(std::lround(kSide * 0.5f + radius * std::cos(angle)));
  const int y = int(std::lround(kSide * 0.5f + radius * std::sin(angle)));
  return image.At(x, y);
}

TEST(SmartKnobTest, RangeIsDrawnBetweenValueAndTargetOnly) {
  struct Case {
    float value;
    float target;
    bool enabled;
    bool range;
  };
  const Case cases[] = {
      {0.0f, 0.0f, true, false}, {1.0f, 1.0f, true, false},  {0.2f, 0.6f, true, true},
      {0.6f, 0.2f, true, true},  {0.2f, 0.6f, false, false}, {0.9f, 1.7f, true, true},
      {1.0f, 1.3f, true, false}, {0.0f, -0.4f, true, false}, {0.4f, 0.4f, true, false},
  };
  ScratchResources resources("knob-range");
  WriteKnobImages(resources);
  for (const Case& c : cases) {
    KnobOnRoot tree(resources);
    tree.knob->SetValue(c.value);
    tree.knob->SetModulationSource(c.enabled ? 3 : 0, c.enabled);
    tree.knob->SetModulationTarget(c.target);
    ASSERT_TRUE(tree.knob->HasImages());
    EXPECT_EQ(tree.knob->ShowsModulationRange(), c.range) << c.value << " -> " << c.target;
    const VGui::PixelImage image = tree.Render();
    const float low = std::min(c.value, std::clamp(c.target, 0.0f, 1.0f));
    const float high = std::max(c.value, std::clamp(c.target, 0.0f, 1.0f));
    for (float position : {0.1f, 0.4f, 0.8f, 0.95f}) {
      const bool inside = c.range && position > low && position < high;
      EXPECT_EQ(PixelAtPosition(image, position), inside ? kRange : kBody)
          << c.value << " -> " << c.target << " at " << position;
    }
    EXPECT_EQ(image.At(0, 0), c.range ? kGlow : kBody) << c.value << " -> " << c.target;
  }
}

TEST(SmartKnobTest, UnusableImagesFallBackWithoutACrash) {
  struct Case {
    const char* what;
    int valueStripHeight;  // 0: not written
    int liveStripHeight;
    bool images;
    int imagesDrawn;  // body, value frame, live frame when usable
  };
  const Case cases[] = {
      {"usable", kSide * kFrames, kSide * kFrames, true, 3},
      {"value strip of uneven frames", kSide * kFrames + 5, kSide * kFrames, false, 0},
      {"value strip shorter than a frame", kSide / 2, kSide * kFrames, false, 0},
      {"live strip of uneven frames", kSide * kFrames, kSide * 3 + 1, true, 2},
      {"no value strip", 0, kSide * kFrames, false, 0},
  };
  for (const Case& c : cases) {
    ScratchResources resources("knob-bad");
    resources.WriteImage(KnobFile("DialNoModBack.png"), kSide, kSide, kBody);
    if (c.valueStripHeight > 0) {
      resources.WriteImage(KnobFile("DialTop.png"), kSide, c.valueStripHeight, 0u);
    }
    resources.WriteImage(KnobFile("DialMod.png"), kSide, c.liveStripHeight, 0u);
    KnobOnRoot tree(resources);
    tree.knob->SetValue(0.3f);
    tree.knob->TakeLiveValue(0.5f);
    EXPECT_EQ(tree.knob->HasImages(), c.images) << c.what;
    VGuiTest::RecordingCanvas canvas;
    tree.knob->Draw(canvas);
    EXPECT_EQ(canvas.Count("DrawImage"), c.imagesDrawn) << c.what;
    // Without images the knob is the toolkit's: its travel and value arcs.
    EXPECT_EQ(canvas.Count("StrokeArc") > 0, !c.images) << c.what;
  }
}

TEST(SmartKnobTest, MissingStyleFolderDrawsTheVectorKnobWithItsRange) {
  ScratchResources resources("knob-nofolder");
  KnobOnRoot tree(resources, "Nowhere");
  tree.knob->SetValue(0.2f);
  tree.knob->SetModulationSource(1, true);
  tree.knob->SetModulationTarget(0.2f);
  VGuiTest::RecordingCanvas plain;
  tree.knob->Draw(plain);
  tree.knob->SetModulationTarget(0.6f);
  VGuiTest::RecordingCanvas ranged;
  tree.knob->Draw(ranged);
  EXPECT_FALSE(tree.knob->HasImages());
  EXPECT_EQ(plain.Count("DrawImage") + ranged.Count("DrawImage"), 0);
  EXPECT_EQ(ranged.Count("StrokeArc"), plain.Count("StrokeArc") + 1);
}

TEST(SmartKnobTest, NonFiniteEngineValuesAreRefused) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (float bad : {nan, inf, -inf}) {
    SmartKnob knob;
    knob.SetModulationTarget(0.25f);
    knob.SetModulationTarget(bad);
    EXPECT_EQ(knob.ModulationTarget(), 0.25f) << bad;
    ASSERT_TRUE(knob.TakeLiveValue(0.75f));
    EXPECT_FALSE(knob.TakeLiveValue(bad)) << bad;
    EXPECT_EQ(knob.LiveValue(), 0.75f) << bad;
  }
  SmartKnob knob;
  EXPECT_TRUE(knob.TakeLiveValue(7.0f));
  EXPECT_EQ(knob.LiveValue(), 1.0f);
}

// --- Drags through the synth panel -----------------------------------------------------------

namespace PT = ParameterTable;
using PanelTestKit::EditorTree;

constexpr const char* kKnobName = "Filter1Resonance";

struct DragResult {
  std::vector<int32_t> handles;
  std::string cursor;  // while the button is held
  PanelTestKit::SynthRecorder::Seen last{};
  size_t sent = 0;
  float value = 0.0f;
  float target = 0.0f;
  int32_t handleAfter = 0;
};

// Presses the knob at offset dx from its centre, drags by each dy in turn (relative to the
// press), and releases.
DragResult DragKnob(EditorTree& tree, int dx, uint32_t modifiers, std::initializer_list<int> dys) {
  VGui::Ctrl& control = tree.Control(kKnobName);
  auto& smart = dynamic_cast<SmartKnob&>(control);
  HandleSpy spy(tree.synth);
  control.SetListener(&spy);
  const VGui::Rect r = control.RootBounds();
  const VGui::Point start{r.x + r.width / 2 + dx, r.y + r.height / 2};
  tree.recorder.seen.clear();
  DragResult result;
  tree.root.MouseDown(Mouse(start, modifiers));
  VGui::Point at = start;
  for (int dy : dys) {
    at = {start.x, start.y + dy};
    tree.root.MouseMove(Mouse(at, modifiers));
  }
  result.cursor = std::string(tree.root.CurrentCursorName());
  result.value = control.Value();
  result.target = smart.ModulationTarget();
  tree.root.MouseUp(Mouse(at, modifiers));
  control.SetListener(tree.synth);
  tree.RunEngine();
  const auto sent = tree.recorder.OfType(MessageType::e_setFilterParameter);
  result.sent = sent.size();
  if (!sent.empty()) result.last = sent.back();
  result.handles = spy.handles;
  result.handleAfter = smart.ActiveHandle();
  return result;
}

void PrepareKnob(EditorTree& tree, int32_t source, float value, float target) {
  tree.synth->Transmod()->SelectSource(source);
  VGui::Ctrl& control = tree.Control(kKnobName);
  control.SetValue(value);
  dynamic_cast<SmartKnob&>(control).SetModulationTarget(target);
}

TEST(SmartKnobTest, EachDragModePostsItsMessage) {
  struct Case {
    const char* what;
    int32_t source;
    int dx;  // from the centre; the knob is 50 wide, its centre handle 10 in radius
    uint32_t modifiers;
    int32_t handle;
    int32_t sentSource;
    float sent;
    float value;
    float target;
    const char* cursor;
  };
  const Case cases[] = {
      {"centre: both", 2, 0, 0, SmartControl::kBothHandles, 0, 0.6f, 0.6f, 0.8f,
       "CursorAndModulateRotary"},
      {"centre with Ctrl: value only", 2, 3, VGui::kModControl, SmartControl::kValueHandle, 0, 0.6f,
       0.6f, 0.7f, "CursorAndModulateRotary"},
      {"ring: depth", 2, 18, 0, SmartControl::kModulationHandle, 2, 0.3f, 0.5f, 0.8f,
       "CursorModulateRotary"},
      {"ring with Shift: fine depth", 2, -18, VGui::kModShift, SmartControl::kModulationHandle, 2,
       0.21f, 0.5f, 0.71f, "CursorModulateRotary"},
      {"ring without a source: both", 0, 18, 0, SmartControl::kBothHandles, 0, 0.6f, 0.6f, 0.8f,
       "CursorAndModulateRotary"},
  };
  for (const Case& c : cases) {
    EditorTree tree;
    PrepareKnob(tree, c.source, 0.5f, 0.7f);
    const DragResult r = DragKnob(tree, c.dx, c.modifiers, {-15, -30});
    ASSERT_GE(r.handles.size(), 3u) << c.what;  // begin, changes, end
    for (int32_t handle : r.handles) EXPECT_EQ(handle, c.handle) << c.what;
    EXPECT_EQ(r.cursor, c.cursor) << c.what;
    EXPECT_NEAR(r.value, c.value, 1e-5f) << c.what;
    EXPECT_NEAR(r.target, c.target, 1e-5f) << c.what;
    ASSERT_GE(r.sent, 1u) << c.what;
    EXPECT_EQ(r.last.values[0].AsInt(), PT::kF1Res) << c.what;
    EXPECT_EQ(r.last.values[1].AsInt(), c.sentSource) << c.what;
    EXPECT_NEAR(r.last.values[2].AsFloat(), c.sent, 1e-5f) << c.what;
    EXPECT_EQ(r.handleAfter, SmartControl::kValueHandle) << c.what;
  }
}

TEST(SmartKnobTest, BothHandlesDragPastTheTopMovesTheRangeByTheValuesChangeOnly) {
  struct Case {
    std::initializer_list<int> dys;
    float value;
    float target;
  };
  const Case cases[] = {
      {{-90}, 1.0f, 0.8f},             // 0.3 asked, 0.1 taken
      {{-90, -300}, 1.0f, 0.8f},       // further up changes nothing
      {{-300, 30}, 0.8f, 0.6f},        // back below the start: from the start, not the top
      {{-30, -600, -30}, 1.0f, 0.8f},  // wherever the mouse has been
  };
  for (const Case& c : cases) {
    EditorTree tree;
    PrepareKnob(tree, 2, 0.9f, 0.7f);
    const DragResult r = DragKnob(tree, 0, 0, c.dys);
    EXPECT_NEAR(r.value, c.value, 1e-5f);
    EXPECT_NEAR(r.target, c.target, 1e-5f);
    ASSERT_GE(r.sent, 1u);
    EXPECT_EQ(r.last.values[1].AsInt(), 0);
    EXPECT_NEAR(r.last.values[2].AsFloat(), c.value, 1e-5f);
  }
}

}  // namespace
