// Windows: tests redirect the user folders and the preference key through TAVO_USER_ROOT; the
// folder and the test key are removed when the test program ends.
#include "support/TestEnvironment.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <system_error>

#include "support/platform/Platform.h"
#include "support/platform/windows/Text.h"

namespace VFoundation {

namespace {

wchar_t createdRoot[MAX_PATH * 2] = L"";
wchar_t createdKey[MAX_PATH * 2] = L"";

void RemoveTemporaryUserFolders() {
  if (createdKey[0]) {
    RegDeleteTreeW(HKEY_CURRENT_USER, createdKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, createdKey);
    // The shared parent goes once no other test run uses it (deleting a key with subkeys fails).
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quorvanta\\Tavo-Test");
  }
  if (createdRoot[0]) {
    std::error_code error;
    std::filesystem::remove_all(createdRoot, error);
  }
}

}  // namespace

std::filesystem::path UseTemporaryUserFolders() {
  wchar_t tempPath[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, tempPath);
  const std::filesystem::path root =
      std::filesystem::path(tempPath) / (L"tavo-test-" + std::to_wstring(GetCurrentProcessId()) +
                                         L"-" + std::to_wstring(GetTickCount64()));
  std::filesystem::create_directories(root / "AppData");
  std::filesystem::create_directories(root / "Documents");
  SetEnvironmentVariableW(L"TAVO_USER_ROOT", root.c_str());
  _wputenv_s(L"TAVO_USER_ROOT", root.c_str());
  const bool first = createdRoot[0] == L'\0';
  RemoveTemporaryUserFolders();
  lstrcpynW(createdRoot, root.c_str(), MAX_PATH * 2);
  lstrcpynW(createdKey, Platform::WideFromUtf8(Platform::TestPreferenceRoot(root)).c_str(),
            MAX_PATH * 2);
  if (first) std::atexit(RemoveTemporaryUserFolders);
  return root;
}

}  // namespace VFoundation
