// The editor's life in the host: building once, the first open's reports to the host, the tick,
// modal panels and the order of its shutdown.
#include "editor/Editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ShellTestKit.h"
#include "editor/PresetPanel.h"
#include "editor/UtilityControlsPanel.h"
#include "editor/XYPad.h"
#include "plugin/ParameterTable.h"
#include "support/gui/controls/CtrlLabel.h"

namespace {

using shelltest::CountCalls;
using shelltest::HostCalls;

// The host calls about parameters (begin edit, automate, end edit), leaving out the questions the
// editor asks the host.
std::vector<shelltest::HostCallRecord> ParameterReports() {
  std::vector<shelltest::HostCallRecord> reports;
  for (const auto& call : HostCalls()) {
    if (call.opcode == vst::audioMasterBeginEdit || call.opcode == vst::audioMasterAutomate ||
        call.opcode == vst::audioMasterEndEdit) {
      reports.push_back(call);
    }
  }
  return reports;
}

int gWindowsAlive = 0;
int gWindowsOpened = 0;

// A window-less root window that counts itself, standing in for the host's child window.
class CountedWindow : public VGui::RootWindow {
 public:
  CountedWindow(VGui::CtrlRoot& root, VGui::Size logical, float scale)
      : VGui::RootWindow(root, logical, scale) {
    ++gWindowsAlive;
    ++gWindowsOpened;
  }
  ~CountedWindow() override { --gWindowsAlive; }
};

// Records the editor-side notifications in the order they are delivered.
class NotificationRecorder : public IMessageHandler {
 public:
  void HandleMessage(Message& message) override { types.push_back(message.Type()); }
  std::vector<MessageType> types;
};

class EditorTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    gWindowsAlive = 0;
    gWindowsOpened = 0;
    shelltest::WriteTestSkins(resources_.Path());
  }
  void TearDown() override {
    editor_.reset();
    ShellTest::TearDown();
  }

  Editor& MakeEditor(const std::filesystem::path& resources) {
    EditorOptions options;
    options.resources = resources;
    options.clock = [this] { return now_; };
    options.openWindow = [](VGui::CtrlRoot& root, uintptr_t, VGui::Size logical, float scale,
                            std::string&) -> std::unique_ptr<VGui::RootWindow> {
      return std::make_unique<CountedWindow>(root, logical, scale);
    };
    editor_ = std::make_unique<Editor>(Plugin(), std::move(options));
    return *editor_;
  }
  Editor& MakeEditor() { return MakeEditor(resources_.Path()); }

  void* Parent() { return reinterpret_cast<void*>(uintptr_t{0x2a}); }

  shelltest::TempFolder resources_;
  std::unique_ptr<Editor> editor_;
  double now_ = 50.0;
};

TEST_F(EditorTest, RectangleIs962By438AtTheOrigin) {
  Editor& editor = MakeEditor();
  vst::ERect* rect = nullptr;
  ASSERT_TRUE(editor.getRect(&rect));
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 438);
  EXPECT_EQ(rect->right, 962);
}

TEST_F(EditorTest, OpenBuildsTheViewsOfTheRootSkin) {
  Editor& editor = MakeEditor();
  ASSERT_TRUE(editor.open(Parent()));
  EXPECT_TRUE(editor.isOpen());
  ASSERT_NE(editor.MainPanel(), nullptr);
  EXPECT_EQ(editor.MainPanel()->Bounds(), (VGui::Rect{0, 0, 962, 438}));
  ASSERT_NE(editor.GetSynthEditor(), nullptr);
  EXPECT_EQ(editor.GetSynthEditor()->Id(), Editor::kSynthEditorId);
  ASSERT_NE(editor.GetXYPad(), nullptr);
  EXPECT_EQ(editor.GetXYPad()->Id(), Editor::kXYPadId);
  EXPECT_EQ(editor.GetXYPad()->Parent()->Name(), "XYControllerPanel");
  EXPECT_EQ(editor.GetXYPad()->Bounds(), (VGui::Rect{10, 10, 130, 130}));
  ASSERT_NE(editor.GetPresetPanel(), nullptr);
  EXPECT_EQ(editor.GetPresetPanel()->Id(), Editor::kPresetPanelId);
  EXPECT_EQ(editor.GetPresetPanel()->Bounds(), (VGui::Rect{300, 405, 300, 28}));
  ASSERT_NE(editor.GetUtilityControls(), nullptr);
  EXPECT_EQ(editor.GetUtilityControls()->Id(), Editor::kUtilityControlsId);
  EXPECT_EQ(editor.MainPanel()->FindDescendant("PresetPanel"), editor.GetPresetPanel());
}

TEST_F(EditorTest, OpenCloseOpenBuildsOnceAndReportsEveryValueOnFirstOpenOnly) {
  Editor& editor = MakeEditor();
  ASSERT_TRUE(editor.open(Parent()));
  VGui::Ctrl* mainPanel = editor.MainPanel();
  SynthEditor* synthEditor = editor.GetSynthEditor();
  const size_t children = mainPanel->Children().size();

  // Every host parameter, each as begin edit, automate with the plug-in's value, end edit.
  const std::vector<shelltest::HostCallRecord> reports = ParameterReports();
  ASSERT_EQ(reports.size(), size_t(3 * Norv::kNumHostParameters));
  for (int32_t index = 0; index < Norv::kNumHostParameters; ++index) {
    const auto* call = &reports[size_t(3 * index)];
    EXPECT_EQ(call[0].opcode, vst::audioMasterBeginEdit);
    EXPECT_EQ(call[1].opcode, vst::audioMasterAutomate);
    EXPECT_EQ(call[2].opcode, vst::audioMasterEndEdit);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(call[k].index, index);
    EXPECT_FLOAT_EQ(call[1].value, Plugin().getParameter(index));
  }

  editor.close();
  EXPECT_FALSE(editor.isOpen());
  EXPECT_EQ(gWindowsAlive, 0);
  ASSERT_TRUE(editor.open(Parent()));
  editor.close();
  ASSERT_TRUE(editor.open(Parent()));

  EXPECT_EQ(editor.MainPanel(), mainPanel);
  EXPECT_EQ(editor.GetSynthEditor(), synthEditor);
  EXPECT_EQ(editor.MainPanel()->Children().size(), children);
  EXPECT_EQ(CountCalls(vst::audioMasterBeginEdit), Norv::kNumHostParameters);
  EXPECT_EQ(CountCalls(vst::audioMasterAutomate), Norv::kNumHostParameters);
  EXPECT_EQ(CountCalls(vst::audioMasterEndEdit), Norv::kNumHostParameters);
  EXPECT_EQ(gWindowsOpened, 3);
}

TEST_F(EditorTest, FirstOpenAsksForBindingsNamesAndThePresetInThatOrder) {
  Editor& editor = MakeEditor();
  NotificationRecorder recorder;
  Plugin().Port().RegisterEditorHandler(kMessageClass, &recorder);
  ASSERT_TRUE(editor.open(Parent()));
  editor.Root().Tick();
  Plugin().Port().UnregisterEditorHandler(&recorder);
  ASSERT_GE(recorder.types.size(), 3u);
  EXPECT_EQ(recorder.types[0], MessageType::e_updateBindingChanged);
  EXPECT_EQ(recorder.types[1], MessageType::e_updateParameterNameChanged);
  EXPECT_EQ(recorder.types[2], MessageType::e_updatePresetLoaded);
  // The editor answers the preset notice by asking for the binding texts and names again.
  EXPECT_EQ(
      std::count(recorder.types.begin(), recorder.types.end(), MessageType::e_updateBindingChanged),
      2);
}

TEST_F(EditorTest, SecondOpenWithoutCloseReplacesTheStaleWindow) {
  Editor& editor = MakeEditor();
  ASSERT_TRUE(editor.open(Parent()));
  ASSERT_TRUE(editor.open(Parent()));
  EXPECT_EQ(gWindowsOpened, 2);
  EXPECT_EQ(gWindowsAlive, 1);
  editor.close();
  EXPECT_EQ(gWindowsAlive, 0);
}

TEST_F(EditorTest, FrameRateAppearsOnlyAfterTheFirstFullSecond) {
  Editor& editor = MakeEditor();
  ASSERT_TRUE(editor.open(Parent()));
  auto* label =
      dynamic_cast<VGui::CtrlLabel*>(editor.MainPanel()->FindDescendant("FrameRateLabel"));
  ASSERT_NE(label, nullptr);
  const std::string before = label->Text();
  // 25 ticks of 40 ms make exactly one second, which is not yet more than one.
  for (int tick = 1; tick <= 25; ++tick) {
    now_ += 0.04;
    editor.Root().Tick();
    ASSERT_TRUE(editor.FrameRateText().empty()) << "tick " << tick;
  }
  EXPECT_EQ(label->Text(), before);
  now_ += 0.04;
  editor.Root().Tick();
  EXPECT_EQ(editor.FrameRateText(), "25.0");
  EXPECT_EQ(label->Text(), "25.0");
  // The count starts again: ten ticks 100 ms apart make 10 frames per second.
  for (int tick = 0; tick < 11; ++tick) {
    now_ += 0.1;
    editor.Root().Tick();
  }
  EXPECT_EQ(editor.FrameRateText(), "10.0");
}

TEST_F(EditorTest, ModalPanelSitsInATitledFrameAndMessage22TakesItAway) {
  Editor& editor = MakeEditor();
  ASSERT_TRUE(editor.open(Parent()));
  auto panel = std::make_unique<VGui::Ctrl>();
  panel->SetBounds({0, 0, 200, 100});
  VGui::Ctrl* shown = panel.get();
  VGui::Ctrl* frame = editor.AddDialogControl(std::move(panel), "Please wait");
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(editor.Root().HasModal());
  EXPECT_EQ(frame->Bounds().width, 210);
  EXPECT_EQ(frame->Bounds().height, 135);
  ASSERT_NE(frame->StylePointer(), nullptr);
  EXPECT_EQ(frame->StylePointer()->name, "ModalPanelBackgroundStyle");
  auto* title = dynamic_cast<VGui::CtrlLabel*>(frame->FindDescendant("ModalTitle"));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Bounds(), (VGui::Rect{5, 0, 200, 30}));
  EXPECT_EQ(title->Text(), "Please wait");
  ASSERT_NE(title->StylePointer(), nullptr);
  EXPECT_EQ(title->StylePointer()->name, "ModalTitleLabelStyle");
  EXPECT_EQ(shown->Parent(), frame);
  EXPECT_EQ(shown->Bounds(), (VGui::Rect{5, 29, 200, 100}));

  Plugin().Port().PostMessageToEditor(MessageType::e_removeDialog);
  editor.Root().Tick();
  EXPECT_EQ(editor.DialogFrame(), nullptr);
  EXPECT_FALSE(editor.Root().HasModal());
}

TEST_F(EditorTest, MissingRootSkinStillOpensWithoutTheViews) {
  shelltest::TempFolder empty;
  shelltest::LogCapture log;
  Editor& editor = MakeEditor(empty.Path());
  ASSERT_TRUE(editor.open(Parent()));
  EXPECT_TRUE(editor.ControlsCreated());
  EXPECT_EQ(editor.GetSynthEditor(), nullptr);
  EXPECT_EQ(editor.GetPresetPanel(), nullptr);
  EXPECT_EQ(editor.GetUtilityControls(), nullptr);
  editor.Root().Tick();
  EXPECT_NE(log.Text().find("Editor::CreateControls, Failed to load skin on path"),
            std::string::npos);
}

TEST_F(EditorTest, ShutdownLogsItsStepsInOrder) {
  shelltest::LogCapture log;
  Editor& editor = MakeEditor();
  ASSERT_TRUE(editor.open(Parent()));
  editor_.reset();
  const std::string text = log.Text();
  const char* steps[] = {"Releasing children from root\n",    "Removing main panel\n",
                         "Releasing Dialog Panel...\n",       "Shutting down notifications...\n",
                         "Shutting down message center...\n", "Releasing ctrlRoot...\n",
                         "disposed of CtrlRoot...\n"};
  size_t at = 0;
  for (const char* step : steps) {
    const size_t found = text.find(step, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << step;
    at = found + 1;
  }
  EXPECT_FALSE(Plugin().Port().IsEditorAttached());
}

TEST_F(EditorTest, ParameterTextWaitsTwoSecondsAndShowsLearnMode) {
  Editor& editor = MakeEditor();
  std::vector<std::string> shown;
  editor.SetParameterTextDisplay([&](const std::string& text) { shown.push_back(text); });
  const std::string name = ParameterTable::ParameterToUserString(ParameterTable::kF1Cutoff, false);
  now_ += 2.0;
  EXPECT_FALSE(editor.DisplayParameterText(ParameterTable::kF1Cutoff));
  now_ += 0.1;
  ASSERT_TRUE(editor.DisplayParameterText(ParameterTable::kF1Cutoff));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind(name + " ", 0), 0u) << shown[0];
  EXPECT_GT(shown[0].size(), name.size() + 1);
  editor.SetMIDILearn(true);
  ASSERT_TRUE(editor.DisplayParameterText(ParameterTable::kF1Cutoff));
  EXPECT_EQ(shown[1], "LEARN: " + shown[0]);
  editor.SetShowParameterText(false);
  EXPECT_FALSE(editor.DisplayParameterText(ParameterTable::kF1Cutoff));
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(EditorTest, HostCallsOfAMouseEditReachTheHostInOneGesture) {
  Editor& editor = MakeEditor();
  ASSERT_TRUE(editor.open(Parent()));
  HostCalls().clear();
  const float before = Plugin().getParameter(ParameterTable::kF1Cutoff);
  editor.Root().DoSendBeginEditMessage(ParameterTable::kF1Cutoff, true);
  // While the user holds the control, the host's automation of it does not fight the mouse.
  Plugin().setParameter(ParameterTable::kF1Cutoff, 0.9f);
  EXPECT_FLOAT_EQ(Plugin().getParameter(ParameterTable::kF1Cutoff), before);
  editor.Root().DoSendBeginEditMessage(ParameterTable::kF1Cutoff, false);
  Plugin().setParameter(ParameterTable::kF1Cutoff, 0.9f);
  EXPECT_FLOAT_EQ(Plugin().getParameter(ParameterTable::kF1Cutoff), 0.9f);
  const std::vector<shelltest::HostCallRecord> reports = ParameterReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].opcode, vst::audioMasterBeginEdit);
  EXPECT_EQ(reports[1].opcode, vst::audioMasterEndEdit);
  EXPECT_EQ(reports[0].index, ParameterTable::kF1Cutoff);
  EXPECT_EQ(reports[1].index, ParameterTable::kF1Cutoff);
}

}  // namespace
