// Linux: plain POSIX threads and wake-up events for background writers.
#include <pthread.h>

#include <atomic>
#include <time.h>

#include <new>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {

struct Thread {
  pthread_t thread;
  void (*entry)(void*);
  void* argument;
};

void* Run(void* thread) {
  auto* self = static_cast<Thread*>(thread);
  self->entry(self->argument);
  return nullptr;
}

struct Event {
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t condition;
  bool signalled = false;
};

}  // namespace

ThreadHandle StartThread(void (*entry)(void*), void* argument) {
  auto* thread = new (std::nothrow) Thread{pthread_t{}, entry, argument};
  if (thread && pthread_create(&thread->thread, nullptr, Run, thread) != 0) {
    delete thread;
    thread = nullptr;
  }
  return thread;
}

void JoinThread(ThreadHandle thread) {
  if (!thread) return;
  pthread_join(static_cast<Thread*>(thread)->thread, nullptr);
  delete static_cast<Thread*>(thread);
}

void EndThreadNow(ThreadHandle thread) {
  if (!thread) return;
  pthread_cancel(static_cast<Thread*>(thread)->thread);
  JoinThread(thread);
}

// The few wake events a process needs live in static storage: the log's event outlives every
// instance and must not stay behind on the heap each time the library is unloaded.
Event* NewEvent() {
  constexpr int kPoolSize = 8;
  alignas(Event) static unsigned char pool[kPoolSize][sizeof(Event)];
  static std::atomic<int> used{0};
  const int slot = used.fetch_add(1);
  if (slot < kPoolSize) return new (pool[slot]) Event;
  return new (std::nothrow) Event;
}

EventHandle CreateWakeEvent() {
  Event* event = NewEvent();
  if (!event) return nullptr;
  pthread_condattr_t attributes;
  pthread_condattr_init(&attributes);
  pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
  pthread_cond_init(&event->condition, &attributes);
  pthread_condattr_destroy(&attributes);
  return event;
}

void SignalWakeEvent(EventHandle handle) {
  auto* event = static_cast<Event*>(handle);
  if (!event) return;
  pthread_mutex_lock(&event->mutex);
  event->signalled = true;
  pthread_cond_signal(&event->condition);
  pthread_mutex_unlock(&event->mutex);
}

void WaitWakeEvent(EventHandle handle, int milliseconds) {
  auto* event = static_cast<Event*>(handle);
  if (!event) {
    const timespec pause{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
    return;
  }
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += milliseconds / 1000;
  deadline.tv_nsec += (milliseconds % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  pthread_mutex_lock(&event->mutex);
  while (!event->signalled) {
    if (pthread_cond_timedwait(&event->condition, &event->mutex, &deadline) != 0) break;
  }
  event->signalled = false;
  pthread_mutex_unlock(&event->mutex);
}

}  // namespace VFoundation::Platform
