// Windows: facts about the hosting process.
#include <windows.h>

#include "support/LibraryHooks.h"

namespace VFoundation {

std::filesystem::path ProcessExecutablePath() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  if (length == 0 || length >= std::size(path)) return {};
  return std::filesystem::path(std::wstring(path, length));
}

}  // namespace VFoundation
