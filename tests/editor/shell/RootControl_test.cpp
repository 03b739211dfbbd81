// MIDI learn on screen: learnable controls, the learn and clear requests the engine receives, the
// binding texts, and the host gestures of a mouse edit.
#include "editor/RootControl.h"

#include <gtest/gtest.h>

#include <vector>

#include "ShellTestKit.h"
#include "modulation/BindingMap.h"
#include "plugin/ParameterTable.h"

namespace {

constexpr int32_t kCutoff = ParameterTable::kF1Cutoff;

// A control that counts the presses that reach it.
class ProbeControl : public VGui::Ctrl {
 public:
  bool OnMouseDown(const VGui::MouseEvent& e) override {
    ++(e.button == VGui::MouseButton::kRight ? rightPresses : leftPresses);
    return true;
  }
  bool OnMouseUp(const VGui::MouseEvent&) override { return true; }
  int leftPresses = 0;
  int rightPresses = 0;
};

// Gives each control the binding of its parameter (the command id), as the synth panel does.
class ParameterLearnDelegate : public ILearnDelegate {
 public:
  bool GetBindingForControl(const VGui::Ctrl& control, Binding& binding) override {
    binding = Binding();
    binding.SetPath("Synth");
    binding.SetName(ParameterTable::ParameterToUserString(control.Id(), false));
    binding.SetRange(0.0f, 1.0f);
    binding.SetStuffer(Binding::StuffToValue2);
    binding.SetPopper(Binding::GetValueFromValue2);
    Message prototype;
    prototype.SetType(MessageType::e_setFilterParameter);
    prototype.SetValue(0, control.Id());
    prototype.SetValue(1, 0);
    binding.SetPrototype(prototype);
    return true;
  }
};

class RootControlTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    shelltest::WriteTestSkins(resources_.Path());
    root_ = std::make_unique<RootControl>(resources_.Path());
    root_->SetBounds({0, 0, 962, 438});
    auto probe = std::make_unique<ProbeControl>();
    probe->SetName("Cutoff");
    probe->SetId(kCutoff);
    probe->SetBounds({100, 100, 40, 40});
    probe_ = static_cast<ProbeControl*>(root_->AddChild(std::move(probe)));
    root_->SetEditorDelegate(&Plugin());
    root_->SetHostCallSink([this](const HostCall& call) { hostCalls_.push_back(call); });
    root_->AddLearnableControl(probe_, &delegate_);
  }
  void TearDown() override {
    root_.reset();
    ShellTest::TearDown();
  }

  void Click(VGui::Point at, VGui::MouseButton button) {
    VGui::MouseEvent e;
    e.position = at;
    e.button = button;
    root_->MouseDown(e);
    root_->MouseUp(e);
  }
  // The engine takes the editor's requests, as at the start of a block.
  void RunEngine() { Plugin().Port().ProcessSynthMessages(); }

  shelltest::TempFolder resources_;
  std::unique_ptr<RootControl> root_;
  ProbeControl* probe_ = nullptr;
  ParameterLearnDelegate delegate_;
  std::vector<HostCall> hostCalls_;
};

TEST_F(RootControlTest, LearnClickMakesTheTargetAndTheEngineLearns) {
  root_->SetMIDILearnState(true);
  RunEngine();
  EXPECT_FALSE(Plugin().IsLearning());
  Click({110, 110}, VGui::MouseButton::kLeft);
  EXPECT_EQ(root_->LearnTarget(), probe_);
  EXPECT_EQ(probe_->leftPresses, 0);
  RunEngine();
  EXPECT_TRUE(Plugin().IsLearning());
  const Binding& target = Plugin().Bindings().LearnTarget();
  EXPECT_STREQ(target.Path(), "Synth");
  EXPECT_EQ(target.Prototype().Type(), MessageType::e_setFilterParameter);
  EXPECT_EQ(target.Prototype().Value(0).AsInt(), kCutoff);
}

TEST_F(RootControlTest, LeavingLearnModeCancelsAPendingLearn) {
  root_->SetMIDILearnState(true);
  Click({110, 110}, VGui::MouseButton::kLeft);
  RunEngine();
  ASSERT_TRUE(Plugin().IsLearning());
  root_->SetMIDILearnState(false);
  RunEngine();
  EXPECT_FALSE(Plugin().IsLearning());
  EXPECT_EQ(root_->LearnTarget(), nullptr);
}

struct ClickCase {
  const char* name;
  bool learning;
  VGui::MouseButton button;
  int leftPresses;
  int rightPresses;
  bool targetChosen;
};

class RootControlClicks : public RootControlTest,
                          public ::testing::WithParamInterface<ClickCase> {};

TEST_P(RootControlClicks, LearnModeTakesClicksOverLearnableControls) {
  const ClickCase& c = GetParam();
  root_->SetMIDILearnState(c.learning);
  Click({120, 120}, c.button);
  EXPECT_EQ(probe_->leftPresses, c.leftPresses);
  EXPECT_EQ(probe_->rightPresses, c.rightPresses);
  EXPECT_EQ(root_->LearnTarget() == probe_, c.targetChosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RootControlClicks,
    ::testing::Values(ClickCase{"LeftOutsideLearn", false, VGui::MouseButton::kLeft, 1, 0, false},
                      ClickCase{"RightOutsideLearn", false, VGui::MouseButton::kRight, 0, 1, false},
                      ClickCase{"LeftInLearn", true, VGui::MouseButton::kLeft, 0, 0, true},
                      ClickCase{"RightInLearnSwallowed", true, VGui::MouseButton::kRight, 0, 0,
                                false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RootControlTest, ClicksBesideLearnableControlsPassThroughInLearnMode) {
  auto other = std::make_unique<ProbeControl>();
  other->SetBounds({300, 100, 40, 40});
  auto* plain = static_cast<ProbeControl*>(root_->InsertChild(0, std::move(other)));
  root_->SetMIDILearnState(true);
  Click({310, 110}, VGui::MouseButton::kLeft);
  EXPECT_EQ(plain->leftPresses, 1);
  EXPECT_EQ(root_->LearnTarget(), nullptr);
}

struct DrawStringCase {
  bool midi;
  int32_t major;
  int32_t minor;
  const char* text;
};

TEST(RootControlDrawString, CountsChannelsAndHostParametersFromOne) {
  const DrawStringCase cases[] = {{true, 0, 7, "M 1.7"},
                                  {true, 15, 127, "M 16.127"},
                                  {true, 1, 0, "M 2.0"},
                                  {false, 0, -1, "H 1"},
                                  {false, 61, -1, "H 62"}};
  for (const DrawStringCase& c : cases) {
    Binding binding;
    binding.SetInput(c.midi, c.major, c.minor);
    EXPECT_EQ(RootControl::GetBindingDrawString(binding), c.text);
  }
}

TEST_F(RootControlTest, BindingTextFollowsTheEnginesBindings) {
  root_->SetMIDILearnState(true);
  // Only the parameter's own host binding: its text starts with "H", which is not drawn.
  EXPECT_EQ(root_->BindingTextOf(probe_), "H 35");
  Binding learnt;
  ASSERT_TRUE(delegate_.GetBindingForControl(*probe_, learnt));
  ASSERT_TRUE(Plugin().Bindings().AddMIDICCBinding(1, 7, learnt));
  Message changed;
  changed.SetType(MessageType::e_updateBindingChanged);
  root_->HandleMessage(changed);
  EXPECT_EQ(root_->BindingTextOf(probe_), "M 2.7");
}

TEST_F(RootControlTest, LearnStateMessageSwitchesOnlyWithAState) {
  Message message;
  message.SetType(MessageType::e_updateMIDILearnStateChanged);
  message.SetValue(0, true);
  root_->HandleMessage(message);
  EXPECT_TRUE(root_->IsMIDILearnOn());
  // The engine's own notices carry no state.
  message.SetValue(0, MessageValue());
  root_->HandleMessage(message);
  EXPECT_TRUE(root_->IsMIDILearnOn());
  message.SetValue(0, false);
  root_->HandleMessage(message);
  EXPECT_FALSE(root_->IsMIDILearnOn());
}

TEST_F(RootControlTest, MouseEditIsOneHostGestureOutsideLearnModeOnly) {
  root_->ControlEditBegins(*probe_);
  root_->ControlEditEnds(*probe_);
  ASSERT_EQ(hostCalls_.size(), 2u);
  EXPECT_EQ(hostCalls_[0], (HostCall{HostCallKind::kBeginEdit, kCutoff, 0.0f}));
  EXPECT_EQ(hostCalls_[1], (HostCall{HostCallKind::kEndEdit, kCutoff, 0.0f}));
  hostCalls_.clear();
  root_->SetMIDILearnState(true);
  root_->ControlEditBegins(*probe_);
  root_->ControlEditEnds(*probe_);
  EXPECT_TRUE(hostCalls_.empty());
}

struct HostCase {
  const char* product;
  const char* vendor;
  bool gestures;
};

TEST_F(RootControlTest, StandaloneWrapperGetsNoHostGestures) {
  const HostCase cases[] = {{"Standalone", "Quorvanta", false},
                            {"Standalone", "Someone", true},
                            {"Some Host", "Quorvanta", true},
                            {"", "", true}};
  for (const HostCase& c : cases) {
    hostCalls_.clear();
    root_->SetStandaloneHostFlags(c.product, c.vendor);
    EXPECT_EQ(root_->HostGesturesEnabled(), c.gestures) << c.product << "/" << c.vendor;
    EXPECT_EQ(root_->HostBindingsShown(), c.gestures);
    root_->ControlEditBegins(*probe_);
    root_->ControlEditEnds(*probe_);
    EXPECT_EQ(hostCalls_.size(), c.gestures ? 2u : 0u);
  }
}

}  // namespace
