// Windows: environment variables and the shell's user folders.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {

std::filesystem::path ShellFolder(int folder) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return std::filesystem::path(path);
}

}  // namespace

std::optional<std::filesystem::path> EnvironmentPath(const char* name) {
  if (!name) return std::nullopt;
  const std::wstring wideName(name, name + std::char_traits<char>::length(name));
  const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size <= 1) return std::nullopt;
  std::vector<wchar_t> value(size);
  const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  return std::filesystem::path(std::wstring(value.data(), length));
}

std::filesystem::path UserFolderPath(UserFolder folder) {
  return ShellFolder(folder == UserFolder::kDocuments ? CSIDL_PERSONAL : CSIDL_APPDATA);
}

std::filesystem::path DefaultInstallPath(const std::filesystem::path& productFolder) {
  const std::filesystem::path programs = ShellFolder(CSIDL_PROGRAM_FILES);
  return programs.empty() ? programs : programs / productFolder;
}

}  // namespace VFoundation::Platform
