// Linux: the desktop's file dialog (zenity or kdialog) in a child process whose answer the ticks
// collect, and xdg-open for files and addresses. Programs get their arguments as argv, never
// through a shell, so no name or title can inject a command.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "support/platform/GuiWindow.h"

extern char** environ;

namespace VGui::Platform {

namespace {

// zenity and kdialog both answer 1 when the user cancels.
constexpr int kCancelledStatus = 1;

using DialogDone = std::function<void(FileDialogOutcome, const std::filesystem::path&)>;

struct RunningDialog {
  pid_t pid = -1;
  int output = -1;
  std::string text;
  bool outputEnded = false;
  std::optional<int> exitStatus;  // nullopt: still running, or reaped by someone else
  bool reaped = false;
  const void* owner = nullptr;
  DialogDone done;
};

struct Children {
  std::mutex mutex;
  std::vector<RunningDialog> dialogs;
  std::vector<pid_t> openers;  // xdg-open runs, reaped when they end
};

Children& RunningChildren() {
  // Never destroyed: a host may unload the library with a dialog still open.
  static auto* children = new Children;
  return *children;
}

std::optional<std::filesystem::path> FindProgram(const char* name) {
  const char* path = std::getenv("PATH");
  if (!path) return std::nullopt;
  std::string_view rest(path);
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    // An empty entry would mean the host's working folder: never run programs from there.
    if (folder.empty() || folder.front() != '/') continue;
    std::filesystem::path candidate = std::filesystem::path(folder) / name;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return std::nullopt;
}

// Spawns program with argv; stdin and stderr go to /dev/null, stdout to outputFd (or /dev/null
// when -1). The child gets default signal handling and none of the host's descriptors.
pid_t Spawn(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            int outputFd) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  // Its own session: the host's terminal signals do not reach it.
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ) != 0) {
    pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return pid;
}

std::vector<std::string> ZenityArguments(const FileDialogRequest& request) {
  std::vector<std::string> arguments = {"--file-selection"};
  if (request.save) {
    arguments.push_back("--save");
    arguments.push_back("--confirm-overwrite");
  }
  arguments.push_back("--title=" + request.title);
  arguments.push_back("--file-filter=" + request.filterName + " | *." + request.extension);
  // A trailing slash makes zenity open the folder rather than pick a file of that name.
  std::string start = request.folder.empty() ? std::string() : (request.folder / "").string();
  if (request.save) start += request.fileName;
  if (!start.empty()) arguments.push_back("--filename=" + start);
  return arguments;
}

std::vector<std::string> KdialogArguments(const FileDialogRequest& request) {
  std::filesystem::path start = request.folder;
  if (request.save && !request.fileName.empty()) start /= request.fileName;
  if (start.empty()) start = ".";
  return {request.save ? "--getsavefilename" : "--getopenfilename", start.string(),
          "*." + request.extension + "|" + request.filterName, "--title", request.title};
}

bool StartDialog(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const void* owner, DialogDone& done) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  const pid_t pid = Spawn(program, arguments, pipeFds[1]);
  close(pipeFds[1]);
  if (pid < 0) {
    close(pipeFds[0]);
    return false;
  }
  fcntl(pipeFds[0], F_SETFL, fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
  RunningDialog dialog;
  dialog.pid = pid;
  dialog.output = pipeFds[0];
  dialog.owner = owner;
  dialog.done = std::move(done);
  Children& children = RunningChildren();
  std::lock_guard lock(children.mutex);
  children.dialogs.push_back(std::move(dialog));
  return true;
}

void ReadOutput(RunningDialog& dialog) {
  char buffer[4096];
  while (!dialog.outputEnded) {
    const ssize_t count = read(dialog.output, buffer, sizeof buffer);
    if (count > 0) {
      dialog.text.append(buffer, size_t(count));
    } else if (count == 0 || errno != EINTR) {
      // EAGAIN: nothing more for now.
      if (count == 0) dialog.outputEnded = true;
      return;
    }
  }
}

void Reap(RunningDialog& dialog) {
  int status = 0;
  const pid_t result = waitpid(dialog.pid, &status, WNOHANG);
  if (result == dialog.pid) {
    dialog.reaped = true;
    if (WIFEXITED(status)) dialog.exitStatus = WEXITSTATUS(status);
  } else if (result < 0 && errno == ECHILD) {
    // The host ignores SIGCHLD, so the system reaped it: only the output tells.
    dialog.reaped = true;
  }
}

FileDialogOutcome OutcomeOf(const RunningDialog& dialog, std::filesystem::path& chosen) {
  std::string text = dialog.text;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const bool succeeded = dialog.exitStatus ? *dialog.exitStatus == 0 : !text.empty();
  if (succeeded && !text.empty()) {
    chosen = text;
    return FileDialogOutcome::kChosen;
  }
  if (!dialog.exitStatus || *dialog.exitStatus == kCancelledStatus || succeeded) {
    return FileDialogOutcome::kCancelled;
  }
  // The program could not show a dialog at all (no display, a broken installation).
  return FileDialogOutcome::kUnavailable;
}

void ReapOpeners(std::vector<pid_t>& openers) {
  std::erase_if(openers, [](pid_t pid) {
    const pid_t result = waitpid(pid, nullptr, WNOHANG);
    return result == pid || (result < 0 && errno == ECHILD);
  });
}

}  // namespace

QuestionAnswer AskNative(std::string_view, std::string_view) {
  return QuestionAnswer::kUnavailable;
}

bool AlertNative(std::string_view, std::string_view) {
  return false;
}

void ChooseFileNative(const FileDialogRequest& request, DialogDone done) {
  if (const auto zenity = FindProgram("zenity")) {
    if (StartDialog(*zenity, ZenityArguments(request), request.owner, done)) return;
  } else if (const auto kdialog = FindProgram("kdialog")) {
    if (StartDialog(*kdialog, KdialogArguments(request), request.owner, done)) return;
  }
  if (done) done(FileDialogOutcome::kUnavailable, {});
}

void PollNativeDialogs(const void* owner) {
  std::vector<RunningDialog> finished;
  {
    Children& children = RunningChildren();
    std::lock_guard lock(children.mutex);
    ReapOpeners(children.openers);
    for (auto it = children.dialogs.begin(); it != children.dialogs.end();) {
      // Each answer goes to the editor that asked: another editor's ticks run elsewhere.
      if (it->owner == owner) {
        ReadOutput(*it);
        if (it->outputEnded && !it->reaped) Reap(*it);
      }
      if (it->owner == owner && it->outputEnded && it->reaped) {
        close(it->output);
        finished.push_back(std::move(*it));
        it = children.dialogs.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& dialog : finished) {
    std::filesystem::path chosen;
    const FileDialogOutcome outcome = OutcomeOf(dialog, chosen);
    if (dialog.done) dialog.done(outcome, chosen);
  }
}

void ForgetNativeDialogs(const void* owner) {
  Children& children = RunningChildren();
  std::lock_guard lock(children.mutex);
  std::erase_if(children.dialogs, [&](RunningDialog& dialog) {
    if (dialog.owner != owner) return false;
    // The answer would reach views that are gone: close the dialog and reap it with the openers.
    kill(dialog.pid, SIGTERM);
    close(dialog.output);
    if (!dialog.reaped) children.openers.push_back(dialog.pid);
    return true;
  });
}

bool OpenWithShell(std::string_view fileOrUrl) {
  // A leading dash would be read as an option.
  if (fileOrUrl.empty() || fileOrUrl.front() == '-') return false;
  const auto opener = FindProgram("xdg-open");
  if (!opener) return false;
  const pid_t pid = Spawn(*opener, {std::string(fileOrUrl)}, -1);
  if (pid < 0) return false;
  Children& children = RunningChildren();
  std::lock_guard lock(children.mutex);
  ReapOpeners(children.openers);
  children.openers.push_back(pid);
  return true;
}

}  // namespace VGui::Platform
