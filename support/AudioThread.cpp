// The process-wide identity of the host's audio thread.
#include "support/AudioThread.h"

#include <atomic>
#include <cstdint>

#include "support/platform/Platform.h"

namespace VFoundation {

namespace {
// 0 when no thread is registered; Platform::CurrentThreadId is never 0.
std::atomic<uint64_t> audioThreadId{0};
}  // namespace

void RegisterAudioThread() {
  audioThreadId.store(Platform::CurrentThreadId(), std::memory_order_relaxed);
}

void ClearAudioThreadRegistration() {
  audioThreadId.store(0, std::memory_order_relaxed);
}

bool IsAudioThread() {
  return audioThreadId.load(std::memory_order_relaxed) == Platform::CurrentThreadId();
}

}  // namespace VFoundation
