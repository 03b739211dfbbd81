// The crash guard's product settings and the log lines after a caught machine fault.
#include "support/CrashGuard.h"

#include <cstdio>

#include "support/Log.h"
#include "support/Paths.h"
#include "support/platform/Platform.h"

namespace VFoundation {

namespace {
// Written at set-up, read only after a fault.
char supportContact[128] = "";
}  // namespace

bool RunWithCrashGuard(void (*body)(void*), void* context) {
  if (!body) return true;
  switch (Platform::RunGuarded(body, context)) {
    case Platform::GuardOutcome::kCompleted:
      return true;
    case Platform::GuardOutcome::kFaultWithDump:
      Log("Software Error: a dump file has been created.  Please email this to Quorvanta\n");
      Log("Dump file: %s%s%s\n", Platform::LastCrashDumpPath(), supportContact[0] ? " - " : "",
          supportContact);
      return false;
    case Platform::GuardOutcome::kFaultWithoutDump:
      Log("Software Error: a machine fault was caught; no dump file was written\n");
      return false;
  }
  return false;
}

void SetCrashHandlerProduct(const char* productName, const char* supportAddress) {
  std::snprintf(supportContact, sizeof supportContact, "%s", supportAddress ? supportAddress : "");
  Platform::SetCrashDumpTarget(VApplication::Paths::GetTemporaryPath(),
                               productName && *productName ? productName : "Tavo");
}

void SetCrashDumpBudget(int dumps) {
  Platform::SetCrashDumpBudget(dumps);
}

}  // namespace VFoundation
