// Windows: the module's own file, the unload state and pauses.
#include <windows.h>

#include <atomic>
#include <vector>

#include "support/LibraryHooks.h"
#include "support/platform/Platform.h"

namespace VFoundation {

namespace {
std::atomic<HMODULE> recordedModule{nullptr};
std::atomic<Platform::UnloadState> unloadState{Platform::UnloadState::kNone};
}  // namespace

std::filesystem::path ModuleFilePath() {
  HMODULE module = recordedModule.load();
  // Programs that do not link the load hook (tests, tools) name the module by an address in it.
  if (!module && !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                     reinterpret_cast<LPCWSTR>(&ModuleFilePath), &module)) {
    return {};
  }
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::filesystem::path(std::wstring(buffer.data(), length));
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

namespace Platform {

void RecordModuleHandle(void* handle) {
  recordedModule.store(static_cast<HMODULE>(handle));
}

void SetUnloadState(UnloadState state) {
  unloadState.store(state);
}

UnloadState CurrentUnloadState() {
  return unloadState.load();
}

bool JoinWouldDeadlock() {
  return unloadState.load() == UnloadState::kLibraryUnload;
}

bool OtherThreadsAreGone() {
  return unloadState.load() == UnloadState::kProcessExit;
}

}  // namespace Platform

}  // namespace VFoundation
