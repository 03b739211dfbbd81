// The utility strip: the product menu, the pages and manual it opens, the About panel, the
// default preset questions answered through the toolkit's own panels, and the learn-dependent
// button.
#include "editor/UtilityControlsPanel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ShellTestKit.h"
#include "editor/AboutPanel.h"
#include "editor/SynthEditorBase.h"
#include "plugin/SynthBase.h"
#include "support/Paths.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/CtrlButton.h"
#include "support/gui/controls/CtrlLabel.h"

namespace {

class FakeDialogHost : public IDialogHost {
 public:
  VGui::Ctrl* AddDialogControl(std::unique_ptr<VGui::Ctrl> panel,
                               const std::string& title) override {
    shown = std::move(panel);
    shownTitle = title;
    return shown.get();
  }
  void RemoveDialogControl() override { shown.reset(); }
  std::unique_ptr<VGui::Ctrl> shown;
  std::string shownTitle;
};

class UtilityControlsTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    shelltest::WriteTestSkins(resources_.Path());
    VGui::Dialogs::NativeDialogs dialogs;
    dialogs.openWithShell = [this](std::string_view target) {
      opened_.emplace_back(target);
      return true;
    };
    VGui::Dialogs::SetNativeDialogs(dialogs);
    root_ = std::make_unique<VGui::CtrlRoot>();
    root_->SetBounds({0, 0, 962, 438});
    root_->Skins().SetResourceFolder(resources_.Path());
    auto panel = std::make_unique<UtilityControlsPanel>();
    panel->SetBounds({620, 405, 330, 28});
    panel_ = static_cast<UtilityControlsPanel*>(root_->AddChild(std::move(panel)));
    panel_->SkinLoaded(root_->Skins());
    panel_->SetEditorDelegate(&Plugin());
    panel_->SetDialogHost(&dialogHost_);
    defaultFile_ = VApplication::Paths::GetDefaultPresetFile();
    std::filesystem::remove(defaultFile_);
  }
  void TearDown() override {
    std::filesystem::remove(defaultFile_);
    root_.reset();
    ShellTest::TearDown();
  }

  void Command(int32_t id) {
    const VGui::CommandEvent event{id, {}, nullptr};
    panel_->CommandEvent(&event);
  }
  // Answers the question the panel asked, checking its text.
  void Answer(const char* expectedText, bool yes) {
    VGui::MessagePanel* question = shelltest::OpenQuestion(*root_);
    ASSERT_NE(question, nullptr) << expectedText;
    EXPECT_EQ(question->Title(), "Confirm:");
    EXPECT_EQ(shelltest::JoinedLines(*question), expectedText);
    question->Choose(yes ? 0 : 1);
  }

  shelltest::TempFolder resources_;
  std::unique_ptr<VGui::CtrlRoot> root_;
  UtilityControlsPanel* panel_ = nullptr;
  FakeDialogHost dialogHost_;
  std::vector<std::string> opened_;
  std::filesystem::path defaultFile_;
};

TEST_F(UtilityControlsTest, ProductMenuHasTheSixItemsInOrder) {
  panel_->ShowNorvMenu();
  EXPECT_TRUE(root_->PopupMenuOpen());
  const std::pair<const char*, int32_t> expected[] = {
      {"About", 0},      {"Show manual", 2}, {"Check for updates", 3},
      {"Tavo forum", 4}, {"Tavo FAQ", 5},    {"Quorvanta support", 6}};
  const auto& items = panel_->Menu().Items();
  ASSERT_EQ(items.size(), std::size(expected));
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].text, expected[i].first);
    EXPECT_EQ(items[i].command, expected[i].second);
  }
}

TEST_F(UtilityControlsTest, WebCommandsOpenFourDifferentPagesOfTheMaker) {
  for (int32_t id : {3, 4, 5, 6}) Command(id);
  ASSERT_EQ(opened_.size(), 4u);
  EXPECT_EQ(std::set<std::string>(opened_.begin(), opened_.end()).size(), 4u);
  for (const std::string& address : opened_) {
    EXPECT_EQ(address.rfind("https://", 0), 0u) << address;
    EXPECT_NE(address.find("quorvanta.com"), std::string::npos) << address;
  }
  for (int32_t id : {0, 1, 2, 7, 8, 9})
    EXPECT_TRUE(UtilityControlsPanel::WebAddressFor(id).empty());
}

TEST_F(UtilityControlsTest, ManualIsThePdfInTheDocumentationFolder) {
  Command(UtilityControlsPanel::kOpenManual);
  ASSERT_EQ(opened_.size(), 1u);
  const std::filesystem::path manual = VApplication::Paths::FromUtf8(opened_[0]);
  EXPECT_EQ(manual.filename(), "Manual.pdf");
  EXPECT_EQ(manual.parent_path().filename(), "Documentation");
}

TEST_F(UtilityControlsTest, AboutShowsVersionAndDate) {
  Command(UtilityControlsPanel::kShowAbout);
  ASSERT_NE(dialogHost_.shown, nullptr);
  auto* version = dynamic_cast<VGui::CtrlLabel*>(dialogHost_.shown->FindDescendant("VersionLabel"));
  auto* date = dynamic_cast<VGui::CtrlLabel*>(dialogHost_.shown->FindDescendant("DateLabel"));
  ASSERT_NE(version, nullptr);
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(version->Text(), SynthBase::VersionText("Tavo", true));
  EXPECT_EQ(date->Text(), __DATE__);
  // A click on the panel closes it.
  dialogHost_.shown->OnMouseDown({});
  EXPECT_EQ(dialogHost_.shown, nullptr);
}

TEST_F(UtilityControlsTest, SaveAsDefaultWritesAtOnceWhenThereIsNone) {
  Command(UtilityControlsPanel::kSavePresetAsDefault);
  EXPECT_EQ(shelltest::OpenQuestion(*root_), nullptr);
  ASSERT_TRUE(std::filesystem::exists(defaultFile_));
  EXPECT_NE(shelltest::ReadFile(defaultFile_).find("StateVersion"), std::string::npos);
}

struct AnswerCase {
  const char* name;
  bool yes;
};

class UtilityControlsAnswers : public UtilityControlsTest,
                               public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(UtilityControlsAnswers, OverwritingTheDefaultPresetIsAsked) {
  shelltest::WriteFile(defaultFile_, "old");
  Command(UtilityControlsPanel::kSavePresetAsDefault);
  Answer("You already have a default preset, do you want to overwrite it?", GetParam().yes);
  const std::string text = shelltest::ReadFile(defaultFile_);
  if (GetParam().yes) {
    EXPECT_NE(text.find("StateVersion"), std::string::npos);
  } else {
    EXPECT_EQ(text, "old");
  }
}

TEST_P(UtilityControlsAnswers, RemovingTheDefaultPresetIsAsked) {
  shelltest::WriteFile(defaultFile_, "old");
  Command(UtilityControlsPanel::kClearDefaultPreset);
  Answer("Are you sure you want to remove your default preset?", GetParam().yes);
  EXPECT_EQ(std::filesystem::exists(defaultFile_), !GetParam().yes);
}

INSTANTIATE_TEST_SUITE_P(Cases, UtilityControlsAnswers,
                         ::testing::Values(AnswerCase{"Yes", true}, AnswerCase{"No", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UtilityControlsTest, ClearingWithoutADefaultPresetAsksNothing) {
  Command(UtilityControlsPanel::kClearDefaultPreset);
  EXPECT_EQ(shelltest::OpenQuestion(*root_), nullptr);
}

TEST_F(UtilityControlsTest, LearnDependentButtonShowsTheOppositeOfLearn) {
  VGui::CtrlButton* button = panel_->LearnDependentButton();
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->On());
  Message message;
  message.SetType(MessageType::e_updateMIDILearnStateChanged);
  message.SetValue(0, true);
  panel_->HandleMessage(message);
  EXPECT_FALSE(button->On());
  message.SetValue(0, MessageValue());
  panel_->HandleMessage(message);
  EXPECT_FALSE(button->On());
  message.SetValue(0, false);
  panel_->HandleMessage(message);
  EXPECT_TRUE(button->On());
}

TEST_F(UtilityControlsTest, NullCommandIsLoggedAndIgnored) {
  shelltest::LogCapture log;
  panel_->CommandEvent(nullptr);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(dialogHost_.shown, nullptr);
  EXPECT_NE(log.Text().find("UtilityControlsPanel::CommandEvent, Failed because the event is NULL"),
            std::string::npos);
}

}  // namespace
