// Giving an assignable host parameter a meaning from the editor, the way a user does it: learn
// mode on, a click on a knob, then the host moves the free parameter. The plug-in then names the
// parameter after the knob, asks the host to read the names again, and drives the knob from it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ShellTestKit.h"
#include "editor/Editor.h"
#include "editor/SynthEditor.h"
#include "modulation/BindingMap.h"
#include "plugin/ParameterTable.h"

namespace {

using shelltest::CountCalls;
using shelltest::HostCalls;

constexpr int32_t kCutoff = ParameterTable::kF1Cutoff;
constexpr int32_t kFirstAssignable = 60;

class AssignableLearnTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    EditorOptions options;
    options.resources = TAVO_RESOURCES_DIR;
    options.openWindow = [](VGui::CtrlRoot& root, uintptr_t, VGui::Size logical, float scale,
                            std::string&) -> std::unique_ptr<VGui::RootWindow> {
      return std::make_unique<VGui::RootWindow>(root, logical, scale);
    };
    editor_ = std::make_unique<Editor>(Plugin(), std::move(options));
    ASSERT_TRUE(editor_->open(reinterpret_cast<void*>(uintptr_t{0x2a})));
    Plugin().resume();
  }
  void TearDown() override {
    editor_->close();
    editor_.reset();
    ShellTest::TearDown();
  }

  // One host block of silence: the engine takes the editor's requests and the host's changes.
  void RunBlock() {
    std::vector<float> in(64, 0.0f);
    std::vector<float> out0(64), out1(64);
    float* inputs[4] = {in.data(), in.data(), in.data(), in.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    Plugin().processReplacing(inputs, outputs, 64);
  }
  void Idle() { Plugin().dispatcher(vst::effEditIdle, 0, 0, nullptr, 0.0f); }
  std::string HostName(int32_t index) {
    char text[64] = {};
    Plugin().dispatcher(vst::effGetParamName, index, 0, text, 0.0f);
    return text;
  }
  void ClickOn(const VGui::Ctrl& control) {
    const VGui::Rect bounds = control.RootBounds();
    VGui::MouseEvent e;
    e.position = {bounds.x + bounds.width / 2, bounds.y + bounds.height / 2};
    e.button = VGui::MouseButton::kLeft;
    editor_->Root().MouseDown(e);
    editor_->Root().MouseUp(e);
  }
  // Lets the editor's learn request reach the engine.
  void Learn(int32_t parameter) {
    editor_->Root().SetMIDILearnState(true);
    ClickOn(*editor_->GetSynthEditor()->ControlForParameter(parameter));
    RunBlock();
  }

  std::unique_ptr<Editor> editor_;
};

TEST_F(AssignableLearnTest, AHostMoveAfterALearnClickNamesTheParameterAndDrivesTheKnob) {
  ASSERT_NE(editor_->GetSynthEditor(), nullptr);
  EXPECT_EQ(HostName(kFirstAssignable), "None");
  Learn(kCutoff);
  ASSERT_TRUE(Plugin().IsLearning());
  const std::string knobName = Plugin().Bindings().LearnTarget().Name();

  Plugin().setParameter(kFirstAssignable, 0.8f);
  RunBlock();
  EXPECT_FALSE(Plugin().IsLearning());
  EXPECT_EQ(HostName(kFirstAssignable), knobName.substr(0, 7));
  EXPECT_EQ(HostName(kFirstAssignable + 1), "None");

  HostCalls().clear();
  Idle();
  EXPECT_EQ(CountCalls(vst::audioMasterUpdateDisplay), 1);
  Idle();
  EXPECT_EQ(CountCalls(vst::audioMasterUpdateDisplay), 1) << "the host is told once";

  // From now on the free parameter moves the knob's parameter (gliding: give it time).
  Plugin().setParameter(kFirstAssignable, 0.2f);
  for (int i = 0; i < 200; ++i) RunBlock();
  EXPECT_NEAR(Plugin().Engine().Target(kCutoff), 0.2f, 1e-3f);
  EXPECT_FLOAT_EQ(Plugin().getParameter(kFirstAssignable), 0.2f);
}

TEST_F(AssignableLearnTest, AFixedHostParameterMovedDuringALearnTeachesNothing) {
  Learn(kCutoff);
  Plugin().setParameter(ParameterTable::kF1Res, 0.3f);
  RunBlock();
  EXPECT_TRUE(Plugin().IsLearning());
  EXPECT_EQ(HostName(kFirstAssignable), "None");
  EXPECT_EQ(HostName(kFirstAssignable + 1), "None");
}

}  // namespace
