// The plug-in's folders, below the OS user folders or below TAVO_USER_ROOT for tests.
#include "support/Paths.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>

#include "support/Options.h"
#include "support/platform/Platform.h"

namespace VApplication {

namespace {

namespace fs = std::filesystem;
using VFoundation::Platform::UserFolder;

// Tests set TAVO_USER_ROOT so that every user folder lives below it and the real home folders
// are never touched.
fs::path UserBase(UserFolder folder) {
  if (const std::optional<fs::path> root =
          VFoundation::Platform::EnvironmentPath("TAVO_USER_ROOT")) {
    return *root / (folder == UserFolder::kDocuments ? "Documents" : "AppData");
  }
  fs::path base = VFoundation::Platform::UserFolderPath(folder);
  if (base.empty()) {
    std::error_code error;
    base = fs::temp_directory_path(error);
  }
  return base;
}

fs::path PreferencePath(const char* name) {
  const std::string text = Options::ReadString(name, "");
  return text.empty() ? fs::path() : Paths::FromUtf8(text);
}

fs::path CreatedFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  return folder;
}

}  // namespace

fs::path Paths::GetInstallPath() {
  const fs::path preferred = PreferencePath("InstallPath");
  if (!preferred.empty()) return preferred;
  return VFoundation::Platform::DefaultInstallPath(GetProductFolder());
}

fs::path Paths::GetLocalDocumentsPath() {
  const fs::path preferred = PreferencePath("LocalDocumentsPath");
  if (!preferred.empty()) return preferred;
  return UserBase(UserFolder::kDocuments) / GetProductFolder();
}

fs::path Paths::GetUserPresetsPath() {
  return CreatedFolder(GetLocalDocumentsPath() / "Presets");
}

fs::path Paths::GetFactoryPresetsPath() {
  return GetInstallPath() / "System" / "Presets";
}

fs::path Paths::GetApplicationDataPath() {
  return UserBase(UserFolder::kApplicationData) / GetProductFolder();
}

fs::path Paths::GetDefaultPresetFile() {
  return GetApplicationDataPath() / "System" / "DefaultPreset.tavo";
}

fs::path Paths::GetTemporaryPath() {
  return CreatedFolder(GetApplicationDataPath() / "Temp");
}

fs::path Paths::GetResourcesPath() {
  return GetInstallPath() / "Resources";
}

fs::path Paths::GetProductFolder() {
  std::string key = Options::ProductKey();
  constexpr std::string_view kSoftware = "Software\\";
  if (key.size() >= kSoftware.size() &&
      std::equal(kSoftware.begin(), kSoftware.end(), key.begin(),
                 [](char a, char b) { return (a | 0x20) == (b | 0x20); })) {
    key.erase(0, kSoftware.size());
  }
  // Only plain names become folders: a key can never climb out of the user folder.
  fs::path folder;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find_first_of("\\/", start);
    if (end == std::string::npos) end = key.size();
    const std::string part = key.substr(start, end - start);
    if (!part.empty() && part != "." && part != ".." && part.find(':') == std::string::npos) {
      folder /= FromUtf8(part);
    }
    start = end + 1;
  }
  return folder.empty() ? fs::path("Quorvanta") / "Tavo" : folder;
}

fs::path Paths::FromUtf8(std::string_view text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Paths::ToUtf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace VApplication
