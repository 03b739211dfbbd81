// Registration of the host's audio thread, the mark of a thread inside an audio block, and the
// checks of the thread tags (`// audio thread`, `// UI thread`) in Debug and sanitizer builds.
#pragma once

namespace VFoundation {

// audio thread: called at the start of every block.
void RegisterAudioThread();
// any thread: suspend, resume, sample-rate and block-size changes clear the registration.
void ClearAudioThreadRegistration();
// any thread.
bool IsAudioThread();

// Marks the calling thread as running an audio block for the scope's life. The mark is the
// thread's own: a set-up call on another thread or another instance's block never clears it, and
// a host that makes set-up calls between blocks on the thread that processes (an offline bounce)
// is not taken for an audio thread there. Scopes nest. // audio thread
class AudioBlockScope {
 public:
  AudioBlockScope();
  ~AudioBlockScope();
  AudioBlockScope(const AudioBlockScope&) = delete;
  AudioBlockScope& operator=(const AudioBlockScope&) = delete;
};

// Whether the calling thread is inside an AudioBlockScope. // any thread
bool IsInAudioBlock();

// Logs and prints "Thread check failed in <function>: <problem>", then aborts. // any thread
[[noreturn]] void FailThreadCheck(const char* function, const char* problem);

// Fails the thread check of `function` unless the calling thread is inside an audio block exactly
// when `inside` says it should be. // any thread
inline void ExpectAudioBlock(const char* function, bool inside) {
  if (IsInAudioBlock() == inside) return;
  FailThreadCheck(function,
                  inside ? "called outside an audio block" : "called inside an audio block");
}

}  // namespace VFoundation

// TAVO_EXPECT_AUDIO_THREAD("Class::Function") at the entry of code that only an audio block may
// run; TAVO_EXPECT_NOT_AUDIO_THREAD("Class::Function") at the entry of set-up code that allocates,
// locks or touches files. Checked where TAVO_THREAD_CHECKS is defined (Debug and sanitizer builds)
// or NDEBUG is not; elsewhere they compile to nothing.
#if defined(TAVO_THREAD_CHECKS) || !defined(NDEBUG)
#define TAVO_THREAD_CHECKS_ON 1
#define TAVO_EXPECT_AUDIO_THREAD(function) ::VFoundation::ExpectAudioBlock(function, true)
#define TAVO_EXPECT_NOT_AUDIO_THREAD(function) ::VFoundation::ExpectAudioBlock(function, false)
#else
#define TAVO_THREAD_CHECKS_ON 0
#define TAVO_EXPECT_AUDIO_THREAD(function) static_cast<void>(0)
#define TAVO_EXPECT_NOT_AUDIO_THREAD(function) static_cast<void>(0)
#endif
