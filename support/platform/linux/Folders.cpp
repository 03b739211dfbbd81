// Linux: environment variables and the XDG user folders.
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/LibraryHooks.h"
#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {

namespace fs = std::filesystem;

// XDG folders must be absolute; relative values are ignored, as the XDG rules ask.
std::optional<fs::path> AbsoluteEnvironmentPath(const char* name) {
  std::optional<fs::path> value = EnvironmentPath(name);
  if (value && !value->is_absolute()) value.reset();
  return value;
}

fs::path HomeFolder() {
  if (const std::optional<fs::path> home = AbsoluteEnvironmentPath("HOME")) return *home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir) {
    return fs::path(found->pw_dir);
  }
  return fs::path();
}

fs::path ConfigHome() {
  if (const std::optional<fs::path> config = AbsoluteEnvironmentPath("XDG_CONFIG_HOME")) {
    return *config;
  }
  const fs::path home = HomeFolder();
  return home.empty() ? home : home / ".config";
}

// The documents folder named in user-dirs.dirs (XDG_DOCUMENTS_DIR="$HOME/Dokumente"), which
// desktops localise.
std::optional<fs::path> UserDirsDocuments(const fs::path& home) {
  const fs::path config = ConfigHome();
  if (config.empty()) return std::nullopt;
  std::ifstream file(config / "user-dirs.dirs");
  std::string line;
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  while (std::getline(file, line)) {
    if (line.compare(0, kKey.size(), kKey) != 0) continue;
    std::string value = line.substr(kKey.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.compare(0, 5, "$HOME") == 0 && !home.empty()) {
      return fs::path(home.string() + value.substr(5));
    }
    if (!value.empty() && value.front() == '/') return fs::path(value);
  }
  return std::nullopt;
}

fs::path DocumentsFolder() {
  if (const std::optional<fs::path> documents = AbsoluteEnvironmentPath("XDG_DOCUMENTS_DIR")) {
    return *documents;
  }
  const fs::path home = HomeFolder();
  if (const std::optional<fs::path> documents = UserDirsDocuments(home)) return *documents;
  return home.empty() ? home : home / "Documents";
}

}  // namespace

std::optional<fs::path> EnvironmentPath(const char* name) {
  const char* value = name ? getenv(name) : nullptr;
  if (!value || !*value) return std::nullopt;
  return fs::path(value);
}

fs::path UserFolderPath(UserFolder folder) {
  return folder == UserFolder::kDocuments ? DocumentsFolder() : ConfigHome();
}

// Linux packages and users put the plug-in anywhere; its resources travel beside it.
fs::path DefaultInstallPath(const fs::path&) {
  return ModuleFilePath().parent_path();
}

}  // namespace VFoundation::Platform
