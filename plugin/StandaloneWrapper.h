// The standalone application behind the library's three standalone exports.
#pragma once

namespace Standalone {

// The standalone host does not exist yet: each call logs that it was asked and answers failure
// (an exit code of 1 for Main, false (0) for the two hooks).
int Main(void* argument);
int PostLoadInitialize();
int PreUnloadUninitialize(void* a, void* b, void* c, void* d);

}  // namespace Standalone
