// The process-wide identity of the host's audio thread, the per-thread block mark and the failure
// path of the thread checks.
#include "support/AudioThread.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "support/Log.h"
#include "support/platform/Platform.h"

namespace VFoundation {

namespace {
// 0 when no thread is registered; Platform::CurrentThreadId is never 0.
std::atomic<uint64_t> audioThreadId{0};
// How many AudioBlockScopes the calling thread is inside.
thread_local int tAudioBlockDepth = 0;
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

AudioBlockScope::AudioBlockScope() {
  ++tAudioBlockDepth;
}

AudioBlockScope::~AudioBlockScope() {
  --tAudioBlockDepth;
}

bool IsInAudioBlock() {
  return tAudioBlockDepth > 0;
}

void FailThreadCheck(const char* function, const char* problem) {
  // The log's writer thread may never get to the line before the abort: stderr gets it at once.
  Log("Thread check failed in %s: %s\n", function, problem);
  RuntimeLog::Flush();
  std::fprintf(stderr, "Thread check failed in %s: %s\n", function, problem);
  std::abort();
}

}  // namespace VFoundation
