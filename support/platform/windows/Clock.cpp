// Windows: the performance counter and thread identities.
#include <windows.h>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

uint64_t CounterTicks() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<uint64_t>(now.QuadPart);
}

uint64_t CounterTicksPerSecond() {
  // Fixed at boot; read once.
  static const uint64_t rate = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0 ? static_cast<uint64_t>(frequency.QuadPart) : 1u;
  }();
  return rate;
}

uint64_t CurrentThreadId() {
  return GetCurrentThreadId();
}

}  // namespace VFoundation::Platform
