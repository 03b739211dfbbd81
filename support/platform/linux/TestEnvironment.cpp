// Linux: tests redirect every user folder (and so the preference file) below a fresh temporary
// folder, which is removed when the test program ends.
#include "support/TestEnvironment.h"

#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace VFoundation {

namespace {

char createdRoot[4096] = "";
pid_t creatorProcess = 0;

void RemoveTemporaryUserFolders() {
  // A forked child (a death test) that calls exit() must not remove its parent's folders.
  if (createdRoot[0] == '\0' || getpid() != creatorProcess) return;
  std::error_code error;
  std::filesystem::remove_all(createdRoot, error);
}

}  // namespace

std::filesystem::path UseTemporaryUserFolders() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavo-test-XXXXXX").string();
  const char* made = mkdtemp(pattern.data());
  const std::filesystem::path root =
      made ? std::filesystem::path(made) : std::filesystem::path(pattern);
  std::filesystem::create_directories(root / "AppData");
  std::filesystem::create_directories(root / "Documents");
  setenv("TAVO_USER_ROOT", root.c_str(), 1);
  // Libraries that follow the XDG rules themselves land below the same root.
  setenv("XDG_CONFIG_HOME", (root / "AppData").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", (root / "Documents").c_str(), 1);
  if (made && root.native().size() < sizeof createdRoot) {
    const bool first = createdRoot[0] == '\0';
    RemoveTemporaryUserFolders();
    root.native().copy(createdRoot, root.native().size());
    createdRoot[root.native().size()] = '\0';
    creatorProcess = getpid();
    if (first) atexit(RemoveTemporaryUserFolders);
  }
  return root;
}

}  // namespace VFoundation
