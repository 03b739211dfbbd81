// Linux: the shared object's load and unload hooks; linked only into the plug-in library, whose
// entry file references LinkLibraryHooks.
#include "support/LibraryHooks.h"

#include "support/Log.h"
#include "support/VException.h"
#include "support/platform/Platform.h"

namespace VFoundation {

namespace {

__attribute__((constructor)) void LibraryLoadHook() {
  GuardedVoid("LibraryLoadHook", [] { OnLibraryLoad(); });
}

__attribute__((destructor)) void LibraryUnloadHook() {
  Platform::SetUnloadState(Platform::UnloadState::kLibraryUnload);
  GuardedVoid("LibraryUnloadHook", [] { OnLibraryUnload(); });
  RuntimeLog::StopForUnload();
  Platform::SetUnloadState(Platform::UnloadState::kNone);
}

}  // namespace

void LinkLibraryHooks() {}

}  // namespace VFoundation
