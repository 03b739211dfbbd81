// Linux: facts about the hosting process.
#include <unistd.h>

#include "support/LibraryHooks.h"

namespace VFoundation {

std::filesystem::path ProcessExecutablePath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  path[length] = 0;
  return std::filesystem::path(path);
}

}  // namespace VFoundation
