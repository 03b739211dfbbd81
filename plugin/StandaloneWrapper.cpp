// Placeholder standalone host: answers failure so that a caller falls back cleanly.
#include "plugin/StandaloneWrapper.h"

#include "support/Log.h"

namespace Standalone {

int Main(void*) {
  VFoundation::Log("StandAloneMain: the standalone application is not available in this build\n");
  return 1;
}

int PostLoadInitialize() {
  VFoundation::Log("PostLoadInitialize: the standalone application is not available\n");
  return 0;
}

int PreUnloadUninitialize(void*, void*, void*, void*) {
  VFoundation::Log("PreUnloadUninitialize: the standalone application is not available\n");
  return 0;
}

}  // namespace Standalone
