// The visualisation panels: which ticks repaint them, the dimmed filter display, the compressor's
// straight line, the scrolling histories, bad values and empty placeholders, and the nine panels
// of the synth skin ticking with the engine.
#include "editor/VizPanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "editor/ParameterControls.h"
#include "plugin/ParameterTable.h"
#include "support/gui/Canvas.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/RootWindow.h"
#include "support/gui/SkinSet.h"
#include "tests/editor/panels/PanelTestKit.h"

namespace {

namespace PT = ParameterTable;
using VizCurves::Snapshot;

constexpr VGui::Colour kDisplay{255, 200, 40, 255};
constexpr VGui::Colour kBackground{0, 0, 0, 255};

Snapshot Values(float value) {
  Snapshot s{};
  s.fill(value);
  return s;
}

bool Overlaps(const VGui::Rect& a, const VGui::Rect& b) {
  return a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

bool RegionTouches(const std::vector<VGui::Rect>& region, const VGui::Rect& r) {
  for (const VGui::Rect& piece : region) {
    if (Overlaps(piece, r)) return true;
  }
  return false;
}

bool SamePoints(const std::vector<VGui::PointF>& a, const std::vector<VGui::PointF>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](VGui::PointF p, VGui::PointF q) { return p.x == q.x && p.y == q.y; });
}

uint8_t Red(uint32_t argb) {
  return uint8_t(argb >> 16);
}

class VizPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.SetBounds({0, 0, 400, 200});
    skins_.AddColour(VizPanel::kDisplayColourName, kDisplay);
    VGui::Style style;
    style.name = VizPanel::kStyleName;
    style.background = kBackground;
    skins_.AddStyle(style);
  }

  VizPanel& Add(int32_t kind, VGui::Rect bounds = {20, 30, 120, 60}) {
    auto panel = std::make_unique<VizPanel>(kind, skins_);
    panel->SetBounds(bounds);
    return *static_cast<VizPanel*>(root_.AddChild(std::move(panel)));
  }

  // Paints and forgets the invalid region, as a frame does.
  void Frame() {
    VGui::PixelImage image(400, 200);
    auto canvas = VGui::MakeCanvas(image, 1.0f);
    root_.PaintInvalid(*canvas);
  }

  VGui::CtrlRoot root_;
  VGui::SkinSet skins_;
};

TEST_F(VizPanelTest, AChangeOutsideItsRangeLeavesTheDisplayAlone) {
  const struct {
    int32_t kind;
    int32_t outside, inside;
  } cases[] = {
      {VizCurves::kDrive, PT::kDriveActive, PT::kDriveMode},
      {VizCurves::kFilter1, PT::kF1Pan, PT::kF1Cutoff},
      {VizCurves::kFilter2, PT::kF1Cutoff, PT::kF2Res},
      {VizCurves::kLFO1, PT::kLFO2Shape, PT::kLFO1Shape},
      {VizCurves::kLFO2, PT::kLFO1Phase, PT::kLFO2Phase},
      {VizCurves::kEnvelope, PT::kSandHRate, PT::kEnvDecay},
      {VizCurves::kCompressor, PT::kGain, PT::kComp},
  };
  for (const auto& c : cases) {
    VizPanel& panel = Add(c.kind);
    Snapshot live = Values(0.4f);
    EXPECT_TRUE(panel.GetParameters(live, 0.0f));  // the first tick draws once
    Frame();
    live[c.outside] = 0.9f;
    EXPECT_FALSE(panel.GetParameters(live, 0.0f)) << "kind " << c.kind;
    EXPECT_FALSE(root_.HasInvalidRegion()) << "kind " << c.kind;
    live[c.inside] = 0.9f;
    EXPECT_TRUE(panel.GetParameters(live, 0.0f)) << "kind " << c.kind;
    EXPECT_TRUE(RegionTouches(root_.InvalidRegion(), panel.RootBounds())) << "kind " << c.kind;
    Frame();
    root_.RemoveAllChildren();
  }
}

TEST_F(VizPanelTest, FilterDisplayDimsWhenBypassedWithoutAChangeOfCurve) {
  for (const int32_t kind : {VizCurves::kFilter1, VizCurves::kFilter2}) {
    const int32_t active = kind == VizCurves::kFilter1 ? PT::kF1Active : PT::kF2Active;
    VizPanel& panel = Add(kind);
    Snapshot live = Values(0.5f);
    live[active] = 1.0f;
    panel.GetParameters(live, 0.0f);
    const VGui::PixelImage bright = VGui::RenderAll(root_, 1.0f);
    const std::vector<VGui::PointF> brightPoints = panel.Points();
    EXPECT_EQ(panel.LineColour(), kDisplay);

    live[active] = 0.0f;
    EXPECT_TRUE(panel.GetParameters(live, 0.0f));
    const VGui::PixelImage dim = VGui::RenderAll(root_, 1.0f);
    ASSERT_EQ(brightPoints.size(), 120u);
    EXPECT_TRUE(SamePoints(panel.Points(), brightPoints));
    EXPECT_EQ(panel.LineColour(), kDisplay.WithAlpha(VizPanel::kBypassedAlpha));
    // The curve's own pixels are darker, everywhere along it.
    for (const int column : {10, 60, 110}) {
      const VGui::PointF p = brightPoints[size_t(column)];
      const int x = panel.RootBounds().x + column;
      const int y = panel.RootBounds().y + int(p.y);
      EXPECT_GT(Red(bright.At(x, y)), Red(dim.At(x, y)) + 60) << "column " << column;
    }

    live[active] = 1.0f;
    EXPECT_TRUE(panel.GetParameters(live, 0.0f));
    const VGui::PixelImage again = VGui::RenderAll(root_, 1.0f);
    EXPECT_TRUE(
        std::equal(again.Data(), again.Data() + again.Width() * again.Height(), bright.Data()));
    root_.RemoveAllChildren();
  }
}

TEST_F(VizPanelTest, HardCompressorAtZeroIsOneStraightLine) {
  VizPanel& panel = Add(VizCurves::kCompressor, {10, 10, 160, 58});
  Snapshot live = Values(0.5f);
  live[PT::kComp] = 0.0f;
  live[PT::kCompMode] = 1.0f;
  panel.GetParameters(live, 0.0f);
  VGui::RenderAll(root_, 1.0f);
  const std::vector<float>& curve = panel.Curve();
  ASSERT_EQ(curve.size(), 161u);
  EXPECT_FLOAT_EQ(curve[80], 0.5f);  // 0.5 per half width
  EXPECT_FLOAT_EQ(curve[160], 1.0f);
  const std::vector<VGui::PointF>& points = panel.Points();
  ASSERT_EQ(points.size(), 160u);
  EXPECT_FLOAT_EQ(points.front().y, 58.0f - 4.0f);
  const float step = points[1].y - points[0].y;
  EXPECT_LT(step, 0.0f);
  for (size_t i = 1; i < points.size(); ++i) {
    ASSERT_NEAR(points[i].y - points[i - 1].y, step, 1e-3f) << "column " << i;
  }
}

TEST_F(VizPanelTest, HistoriesScrollOnEveryTick) {
  for (const int32_t kind : {VizCurves::kSampleAndHold, VizCurves::kFollower}) {
    VizPanel& panel = Add(kind, {10, 10, 8, 28});
    const Snapshot same = Values(0.5f);
    std::vector<float> fed;
    for (int tick = 1; tick <= 11; ++tick) {
      const float value = 0.05f * float(tick);
      fed.push_back(value);
      EXPECT_TRUE(panel.GetParameters(same, value)) << "tick " << tick;
      if (tick == 3) {
        EXPECT_EQ(panel.History(), (std::vector<float>{0, 0, 0, 0, 0, fed[0], fed[1], fed[2]}));
      }
    }
    EXPECT_EQ(panel.History(), std::vector<float>(fed.end() - 8, fed.end()));
    VGui::RenderAll(root_, 1.0f);
    EXPECT_EQ(panel.Curve(), panel.History());
    ASSERT_EQ(panel.Points().size(), 8u);
    EXPECT_FLOAT_EQ(panel.Points().back().y, VizCurves::CurveY(fed.back(), 28.0f));
    EXPECT_FLOAT_EQ(panel.Points().front().y, VizCurves::CurveY(fed[3], 28.0f));
    root_.RemoveAllChildren();
  }
}

TEST_F(VizPanelTest, BadLiveValuesAreDrawnClampedAndDoNotKeepRedrawing) {
  VizPanel& panel = Add(VizCurves::kFilter1);
  Snapshot live = Values(0.5f);
  panel.GetParameters(live, 0.0f);
  live[PT::kF1Cutoff] = std::nanf("");
  live[PT::kF1Res] = 7.0f;
  live[PT::kF1Mode] = -2.0f;
  EXPECT_TRUE(panel.GetParameters(live, 0.0f));
  EXPECT_EQ(panel.CurrentSnapshot()[PT::kF1Cutoff], 0.0f);
  EXPECT_EQ(panel.CurrentSnapshot()[PT::kF1Res], 1.0f);
  EXPECT_EQ(panel.CurrentSnapshot()[PT::kF1Mode], 0.0f);
  EXPECT_FALSE(panel.GetParameters(live, 0.0f));  // NaN again is no change
  live[PT::kF1Cutoff] = -std::numeric_limits<float>::infinity();
  EXPECT_FALSE(panel.GetParameters(live, 0.0f));
  VGui::RenderAll(root_, 1.0f);
  ASSERT_EQ(panel.Points().size(), 120u);
  for (const VGui::PointF& p : panel.Points()) {
    ASSERT_TRUE(std::isfinite(p.y));
    ASSERT_GE(p.y, 2.0f);
    ASSERT_LE(p.y, 58.0f);
  }

  VizPanel& history = Add(VizCurves::kFollower, {200, 10, 4, 28});
  history.GetParameters(live, std::nanf(""));
  history.GetParameters(live, 3.0f);
  EXPECT_EQ(history.History(), (std::vector<float>{0.0f, 0.0f, 0.0f, 1.0f}));
}

TEST_F(VizPanelTest, EmptyPlaceholdersDrawNothing) {
  for (const VGui::Rect bounds :
       {VGui::Rect{10, 10, 0, 0}, VGui::Rect{10, 10, 0, 40}, VGui::Rect{10, 10, 50, 0}}) {
    for (int32_t kind = 0; kind < VizCurves::kNumKinds; ++kind) {
      VizPanel& panel = Add(kind, bounds);
      panel.GetParameters(Values(0.5f), 0.5f);
      panel.GetParameters(Values(0.7f), 0.5f);
      VGui::PixelImage image(400, 200);
      auto canvas = VGui::MakeCanvas(image, 2.0f);
      panel.Draw(*canvas);
      EXPECT_TRUE(panel.Points().empty()) << kind;
      EXPECT_TRUE(std::all_of(image.Data(), image.Data() + 400 * 200, [](uint32_t p) {
        return p == 0u;
      })) << kind;
      root_.RemoveAllChildren();
    }
  }
}

TEST_F(VizPanelTest, TakesItsColourAndStyleFromTheSkins) {
  VizPanel& panel = Add(VizCurves::kDrive);
  EXPECT_EQ(panel.DisplayColour(), kDisplay);
  EXPECT_EQ(panel.CurrentStyle().name, VizPanel::kStyleName);
  VGui::SkinSet bare;
  VizPanel plain(VizCurves::kDrive, bare);
  EXPECT_EQ(plain.StylePointer(), nullptr);
  EXPECT_NE(plain.DisplayColour(), VGui::Colour{});
  VizPanel unknown(12, skins_);
  EXPECT_EQ(unknown.Kind(), VizCurves::kNoKind);
  unknown.GetParameters(Values(0.5f), 0.0f);
  EXPECT_FALSE(unknown.GetParameters(Values(0.9f), 0.0f));
}

// --- The synth skin's nine panels ----------------------------------------------------------------

TEST(VizPanelSkinTest, EveryPlaceholderGetsItsKindColourAndStyle) {
  PanelTestKit::EditorTree tree;
  ASSERT_NE(tree.synth, nullptr);
  const std::optional<VGui::Colour> colour =
      tree.root.Skins().FindColour(VizPanel::kDisplayColourName);
  ASSERT_TRUE(colour.has_value());
  for (size_t i = 0; i < ParameterControls::kVizPlaceholders.size(); ++i) {
    const VizPanel* panel = tree.synth->VizPanels()[i];
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Kind(), VizCurves::KindForPlaceholder(ParameterControls::kVizPlaceholders[i]));
    EXPECT_NE(panel->Kind(), VizCurves::kNoKind);
    EXPECT_EQ(panel->DisplayColour(), *colour);
    EXPECT_EQ(panel->CurrentStyle().name, VizPanel::kStyleName);
  }
}

TEST(VizPanelSkinTest, PanelsTickWithTheRootAndOnlyHistoriesRepaintWhenNothingChanges) {
  PanelTestKit::EditorTree tree;
  ASSERT_NE(tree.synth, nullptr);
  VGui::RenderAll(tree.root, 1.0f);
  VGui::PixelImage image(962, 438);
  auto canvas = VGui::MakeCanvas(image, 1.0f);
  tree.root.PaintInvalid(*canvas);

  tree.root.Tick();
  const NorvProcess& engine = tree.plugin->Engine();
  for (const VizPanel* panel : tree.synth->VizPanels()) {
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(RegionTouches(tree.root.InvalidRegion(), panel->RootBounds())) << panel->Kind();
    for (int32_t i = 0; i < VizCurves::kNumLiveValues; ++i) {
      ASSERT_EQ(panel->CurrentSnapshot()[i], engine.ModulatedValue(i)) << i;
    }
  }
  tree.root.PaintInvalid(*canvas);

  tree.root.Tick();
  for (const VizPanel* panel : tree.synth->VizPanels()) {
    EXPECT_EQ(RegionTouches(tree.root.InvalidRegion(), panel->RootBounds()),
              VizCurves::IsHistory(panel->Kind()))
        << panel->Kind();
  }
  tree.root.PaintInvalid(*canvas);

  tree.synth->SetEditorDelegate(nullptr);
  tree.root.Tick();
  EXPECT_FALSE(tree.root.HasInvalidRegion());
}

TEST(VizPanelSkinTest, AValueTheEngineProcessedRedrawsOnlyTheDisplaysShowingIt) {
  PanelTestKit::EditorTree tree;
  ASSERT_NE(tree.synth, nullptr);
  VGui::PixelImage image(962, 438);
  auto canvas = VGui::MakeCanvas(image, 1.0f);
  tree.root.Tick();
  tree.root.PaintInvalid(*canvas, true);

  tree.plugin->Engine().SetImmediate(PT::kF2Res, 0.8f);
  std::vector<float> silence(64, 0.0f);
  float* inputs[4] = {silence.data(), silence.data(), silence.data(), silence.data()};
  std::vector<float> left(64), right(64);
  float* outputs[2] = {left.data(), right.data()};
  tree.plugin->processReplacing(inputs, outputs, 64);
  tree.root.Tick();

  for (const VizPanel* panel : tree.synth->VizPanels()) {
    const bool expected =
        panel->Kind() == VizCurves::kFilter2 || VizCurves::IsHistory(panel->Kind());
    EXPECT_EQ(RegionTouches(tree.root.InvalidRegion(), panel->RootBounds()), expected)
        << panel->Kind();
    EXPECT_FLOAT_EQ(panel->CurrentSnapshot()[PT::kF2Res], 0.8f) << panel->Kind();
  }
}

}  // namespace
