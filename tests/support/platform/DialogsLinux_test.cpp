// The Linux dialogs and shell: the file dialog runs zenity or kdialog as a child process whose
// answer a later poll delivers; xdg-open gets its argument verbatim. Stand-in programs on a
// private PATH record their arguments and answer as the real ones do.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/platform/GuiWindow.h"

namespace VGui::Platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class DialogsLinux : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("tavo-dialogs-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "bin");
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    setenv("PATH", (folder_ / "bin").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    fs::remove_all(folder_);
  }

  // A stand-in program: writes each argument on a line of <name>.args, prints the answer and
  // exits with the status.
  void InstallProgram(const std::string& name, const std::string& answer, int status) {
    const fs::path program = folder_ / "bin" / name;
    std::ofstream script(program);
    script << "#!/bin/sh\n"
           << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << ArgsFile(name).string()
           << "'\n"
           << "printf '%s' '" << answer << "'\n"
           << "exit " << status << "\n";
    script.close();
    chmod(program.c_str(), 0755);
  }
  fs::path ArgsFile(const std::string& name) const { return folder_ / (name + ".args"); }
  std::string Arguments(const std::string& name) const {
    std::ifstream file(ArgsFile(name));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  struct Answer {
    int calls = 0;
    FileDialogOutcome outcome = FileDialogOutcome::kUnavailable;
    fs::path path;
  };
  // Polls as the ticks do until the answer comes; the calls counted.
  Answer Choose(const FileDialogRequest& request, bool* answeredAtOnce = nullptr) {
    Answer answer;
    ChooseFileNative(request, [&](FileDialogOutcome outcome, const fs::path& path) {
      ++answer.calls;
      answer.outcome = outcome;
      answer.path = path;
    });
    if (answeredAtOnce) *answeredAtOnce = answer.calls > 0;
    for (int tick = 0; tick < 250 && answer.calls == 0; ++tick) {
      std::this_thread::sleep_for(20ms);
      PollNativeDialogs(nullptr);
    }
    // Later polls must not answer twice.
    PollNativeDialogs(nullptr);
    return answer;
  }

  fs::path folder_;
  std::string savedPath_;
};

FileDialogRequest Request(bool save) {
  FileDialogRequest request;
  request.save = save;
  request.title = save ? "Save preset" : "Load preset";
  request.filterName = "Tavo preset files";
  request.extension = "tavo";
  request.folder = "/home/user/Presets";
  request.fileName = "Warm pad.tavo";
  return request;
}

TEST_F(DialogsLinux, ZenityAnswersThroughALaterPoll) {
  struct Case {
    bool save;
    const char* answer;
    int status;
    FileDialogOutcome outcome;
    const char* path;
    const char* arguments;
  };
  const Case cases[] = {
      {false, "/home/user/Presets/a b.tavo\n", 0, FileDialogOutcome::kChosen,
       "/home/user/Presets/a b.tavo",
       "--file-selection\n--title=Load preset\n--file-filter=Tavo preset files | *.tavo\n"
       "--filename=/home/user/Presets/\n"},
      {true, "/tmp/x.tavo\n", 0, FileDialogOutcome::kChosen, "/tmp/x.tavo",
       "--file-selection\n--save\n--confirm-overwrite\n--title=Save preset\n"
       "--file-filter=Tavo preset files | *.tavo\n--filename=/home/user/Presets/Warm pad.tavo\n"},
      {false, "", 1, FileDialogOutcome::kCancelled, "", nullptr},
      // No display or a broken installation: the toolkit's own list takes over.
      {false, "", 255, FileDialogOutcome::kUnavailable, "", nullptr},
  };
  for (const Case& c : cases) {
    InstallProgram("zenity", c.answer, c.status);
    InstallProgram("kdialog", "/never", 0);
    bool answeredAtOnce = true;
    const Answer answer = Choose(Request(c.save), &answeredAtOnce);
    EXPECT_FALSE(answeredAtOnce);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.outcome, c.outcome) << c.answer;
    EXPECT_EQ(answer.path, fs::path(c.path));
    if (c.arguments) {
      EXPECT_EQ(Arguments("zenity"), c.arguments);
    }
    EXPECT_FALSE(fs::exists(ArgsFile("kdialog")));
  }
}

TEST_F(DialogsLinux, KdialogWhenZenityIsMissing) {
  InstallProgram("kdialog", "/home/user/Presets/b.tavo\n", 0);
  const Answer answer = Choose(Request(true));
  EXPECT_EQ(answer.calls, 1);
  EXPECT_EQ(answer.outcome, FileDialogOutcome::kChosen);
  EXPECT_EQ(answer.path, fs::path("/home/user/Presets/b.tavo"));
  EXPECT_EQ(Arguments("kdialog"),
            "--getsavefilename\n/home/user/Presets/Warm pad.tavo\n*.tavo|Tavo preset files\n"
            "--title\nSave preset\n");
}

TEST_F(DialogsLinux, UnavailableAtOnceWithoutADialogProgram) {
  bool answeredAtOnce = false;
  const Answer answer = Choose(Request(false), &answeredAtOnce);
  EXPECT_TRUE(answeredAtOnce);
  EXPECT_EQ(answer.calls, 1);
  EXPECT_EQ(answer.outcome, FileDialogOutcome::kUnavailable);
}

// An editor that closes and opens again ticks on a new thread: the answer follows the editor that
// asked, never another editor.
TEST_F(DialogsLinux, AnswersGoToTheOwnerThatAskedOnWhicheverThreadItTicks) {
  InstallProgram("zenity", "/a.tavo\n", 0);
  const int asker = 0;
  const int other = 0;
  FileDialogRequest request = Request(false);
  request.owner = &asker;
  int calls = 0;
  ChooseFileNative(request, [&](FileDialogOutcome, const fs::path&) { ++calls; });
  std::this_thread::sleep_for(300ms);
  PollNativeDialogs(&other);
  EXPECT_EQ(calls, 0);
  for (int tick = 0; tick < 250 && calls == 0; ++tick) {
    std::this_thread::sleep_for(20ms);
    std::thread([&] { PollNativeDialogs(&asker); }).join();
  }
  EXPECT_EQ(calls, 1);
}

TEST_F(DialogsLinux, AForgottenOwnersDialogIsClosedAndNeverAnswers) {
  const fs::path pidFile = folder_ / "dialog.pid";
  const fs::path program = folder_ / "bin" / "zenity";
  std::ofstream script(program);
  script << "#!/bin/sh\necho $$ > '" << pidFile.string() << "'\nexec sleep 30\n";
  script.close();
  chmod(program.c_str(), 0755);
  const int asker = 0;
  FileDialogRequest request = Request(true);
  request.owner = &asker;
  int calls = 0;
  ChooseFileNative(request, [&](FileDialogOutcome, const fs::path&) { ++calls; });
  pid_t pid = 0;
  for (int i = 0; i < 250 && pid == 0; ++i) {
    std::this_thread::sleep_for(20ms);
    std::ifstream in(pidFile);
    in >> pid;
  }
  ASSERT_GT(pid, 0);

  ForgetNativeDialogs(&asker);
  bool gone = false;
  for (int i = 0; i < 250 && !gone; ++i) {
    std::this_thread::sleep_for(20ms);
    PollNativeDialogs(&asker);
    gone = kill(pid, 0) != 0 && errno == ESRCH;
  }
  EXPECT_TRUE(gone) << "the dialog program still runs";
  EXPECT_EQ(calls, 0);
}

TEST_F(DialogsLinux, OpenWithShellPassesTheTextAsOneArgument) {
  InstallProgram("xdg-open", "", 0);
  const std::string texts[] = {"https://example.org/a?b=1&c=2", "/tmp/a b; touch pwned $(id)"};
  for (const std::string& text : texts) {
    fs::remove(ArgsFile("xdg-open"));
    ASSERT_TRUE(OpenWithShell(text));
    for (int i = 0; i < 250 && Arguments("xdg-open").empty(); ++i) {
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(Arguments("xdg-open"), text + "\n");
  }
  EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
  EXPECT_FALSE(OpenWithShell("--help"));
  EXPECT_FALSE(OpenWithShell(""));
}

TEST_F(DialogsLinux, OpenWithShellFailsWithoutXdgOpen) {
  EXPECT_FALSE(OpenWithShell("https://example.org"));
}

TEST(DialogsLinuxNative, QuestionsAndAlertsAreLeftToTheToolkit) {
  EXPECT_EQ(AskNative("Confirm:", "Overwrite?"), QuestionAnswer::kUnavailable);
  EXPECT_FALSE(AlertNative("Alert", "Something"));
}

}  // namespace
}  // namespace VGui::Platform
