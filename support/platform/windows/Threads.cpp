// Windows: plain system threads and events for background writers, which a DLL can end safely
// while the loader unloads it.
#include <windows.h>

#include <new>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {

// Owned by the starting side, so the thread itself never touches the heap.
struct Thread {
  HANDLE thread;
  void (*entry)(void*);
  void* argument;
};

DWORD WINAPI Run(LPVOID thread) {
  auto* self = static_cast<Thread*>(thread);
  self->entry(self->argument);
  return 0;
}

}  // namespace

ThreadHandle StartThread(void (*entry)(void*), void* argument) {
  auto* thread = new (std::nothrow) Thread{nullptr, entry, argument};
  if (!thread) return nullptr;
  thread->thread = CreateThread(nullptr, 0, Run, thread, 0, nullptr);
  if (!thread->thread) {
    delete thread;
    return nullptr;
  }
  return thread;
}

void JoinThread(ThreadHandle thread) {
  if (!thread) return;
  WaitForSingleObject(static_cast<Thread*>(thread)->thread, INFINITE);
  CloseHandle(static_cast<Thread*>(thread)->thread);
  delete static_cast<Thread*>(thread);
}

// Inside DllMain a new thread cannot start (its start-up waits for the loader lock) and a running
// one cannot end (its exit waits for it too), and once the DLL is unmapped no thread may run its
// code. The writer holds no process-wide lock, so ending it outright is safe; a terminated thread
// needs no loader lock.
void EndThreadNow(ThreadHandle thread) {
  if (!thread) return;
  TerminateThread(static_cast<Thread*>(thread)->thread, 0);
  WaitForSingleObject(static_cast<Thread*>(thread)->thread, 2000);
  CloseHandle(static_cast<Thread*>(thread)->thread);
  delete static_cast<Thread*>(thread);
}

EventHandle CreateWakeEvent() {
  return CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

void SignalWakeEvent(EventHandle event) {
  if (event) SetEvent(event);
}

void WaitWakeEvent(EventHandle event, int milliseconds) {
  if (event) {
    WaitForSingleObject(event, static_cast<DWORD>(milliseconds));
  } else {
    Sleep(static_cast<DWORD>(milliseconds));
  }
}

}  // namespace VFoundation::Platform
