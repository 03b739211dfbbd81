// Linux: the monotonic clock and thread identities.
#include <pthread.h>
#include <time.h>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

uint64_t CounterTicks() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t CounterTicksPerSecond() {
  return 1000000000u;
}

// glibc's pthread_t is the address of the thread's control block, never 0.
uint64_t CurrentThreadId() {
  return static_cast<uint64_t>(pthread_self());
}

}  // namespace VFoundation::Platform
