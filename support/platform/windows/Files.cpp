// Windows: append-only files for the run-time log.
#include <windows.h>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

FileHandle OpenAppendFile(const std::filesystem::path& path) {
  // Shared for writing so that a second copy of the library (another plug-in build, a test that
  // loads the plug-in) can append to the same log.
  const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(file);
}

bool AppendToFile(FileHandle file, const char* data, size_t size) {
  if (file == kInvalidFile) return false;
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!WriteFile(reinterpret_cast<HANDLE>(file), data, chunk, &written, nullptr) ||
        written == 0) {
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

void CloseAppendFile(FileHandle file) {
  if (file != kInvalidFile) CloseHandle(reinterpret_cast<HANDLE>(file));
}

}  // namespace VFoundation::Platform
