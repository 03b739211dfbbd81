// Questions, alerts and file choosers: native answers, and the toolkit's own panels otherwise.
#include <gtest/gtest.h>

#include <optional>

#include "support/gui/CtrlRoot.h"
#include "support/gui/Dialogs.h"
#include "support/gui/FileListPanel.h"
#include "support/gui/ModalPanels.h"
#include "tests/support/gui/core/Probe.h"
#include "tests/support/gui/core/RecordingCanvas.h"
#include "tests/support/gui/core/TestPng.h"

namespace {

namespace Dialogs = VGui::Dialogs;
using VGui::Platform::FileDialogOutcome;
using VGui::Platform::QuestionAnswer;

VGui::MouseEvent At(VGui::Point p, int clicks = 1) {
  VGui::MouseEvent e;
  e.position = p;
  e.button = VGui::MouseButton::kLeft;
  e.clickCount = clicks;
  return e;
}

VGui::Point Centre(const VGui::Rect& r) {
  return {r.x + r.width / 2, r.y + r.height / 2};
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = Dialogs::SetNativeDialogs({});  // nothing native: the toolkit's panels
    root.SetBounds({0, 0, 962, 438});
    behind = static_cast<VGuiTest::Probe*>(
        root.AddChild(std::make_unique<VGuiTest::Probe>("behind", VGui::Rect{0, 0, 962, 438})));
  }
  void TearDown() override { Dialogs::SetNativeDialogs(std::move(previous)); }

  void Click(VGui::Point p, int clicks = 1) {
    root.MouseDown(At(p, clicks));
    root.MouseUp(At(p));
  }
  VGui::Point InModal(const VGui::Rect& local) {
    return Centre(local.Offset(root.TopModal()->Bounds().x, root.TopModal()->Bounds().y));
  }

  Dialogs::NativeDialogs previous;
  VGui::CtrlRoot root;
  VGuiTest::Probe* behind = nullptr;
};

TEST_F(DialogsTest, QuestionPanelAnswersByButtonOrKey) {
  struct Case {
    const char* what;
    int button;  // -1: a key instead
    VGui::Key key;
    bool expectedYes;
  };
  const Case cases[] = {
      {"Yes button", 0, VGui::Key::kNone, true},
      {"No button", 1, VGui::Key::kNone, false},
      {"Return", -1, VGui::Key::kReturn, true},
      {"Escape", -1, VGui::Key::kEscape, false},
  };
  for (const auto& c : cases) {
    std::optional<bool> answer;
    Dialogs::Ask(root, Dialogs::kConfirmTitle,
                 "Are you sure you want to remove your default preset?",
                 [&](bool yes) { answer = yes; });
    auto* panel = dynamic_cast<VGui::MessagePanel*>(root.TopModal());
    ASSERT_NE(panel, nullptr) << c.what;
    EXPECT_EQ(panel->Title(), "Confirm:");
    if (c.button >= 0) {
      Click(InModal(panel->ButtonRect(c.button)));
    } else {
      root.KeyDown({c.key, "", 0});
    }
    ASSERT_TRUE(answer.has_value()) << c.what;
    EXPECT_EQ(*answer, c.expectedYes) << c.what;
    EXPECT_FALSE(root.HasModal()) << c.what;
  }
  EXPECT_TRUE(behind->events.empty());  // nothing reached the editor behind the panels
}

TEST_F(DialogsTest, NativeAnswersComeAtOnce) {
  int asked = 0;
  Dialogs::NativeDialogs native;
  native.ask = [&](std::string_view title, std::string_view) {
    ++asked;
    EXPECT_EQ(title, "Confirm:");
    return QuestionAnswer::kNo;
  };
  native.alert = [](std::string_view title, std::string_view) { return title == "Alert"; };
  Dialogs::SetNativeDialogs(native);
  std::optional<bool> answer;
  Dialogs::Ask(root, Dialogs::kConfirmTitle, "Overwrite?", [&](bool yes) { answer = yes; });
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(answer.has_value());
  EXPECT_FALSE(*answer);
  Dialogs::Alert(root, "Failed to save file to disk.");
  EXPECT_FALSE(root.HasModal());
}

TEST_F(DialogsTest, AlertPanelShowsTheTextAndClosesWithOk) {
  const std::string text =
      "Failed to save file to disk. More information is available in the Run time log";
  Dialogs::Alert(root, text);
  auto* panel = dynamic_cast<VGui::MessagePanel*>(root.TopModal());
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Title(), "Alert");
  std::string joined;
  for (const auto& line : panel->Lines()) joined += (joined.empty() ? "" : " ") + line;
  EXPECT_EQ(joined, text);
  EXPECT_GT(panel->Lines().size(), 1u);  // wrapped to the panel's width
  VGuiTest::RecordingCanvas canvas;
  root.PaintInvalid(canvas, true);
  const auto texts = canvas.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "OK"), texts.end());
  Click(InModal(panel->ButtonRect(0)));
  EXPECT_FALSE(root.HasModal());
}

TEST_F(DialogsTest, NativeFileChoiceIsPassedOn) {
  struct Case {
    FileDialogOutcome outcome;
    bool chosen;
  };
  for (const Case c :
       {Case{FileDialogOutcome::kChosen, true}, Case{FileDialogOutcome::kCancelled, false}}) {
    Dialogs::NativeDialogs native;
    native.chooseFile = [&](const VGui::Platform::FileDialogRequest& request, auto done) {
      EXPECT_EQ(request.extension, "tavo");
      done(c.outcome, "/presets/Warm.tavo");
    };
    Dialogs::SetNativeDialogs(native);
    std::optional<std::pair<bool, std::filesystem::path>> answer;
    VGui::Platform::FileDialogRequest request;
    request.extension = "tavo";
    Dialogs::ChooseFile(root, request, [&](bool chosen, const std::filesystem::path& file) {
      answer = {chosen, file};
    });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->first, c.chosen);
    EXPECT_EQ(answer->second,
              c.chosen ? std::filesystem::path("/presets/Warm.tavo") : std::filesystem::path());
    EXPECT_FALSE(root.HasModal());
  }
}

class FileListTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    folder = VGuiTest::ScratchFolder("filelist");
    VGuiTest::WriteText(folder / "Warm.tavo", "x");
    VGuiTest::WriteText(folder / "Bright.TAVO", "x");
    VGuiTest::WriteText(folder / "notes.txt", "x");
    VGuiTest::WriteText(folder / "Bass" / "Deep.tavo", "x");
    VGuiTest::WriteText(folder / ".hidden" / "x.tavo", "x");
  }
  void TearDown() override {
    std::filesystem::remove_all(folder);
    DialogsTest::TearDown();
  }

  VGui::FileListPanel* Open(bool save,
                            std::optional<std::pair<bool, std::filesystem::path>>& answer) {
    VGui::Platform::FileDialogRequest request;
    request.save = save;
    request.title = save ? "Save preset" : "Please choose a file to load";
    request.extension = "tavo";
    request.folder = folder;
    Dialogs::ChooseFile(root, request, [&answer](bool chosen, const std::filesystem::path& file) {
      answer = {chosen, file};
    });
    return dynamic_cast<VGui::FileListPanel*>(root.TopModal());
  }

  static std::vector<std::string> Names(const VGui::FileListPanel& panel) {
    std::vector<std::string> names;
    for (const auto& entry : panel.Entries()) names.push_back(entry.name);
    return names;
  }

  std::filesystem::path folder;
};

TEST_F(FileListTest, ListsFoldersThenFilesOfTheExtension) {
  std::optional<std::pair<bool, std::filesystem::path>> answer;
  VGui::FileListPanel* panel = Open(false, answer);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(Names(*panel), (std::vector<std::string>{"..", "Bass", "Bright.TAVO", "Warm.tavo"}));
  Click(InModal(panel->RowRect(1)), 1);
  root.MouseDown(At(InModal(panel->RowRect(1)), 2));  // double click enters the folder
  root.MouseUp(At(InModal(panel->RowRect(1))));
  EXPECT_EQ(panel->Folder(), (folder / "Bass").lexically_normal());
  EXPECT_EQ(Names(*panel), (std::vector<std::string>{"..", "Deep.tavo"}));
  Click(InModal(panel->RowRect(1)));
  EXPECT_EQ(panel->FileName(), "Deep.tavo");
  Click(InModal(panel->OkRect()));
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->first);
  EXPECT_EQ(answer->second, (folder / "Bass").lexically_normal() / "Deep.tavo");
  EXPECT_FALSE(root.HasModal());
}

TEST_F(FileListTest, OpenNeedsAnExistingFile) {
  std::optional<std::pair<bool, std::filesystem::path>> answer;
  VGui::FileListPanel* panel = Open(false, answer);
  ASSERT_NE(panel, nullptr);
  for (const char* c : {"N", "o", "n", "e"}) root.KeyDown({VGui::Key::kCharacter, c, 0});
  EXPECT_EQ(panel->FileName(), "None");
  root.KeyDown({VGui::Key::kReturn, "", 0});
  EXPECT_FALSE(answer);  // no such file: the panel stays
  EXPECT_TRUE(root.HasModal());
  root.KeyDown({VGui::Key::kEscape, "", 0});
  ASSERT_TRUE(answer);
  EXPECT_FALSE(answer->first);
  EXPECT_FALSE(root.HasModal());
}

TEST_F(FileListTest, SaveTypesANameAndAddsTheExtension) {
  std::optional<std::pair<bool, std::filesystem::path>> answer;
  VGui::FileListPanel* panel = Open(true, answer);
  ASSERT_NE(panel, nullptr);
  for (const char* c : {"M", "y", "x", "/"}) root.KeyDown({VGui::Key::kCharacter, c, 0});
  root.KeyDown({VGui::Key::kBackspace, "", 0});
  EXPECT_EQ(panel->FileName(), "My");  // no separators in a name
  Click(InModal(panel->OkRect()));
  ASSERT_TRUE(answer);
  EXPECT_TRUE(answer->first);
  EXPECT_EQ(answer->second, folder.lexically_normal() / "My.tavo");
}

TEST_F(FileListTest, UnavailableNativeDialogFallsBackToThePanel) {
  Dialogs::NativeDialogs native;
  native.chooseFile = [](const VGui::Platform::FileDialogRequest&, auto done) {
    done(FileDialogOutcome::kUnavailable, {});
  };
  Dialogs::SetNativeDialogs(native);
  std::optional<std::pair<bool, std::filesystem::path>> answer;
  EXPECT_NE(Open(false, answer), nullptr);
  EXPECT_FALSE(answer);
}

}  // namespace
