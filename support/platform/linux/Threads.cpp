// Linux: plain POSIX threads for background writers.
#include <pthread.h>
#include <unistd.h>

#include <new>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {

struct Start {
  void (*entry)(void*);
  void* argument;
};

void* Run(void* start) {
  const Start copy = *static_cast<Start*>(start);
  delete static_cast<Start*>(start);
  copy.entry(copy.argument);
  return nullptr;
}

}  // namespace

ThreadHandle StartThread(void (*entry)(void*), void* argument) {
  auto* start = new (std::nothrow) Start{entry, argument};
  auto* thread = new (std::nothrow) pthread_t;
  if (!start || !thread || pthread_create(thread, nullptr, Run, start) != 0) {
    delete start;
    delete thread;
    return nullptr;
  }
  return thread;
}

void JoinThread(ThreadHandle thread) {
  if (!thread) return;
  pthread_join(*static_cast<pthread_t*>(thread), nullptr);
  delete static_cast<pthread_t*>(thread);
}

void ParkForever() {
  for (;;) pause();  // a cancellation point
}

void EndParkedThread(ThreadHandle thread) {
  if (!thread) return;
  pthread_cancel(*static_cast<pthread_t*>(thread));
  JoinThread(thread);
}

}  // namespace VFoundation::Platform
