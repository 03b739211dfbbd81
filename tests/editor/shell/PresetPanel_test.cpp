// The preset strip: stepping through the list, the menu, the engine lock around a load, the load
// failure alert and the reset question.
#include "editor/PresetPanel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ShellTestKit.h"
#include "support/Paths.h"
#include "support/gui/controls/CtrlLabel.h"

namespace {

// Takes the messages posted to one side of the port, in order.
class QueueReader : public IMessageHandler {
 public:
  void HandleMessage(Message& message) override { types.push_back(message.Type()); }
  std::vector<MessageType> types;
};

class PresetPanelTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    Plugin().Port().SetEditorAttached(true);
    root_ = std::make_unique<VGui::CtrlRoot>();
    root_->SetBounds({0, 0, 962, 438});
    auto panel = std::make_unique<PresetPanel>();
    panel->SetBounds({300, 405, 300, 28});
    panel_ = static_cast<PresetPanel*>(root_->AddChild(std::move(panel)));
    panel_->SetEditorDelegate(&Plugin());
    panel_->SetSleeper([this](std::chrono::milliseconds interval) {
      ++sleeps_;
      EXPECT_EQ(interval.count(), 125);
      if (engineAcknowledges_) Plugin().Port().ProcessSynthMessages();
    });
  }
  void TearDown() override {
    root_.reset();
    ShellTest::TearDown();
  }

  // Preset files written by the plug-in itself, below the test's folder.
  void MakePresets(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      const std::filesystem::path file = folder_.Path() / (name + ".tavo");
      std::filesystem::create_directories(file.parent_path());
      ASSERT_TRUE(Plugin().SerializeState(file, true)) << name;
    }
    panel_->SetPresetFolders({folder_.Path()});
  }

  // What the engine and the editor were sent; the synth side is taken without running the
  // engine's handlers.
  std::vector<MessageType> TakeQueue(bool synth) {
    QueueReader reader;
    MessagePort& port = Plugin().Port();
    if (synth) {
      port.UnregisterSynthHandler(&Plugin());
      port.RegisterSynthHandler(kMessageClass, &reader);
      port.ProcessSynthMessages();
      port.UnregisterSynthHandler(&reader);
      port.RegisterSynthHandler(kMessageClass, &Plugin());
    } else {
      port.UnregisterEditorHandler(panel_);
      port.RegisterEditorHandler(kMessageClass, &reader);
      port.ProcessEditorMessages();
      port.UnregisterEditorHandler(&reader);
      port.RegisterEditorHandler(kMessageClass, panel_);
    }
    return reader.types;
  }

  std::string Label() const { return panel_->PresetLabelText(); }

  shelltest::TempFolder folder_;
  std::unique_ptr<VGui::CtrlRoot> root_;
  PresetPanel* panel_ = nullptr;
  int sleeps_ = 0;
  bool engineAcknowledges_ = true;
};

TEST_F(PresetPanelTest, OnePresetLeavesNextAndPreviousIdle) {
  MakePresets({"Only"});
  ASSERT_EQ(panel_->Presets().size(), 1u);
  TakeQueue(true);
  panel_->NextPreset();
  panel_->PreviousPreset();
  EXPECT_EQ(panel_->CurrentIndex(), -1);
  EXPECT_EQ(sleeps_, 0);
  EXPECT_TRUE(TakeQueue(true).empty());
}

TEST_F(PresetPanelTest, ThreePresetsStepAndWrapBothWays) {
  MakePresets({"A", "B", "C"});
  struct Step {
    bool next;
    int32_t index;
    const char* label;
  };
  const Step steps[] = {{true, 0, "A"},  {true, 1, "B"},  {true, 2, "C"}, {true, 0, "A"},
                        {false, 2, "C"}, {false, 1, "B"}, {false, 0, "A"}};
  for (const Step& step : steps) {
    if (step.next) {
      panel_->NextPreset();
    } else {
      panel_->PreviousPreset();
    }
    EXPECT_EQ(panel_->CurrentIndex(), step.index);
    EXPECT_EQ(Label(), step.label);
  }
}

TEST_F(PresetPanelTest, LockTakenWhenTheEngineAcknowledges) {
  EXPECT_TRUE(panel_->LockSynthThread());
  EXPECT_TRUE(Plugin().IsSynthLocked());
  EXPECT_EQ(sleeps_, 1);
  panel_->UnlockSynthThread();
  Plugin().Port().ProcessSynthMessages();
  EXPECT_FALSE(Plugin().IsSynthLocked());
  EXPECT_EQ(TakeQueue(false), (std::vector<MessageType>{MessageType::e_removeDialog}));
}

TEST_F(PresetPanelTest, LockGivenUpAfterNinePollsAndTheEngineUnlocked) {
  engineAcknowledges_ = false;
  EXPECT_FALSE(panel_->LockSynthThread());
  EXPECT_EQ(sleeps_, 9);
  EXPECT_EQ(TakeQueue(true), (std::vector<MessageType>{MessageType::e_lockSynthThread,
                                                       MessageType::e_unlockSynthThread}));
  EXPECT_EQ(TakeQueue(false), (std::vector<MessageType>{MessageType::e_removeDialog}));
}

TEST_F(PresetPanelTest, UnreadableFileAlertsAndUnlocks) {
  std::vector<std::string> alerts;
  VGui::Dialogs::NativeDialogs dialogs;
  dialogs.alert = [&](std::string_view, std::string_view text) {
    alerts.emplace_back(text);
    return true;
  };
  VGui::Dialogs::SetNativeDialogs(dialogs);
  const std::filesystem::path broken = folder_.Path() / "Broken.tavo";
  shelltest::WriteFile(broken, "<root StateVersion=\"1.9\"/>");
  EXPECT_FALSE(panel_->LoadPresetFile(broken));
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0], "Failed to load preset - (Error 0xH4n$010)");
  ASSERT_TRUE(Plugin().IsSynthLocked());
  Plugin().Port().ProcessSynthMessages();
  EXPECT_FALSE(Plugin().IsSynthLocked()) << "the unlock follows a failed load too";
}

TEST_F(PresetPanelTest, LoadShowsTheFileNameAndTheEngineStaysUnlocked) {
  MakePresets({"Warm Pad"});
  ASSERT_TRUE(panel_->LoadPresetAtIndex(0));
  EXPECT_EQ(Label(), "Warm Pad");
  EXPECT_EQ(panel_->CurrentIndex(), 0);
  Plugin().Port().ProcessSynthMessages();
  EXPECT_FALSE(Plugin().IsSynthLocked());
}

TEST_F(PresetPanelTest, MenuListsCommandsThenPresetsWithFoldersAsSubmenus) {
  MakePresets({"A", "Bass/B", "C"});
  panel_->BuildMenu();
  const auto& items = panel_->Menu().Items();
  struct Expected {
    const char* text;
    int32_t command;
    bool separator;
  };
  const Expected expected[] = {{"Save Preset", 2, false},
                               {"Load Preset", 3, false},
                               {"Rescan Presets", 0, false},
                               {"", 0, true},
                               {"Reset Tavo", 1, false},
                               {"", 0, true},
                               {"A", 4, false},
                               {"Bass", 0, false},
                               {"C", 4, false}};
  ASSERT_EQ(items.size(), std::size(expected));
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].separator, expected[i].separator) << i;
    if (expected[i].separator) continue;
    EXPECT_EQ(items[i].text, expected[i].text) << i;
    if (!items[i].submenu) {
      EXPECT_EQ(items[i].command, expected[i].command) << i;
    }
  }
  ASSERT_NE(items[7].submenu, nullptr);
  ASSERT_EQ(items[7].submenu->Items().size(), 1u);
  EXPECT_EQ(items[7].submenu->Items()[0].text, "B");
  EXPECT_EQ(items[7].submenu->Items()[0].argument, 1);
  EXPECT_EQ(items[6].argument, 0);
  EXPECT_EQ(items[8].argument, 2);

  VGui::CommandEvent choose{PresetPanel::kLoadPresetAtIndex, int32_t{1}, nullptr};
  panel_->CommandEvent(&choose);
  EXPECT_EQ(panel_->CurrentIndex(), 1);
  EXPECT_EQ(Label(), "B");
}

struct ResetCase {
  const char* name;
  bool yes;
  bool defaultPresetExists;
  std::vector<MessageType> toEngine;
  std::vector<MessageType> toEditor;
};

class PresetPanelReset : public PresetPanelTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(PresetPanelReset, QuestionDecidesAndADefaultPresetWins) {
  const ResetCase& c = GetParam();
  const std::filesystem::path defaultFile = VApplication::Paths::GetDefaultPresetFile();
  std::filesystem::remove(defaultFile);
  if (c.defaultPresetExists) shelltest::WriteFile(defaultFile, "<root/>");
  TakeQueue(true);
  TakeQueue(false);
  panel_->DoResetPlugin();
  VGui::MessagePanel* question = shelltest::OpenQuestion(*root_);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->Title(), "Confirm:");
  EXPECT_EQ(shelltest::JoinedLines(*question),
            "Are you sure you want to reset Tavo to its default state? This action cannot be "
            "undone!");
  question->Choose(c.yes ? 0 : 1);
  EXPECT_EQ(TakeQueue(true), c.toEngine);
  EXPECT_EQ(TakeQueue(false), c.toEditor);
  std::filesystem::remove(defaultFile);
}

INSTANTIATE_TEST_SUITE_P(Cases, PresetPanelReset,
                         ::testing::Values(ResetCase{"Yes",
                                                     true,
                                                     false,
                                                     {MessageType::e_panic,
                                                      MessageType::e_resetNorv},
                                                     {MessageType::e_resetNorv}},
                                           ResetCase{"No", false, false, {}, {}},
                                           ResetCase{"YesWithDefaultPreset", true, true, {}, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PresetPanelTest, ResetNoticeShowsDefault) {
  MakePresets({"A", "B"});
  panel_->NextPreset();
  ASSERT_EQ(Label(), "A");
  Message reset;
  reset.SetType(MessageType::e_resetNorv);
  panel_->HandleMessage(reset);
  EXPECT_EQ(Label(), "Default");
}

TEST_F(PresetPanelTest, NullCommandChangesNothing) {
  MakePresets({"A", "B"});
  panel_->CommandEvent(nullptr);
  EXPECT_EQ(panel_->CurrentIndex(), -1);
  EXPECT_EQ(sleeps_, 0);
}

}  // namespace
