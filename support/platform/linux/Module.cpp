// Linux: the module's own file, the unload state and pauses.
#include <dlfcn.h>
#include <errno.h>
#include <time.h>

#include <atomic>

#include "support/LibraryHooks.h"
#include "support/platform/Platform.h"

namespace VFoundation {

namespace {
std::atomic<Platform::UnloadState> unloadState{Platform::UnloadState::kNone};
}  // namespace

std::filesystem::path ModuleFilePath() {
  // Any address inside this module names the shared object (or the program) that holds it.
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) == 0 || !info.dli_fname) return {};
  std::error_code error;
  const std::filesystem::path path = std::filesystem::canonical(info.dli_fname, error);
  return error ? std::filesystem::path(info.dli_fname) : path;
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
  timespec remaining{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

namespace Platform {

void RecordModuleHandle(void*) {}

void SetUnloadState(UnloadState state) {
  unloadState.store(state);
}

UnloadState CurrentUnloadState() {
  return unloadState.load();
}

// glibc lets threads end and be joined from a library destructor and during exit.
bool JoinWouldDeadlock() {
  return false;
}

bool OtherThreadsAreGone() {
  return false;
}

}  // namespace Platform

}  // namespace VFoundation
