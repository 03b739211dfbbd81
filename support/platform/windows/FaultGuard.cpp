// Windows: catches machine faults inside a guarded call, writes a minidump and resumes at the
// guard.
//
// A vectored handler sees the fault first on the faulting thread. When that thread is inside a
// guard, the handler writes the dump and redirects the thread's context to a small function that
// jumps back into the guard; the handler itself returns normally, so the system finishes its
// exception dispatch. Faults on threads outside a guard, and every other exception (C++ throws,
// breakpoints, stack growth), pass through untouched.
#include <windows.h>
#include <dbghelp.h>
#include <xmmintrin.h>

#include <atomic>
#include <cstdio>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {

// Repeated faults (the same broken state every block) must not fill the disk with dumps.
constexpr int kDefaultDumpBudget = 5;

struct GuardFrame {
  void* jumpBuffer[5];  // __builtin_setjmp's frame, stack and resume addresses
  GuardFrame* previous;
  unsigned int mxcsr;
  unsigned short x87ControlWord;
  GuardOutcome outcome;
  bool handlingFault;
};

DWORD tlsIndex = TLS_OUT_OF_INDEXES;
PVOID handler = nullptr;
std::atomic<int> dumpBudget{kDefaultDumpBudget};
wchar_t dumpFolder[MAX_PATH] = L"";
wchar_t productWord[64] = L"Tavo";
char lastDumpPath[MAX_PATH * 3] = "";

bool IsMachineFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
      return true;
    default:
      // Stack overflow is left alone: the handler would have no stack to write a dump with.
      return false;
  }
}

GuardFrame* CurrentFrame() {
  // TlsGetValue clears the last-error code, which the faulting code may still want.
  const DWORD lastError = GetLastError();
  auto* frame = static_cast<GuardFrame*>(TlsGetValue(tlsIndex));
  SetLastError(lastError);
  return frame;
}

bool WriteDump(EXCEPTION_POINTERS* info) {
  int budget = dumpBudget.load();
  do {
    if (budget <= 0) return false;
  } while (!dumpBudget.compare_exchange_weak(budget, budget - 1));
  wchar_t folder[MAX_PATH];
  if (dumpFolder[0]) {
    lstrcpynW(folder, dumpFolder, MAX_PATH);
  } else if (GetTempPathW(MAX_PATH, folder) == 0) {
    return false;
  }
  const int folderLength = lstrlenW(folder);
  const wchar_t* separator = folderLength > 0 && folder[folderLength - 1] == L'\\' ? L"" : L"\\";
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t path[MAX_PATH * 2];
  _snwprintf(path, MAX_PATH * 2, L"%ls%ls%ls-%04u%02u%02u-%02u%02u%02u-%lu-%lu.dmp", folder,
             separator, productWord, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond, GetCurrentProcessId(), GetCurrentThreadId());
  path[MAX_PATH * 2 - 1] = L'\0';
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION exception;
  exception.ThreadId = GetCurrentThreadId();
  exception.ExceptionPointers = info;
  exception.ClientPointers = FALSE;
  const BOOL written = MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file,
                                         MiniDumpNormal, &exception, nullptr, nullptr);
  CloseHandle(file);
  if (!written) {
    DeleteFileW(path);
    return false;
  }
  WideCharToMultiByte(CP_UTF8, 0, path, -1, lastDumpPath, sizeof lastDumpPath, nullptr, nullptr);
  return true;
}

[[noreturn]] __attribute__((noinline)) void ResumeAtGuard() {
  __builtin_longjmp(CurrentFrame()->jumpBuffer, 1);
}

LONG CALLBACK FaultHandler(EXCEPTION_POINTERS* info) {
  if (!IsMachineFault(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  GuardFrame* frame = CurrentFrame();
  if (!frame) return EXCEPTION_CONTINUE_SEARCH;
  // A second fault while the dump is written resumes without one.
  if (!frame->handlingFault) {
    frame->handlingFault = true;
    frame->outcome =
        WriteDump(info) ? GuardOutcome::kFaultWithDump : GuardOutcome::kFaultWithoutDump;
  }
  // Resume as if ResumeAtGuard had been called on the stack just below the guard: the body's
  // frames there are dead, and unlike the faulting stack pointer that stack is known to be sound.
  CONTEXT* context = info->ContextRecord;
  const DWORD64 stack = (reinterpret_cast<DWORD64>(frame) - 4096) & ~static_cast<DWORD64>(15);
  context->Rsp = stack - 8;  // where a call would have put its return address
  context->Rip = reinterpret_cast<DWORD64>(&ResumeAtGuard);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Installed with the module and removed before it is unloaded.
struct Installation {
  Installation() {
    tlsIndex = TlsAlloc();
    if (tlsIndex != TLS_OUT_OF_INDEXES) handler = AddVectoredExceptionHandler(1, FaultHandler);
  }
  ~Installation() {
    if (handler) RemoveVectoredExceptionHandler(handler);
    if (tlsIndex != TLS_OUT_OF_INDEXES) TlsFree(tlsIndex);
    handler = nullptr;
    tlsIndex = TLS_OUT_OF_INDEXES;
  }
} installation;

struct FrameScope {
  explicit FrameScope(GuardFrame& frame) : frame_(frame) { TlsSetValue(tlsIndex, &frame_); }
  ~FrameScope() { TlsSetValue(tlsIndex, frame_.previous); }
  GuardFrame& frame_;
};

__attribute__((noinline)) GuardOutcome CallWithResumePoint(GuardFrame& frame, void (*body)(void*),
                                                           void* context) {
  if (__builtin_setjmp(frame.jumpBuffer) != 0) {
    // Back from a fault: registers are gone, the frame is still this thread's current one.
    GuardFrame* resumed = CurrentFrame();
    _mm_setcsr(resumed->mxcsr);
    __asm__ __volatile__("fninit\n\tfldcw %0" : : "m"(resumed->x87ControlWord));
    return resumed->outcome;
  }
  body(context);
  return GuardOutcome::kCompleted;
}

}  // namespace

GuardOutcome RunGuarded(void (*body)(void*), void* context) {
  if (!handler) {
    body(context);
    return GuardOutcome::kCompleted;
  }
  GuardFrame frame;
  frame.previous = CurrentFrame();
  // The body may change the rounding and exception masks (the engine rounds down during a
  // block); after a fault they are put back as they were.
  frame.mxcsr = _mm_getcsr();
  __asm__ __volatile__("fnstcw %0" : "=m"(frame.x87ControlWord));
  frame.outcome = GuardOutcome::kCompleted;
  frame.handlingFault = false;
  FrameScope scope(frame);
  return CallWithResumePoint(frame, body, context);
}

void SetCrashDumpTarget(const std::filesystem::path& folder, const char* productName) {
  lstrcpynW(dumpFolder, folder.c_str(), MAX_PATH);
  if (productName && *productName) {
    MultiByteToWideChar(CP_UTF8, 0, productName, -1, productWord, 64);
    productWord[63] = L'\0';
  }
}

void SetCrashDumpBudget(int dumps) {
  dumpBudget.store(dumps > 0 ? dumps : 0);
}

const char* LastCrashDumpPath() {
  return lastDumpPath;
}

}  // namespace VFoundation::Platform
