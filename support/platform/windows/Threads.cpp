// Windows: plain system threads for background writers, which a DLL can end safely while the
// loader unloads it.
#include <windows.h>

#include <new>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {

struct Start {
  void (*entry)(void*);
  void* argument;
};

DWORD WINAPI Run(LPVOID start) {
  const Start copy = *static_cast<Start*>(start);
  delete static_cast<Start*>(start);
  copy.entry(copy.argument);
  return 0;
}

}  // namespace

ThreadHandle StartThread(void (*entry)(void*), void* argument) {
  auto* start = new (std::nothrow) Start{entry, argument};
  if (!start) return nullptr;
  const HANDLE thread = CreateThread(nullptr, 0, Run, start, 0, nullptr);
  if (!thread) delete start;
  return thread;
}

void JoinThread(ThreadHandle thread) {
  if (!thread) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

void ParkForever() {
  for (;;) SleepEx(INFINITE, FALSE);
}

// Inside DllMain a thread cannot end by itself (its exit waits for the loader lock), and once
// the DLL is unmapped it must not be running any of its code. A thread parked in the kernel holds
// no lock, so ending it is safe; a terminated thread needs no loader lock to finish.
void EndParkedThread(ThreadHandle thread) {
  if (!thread) return;
  TerminateThread(thread, 0);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
}

}  // namespace VFoundation::Platform
