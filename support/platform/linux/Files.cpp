// Linux: append-only files for the run-time log.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

FileHandle OpenAppendFile(const std::filesystem::path& path) {
  const int file = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  return file < 0 ? kInvalidFile : static_cast<FileHandle>(file);
}

bool AppendToFile(FileHandle file, const char* data, size_t size) {
  if (file == kInvalidFile) return false;
  while (size > 0) {
    const ssize_t written = write(static_cast<int>(file), data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

void CloseAppendFile(FileHandle file) {
  if (file != kInvalidFile) close(static_cast<int>(file));
}

}  // namespace VFoundation::Platform
