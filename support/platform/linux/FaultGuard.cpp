// Linux: the body runs unguarded; a plug-in must not take over the host's signal handlers.
#include "support/platform/Platform.h"

namespace VFoundation::Platform {

GuardOutcome RunGuarded(void (*body)(void*), void* context) {
  body(context);
  return GuardOutcome::kCompleted;
}

void SetCrashDumpTarget(const std::filesystem::path&, const char*) {}

void SetCrashDumpBudget(int) {}

const char* LastCrashDumpPath() {
  return "";
}

}  // namespace VFoundation::Platform
