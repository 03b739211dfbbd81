// The XY pad: its handle stays inside the pad, and each change posts both axes.
#include "editor/XYPad.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/gui/CtrlRoot.h"
#include "tests/editor/panels/PanelTestKit.h"

namespace {

VGui::MouseEvent At(int x, int y) {
  VGui::MouseEvent e;
  e.position = {x, y};
  e.button = VGui::MouseButton::kLeft;
  return e;
}

class XYPadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = std::make_unique<Norv>(PanelTestKit::RecordingHost);
    plugin_->Port().RegisterSynthHandler(kMessageClass, &recorder_);
    root_.SetBounds({0, 0, 400, 300});
    auto pad = std::make_unique<XYPad>();
    pad->SetBounds({50, 40, 120, 100});
    pad_ = static_cast<XYPad*>(root_.AddChild(std::move(pad)));
    pad_->SetEditorDelegate(plugin_.get());
  }
  void TearDown() override { plugin_->Port().UnregisterSynthHandler(&recorder_); }

  VGui::CtrlRoot root_;
  std::unique_ptr<Norv> plugin_;
  PanelTestKit::SynthRecorder recorder_;
  XYPad* pad_ = nullptr;
};

TEST_F(XYPadTest, HandleNeverLeavesTheInnerRectangle) {
  struct Case {
    VGui::Point mouse;  // root coordinates
    VGui::Point handle;
  };
  const Case cases[] = {
      {{110, 90}, {55, 45}},      // inside: the mouse holds the handle's middle
      {{-500, -500}, {1, 2}},     // far up-left
      {{5000, 5000}, {112, 92}},  // far down-right: w - 8, h - 8
      {{50, 140}, {1, 92}},      {{170, 40}, {112, 2}},
  };
  for (const Case& c : cases) {
    root_.MouseDown(At(110, 90));
    root_.MouseMove(At(c.mouse.x, c.mouse.y));
    EXPECT_EQ(pad_->Handle(), c.handle) << c.mouse.x << "," << c.mouse.y;
    root_.MouseUp(At(c.mouse.x, c.mouse.y));
  }
}

TEST_F(XYPadTest, EveryChangePostsXThenY) {
  root_.MouseDown(At(50 + 63, 40 + 8));
  root_.MouseUp(At(50 + 63, 40 + 8));
  plugin_->Port().ProcessSynthMessages();
  const auto sent = recorder_.OfType(MessageType::e_setFilterMacroValue);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].values[1].AsInt(), 0);
  EXPECT_FLOAT_EQ(sent[0].values[0].AsFloat(), (58.0f - 3.0f) / 114.0f);
  EXPECT_EQ(sent[1].values[1].AsInt(), 1);
  EXPECT_FLOAT_EQ(sent[1].values[0].AsFloat(), 1.0f - (3.0f - 3.0f) / 94.0f);
  EXPECT_FLOAT_EQ(plugin_->Engine().MacroValue(0), sent[0].values[0].AsFloat());
}

TEST_F(XYPadTest, EngineValuesMoveTheHandleUnlessHeld) {
  pad_->SetValues(0.5f, 0.25f);
  EXPECT_EQ(pad_->Handle(), (VGui::Point{55, 70}));
  pad_->SetValues(7.0f, -3.0f);
  EXPECT_EQ(pad_->Handle(), (VGui::Point{112, 92}));
  root_.MouseDown(At(60, 60));
  const VGui::Point held = pad_->Handle();
  pad_->SetValues(0.5f, 0.5f);
  EXPECT_EQ(pad_->Handle(), held);
  root_.MouseUp(At(60, 60));
}

TEST_F(XYPadTest, NonFiniteEngineValuesLeaveTheHandleWhereItIs) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float cases[][2] = {{nan, 0.5f}, {0.5f, nan}, {inf, 0.25f}, {0.25f, -inf}};
  for (const auto& c : cases) {
    pad_->SetValues(0.5f, 0.25f);
    const VGui::Point before = pad_->Handle();
    pad_->SetValues(c[0], c[1]);
    EXPECT_EQ(pad_->Handle(), before) << c[0] << " " << c[1];
  }
}

}  // namespace

namespace {

TEST_F(XYPadTest, LearnStripsBindTheTwoAxes) {
  struct Case {
    int axis;
    VGui::Rect strip;
    const char* name;
  };
  const Case cases[] = {{0, {0, 0, 110, 10}, "XY X"}, {1, {110, 10, 10, 90}, "XY Y"}};
  for (const Case& c : cases) {
    VGui::Ctrl* strip = pad_->LearnTarget(c.axis);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->Id(), XYPad::kLearnTargetId);
    EXPECT_EQ(strip->Bounds(), c.strip);
    Binding binding;
    ASSERT_TRUE(pad_->GetBindingForControl(*strip, binding));
    EXPECT_STREQ(binding.Name(), c.name);
    EXPECT_EQ(binding.Prototype().Type(), MessageType::e_setFilterMacroValue);
    EXPECT_EQ(binding.Prototype().Value(1).AsInt(), c.axis);
  }
  Binding unused;
  EXPECT_FALSE(pad_->GetBindingForControl(*pad_, unused));
}

TEST_F(XYPadTest, PressOnALearnStripStillMovesTheHandle) {
  root_.MouseDown(At(50 + 60, 40 + 3));  // inside the X strip
  EXPECT_TRUE(pad_->Dragging());
  EXPECT_EQ(pad_->Handle(), (VGui::Point{55, 2}));
  root_.MouseUp(At(50 + 60, 40 + 3));
}

}  // namespace
