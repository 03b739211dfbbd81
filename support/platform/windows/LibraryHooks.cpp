// Windows: DllMain, the DLL's load and unload hooks; linked only into the plug-in library, whose
// entry file references LinkLibraryHooks.
#include <windows.h>

#include "support/LibraryHooks.h"
#include "support/Log.h"
#include "support/VException.h"
#include "support/platform/Platform.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  using namespace VFoundation;
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      Platform::RecordModuleHandle(instance);
      GuardedVoid("DllMain", [] { OnLibraryLoad(); });
      break;
    case DLL_PROCESS_DETACH:
      // A non-null reserved pointer means the process is ending and its other threads are gone.
      Platform::SetUnloadState(reserved ? Platform::UnloadState::kProcessExit
                                        : Platform::UnloadState::kLibraryUnload);
      GuardedVoid("DllMain", [] { OnLibraryUnload(); });
      RuntimeLog::StopForUnload();
      Platform::SetUnloadState(Platform::UnloadState::kNone);
      break;
    default:
      break;
  }
  return TRUE;
}

namespace VFoundation {

void LinkLibraryHooks() {}

}  // namespace VFoundation
