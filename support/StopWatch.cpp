// Seconds from the platform's monotonic counter.
#include "support/StopWatch.h"

#include "support/platform/Platform.h"

namespace VFoundation {

double NowSeconds() {
  const uint64_t ticks = Platform::CounterTicks();
  const uint64_t rate = Platform::CounterTicksPerSecond();
  // Whole seconds and the remainder apart, so that a long uptime keeps sub-microsecond detail.
  return static_cast<double>(ticks / rate) +
         static_cast<double>(ticks % rate) / static_cast<double>(rate);
}

uint64_t HighResolutionCounter() {
  return Platform::CounterTicks();
}

}  // namespace VFoundation
