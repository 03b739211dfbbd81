// Private seam between the portable foundation code in support/ and its one implementation per OS
// (support/platform/linux, support/platform/windows). Nothing outside support/ includes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace VFoundation::Platform {

// --- Clock and threads ------------------------------------------------------------------------
// A monotonic counter (nanoseconds on Linux, the performance counter on Windows) and its rate.
// Any thread; no allocation, no lock.
uint64_t CounterTicks();
uint64_t CounterTicksPerSecond();
// The calling thread's identity, never 0. Any thread; no allocation.
uint64_t CurrentThreadId();

// --- Environment and folders ------------------------------------------------------------------
// The variable's value as a path, when it is set and not empty.
std::optional<std::filesystem::path> EnvironmentPath(const char* name);

enum class UserFolder {
  kDocuments,        // Windows: the Documents folder; Linux: the XDG documents folder
  kApplicationData,  // Windows: roaming Application Data; Linux: the XDG configuration folder
};
// The OS folder itself (without the product's sub-folders); empty when it cannot be found.
std::filesystem::path UserFolderPath(UserFolder folder);
// Where the product is installed when no "InstallPath" preference says otherwise.
// productFolder is the product's relative folder ("Quorvanta/Tavo").
std::filesystem::path DefaultInstallPath(const std::filesystem::path& productFolder);

// --- Append-only files (the run-time log) -----------------------------------------------------
// OS handles rather than C streams: a stream lock held by a thread that the process exit kills
// would hang the C runtime's final flush.
using FileHandle = intptr_t;
inline constexpr FileHandle kInvalidFile = -1;
FileHandle OpenAppendFile(const std::filesystem::path& path);
// Appends the bytes in one write, so that lines from several modules do not interleave.
bool AppendToFile(FileHandle file, const char* data, size_t size);
void CloseAppendFile(FileHandle file);

// --- Background threads -----------------------------------------------------------------------
// Plain OS threads and wake-up events for the log writer. The writer touches nothing but these,
// atomics and its file, so it never holds a process-wide lock (heap, C streams, loader).
using ThreadHandle = void*;
// Starts entry(argument) on a new OS thread; null on failure.
ThreadHandle StartThread(void (*entry)(void*), void* argument);
// Waits for the thread to end and releases it.
void JoinThread(ThreadHandle thread);
// Ends the thread at once and releases it. For the unload under the loader lock only, where the
// thread can neither start nor finish by itself.
void EndThreadNow(ThreadHandle thread);

using EventHandle = void*;
EventHandle CreateWakeEvent();
// Wakes one present or future wait.
void SignalWakeEvent(EventHandle event);
void WaitWakeEvent(EventHandle event, int milliseconds);

// --- Module and unload state ------------------------------------------------------------------
// Recorded by the OS load hook (the DLL's instance handle); null on Linux and in test programs.
void RecordModuleHandle(void* handle);

enum class UnloadState { kNone, kLibraryUnload, kProcessExit };
// Set by the OS unload hook for the duration of the library's unload callback.
void SetUnloadState(UnloadState state);
UnloadState CurrentUnloadState();
// Windows: inside DllMain the loader lock is held, so a thread that ends cannot finish (a join
// would deadlock), and at process exit every other thread is already gone.
bool JoinWouldDeadlock();
bool OtherThreadsAreGone();

// --- Preferences ------------------------------------------------------------------------------
// Where the product's preferences live: Windows reads registryKey below HKEY_CURRENT_USER, Linux
// reads the XML file.
struct PreferenceLocation {
  std::string registryKey;  // UTF-8, backslash-separated
  std::filesystem::path file;
};
// Reads the value as text; false when it is missing or unreadable.
bool ReadPreference(const PreferenceLocation& location, const char* name, std::string& value);
// Stores the value as text, creating the key or file and its folders; false on failure.
bool WritePreference(const PreferenceLocation& location, const char* name, std::string_view value);
// With TAVO_USER_ROOT set, preferences live below this key ("Software\Quorvanta\Tavo-Test\" and
// the root's folder name), so that concurrent test processes never share or touch the real ones.
std::string TestPreferenceRoot(const std::filesystem::path& userRoot);

// --- Dynamic libraries ------------------------------------------------------------------------
// Answers the handle, or null with a description in error.
void* OpenLibrary(const std::filesystem::path& path, std::string& error);
void* LibrarySymbol(void* handle, const char* name);
void CloseLibrary(void* handle);

// --- Crash guard ------------------------------------------------------------------------------
enum class GuardOutcome { kCompleted, kFaultWithDump, kFaultWithoutDump };
// Runs body; on Windows a machine fault inside it writes a minidump into the dump folder and
// the call answers a fault outcome. No allocation on the normal path.
GuardOutcome RunGuarded(void (*body)(void*), void* context);
// Where dumps go and the product word that starts their file names. Set-up thread.
void SetCrashDumpTarget(const std::filesystem::path& folder, const char* productName);
// How many more dumps this process may write.
void SetCrashDumpBudget(int dumps);
// The file of the last dump written in this process (UTF-8), empty when none.
const char* LastCrashDumpPath();

}  // namespace VFoundation::Platform
