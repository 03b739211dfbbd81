// The process-wide run-time log "runtime.log", written by a background thread.
#pragma once

#include <cstdarg>

namespace VFoundation {

// Printf-style lines ending in "\n". The line is indented by the number of open log contexts and,
// when timing is on, prefixed with the log stop-watch reading "%5.4lf ". Formatting happens on the
// calling thread into a fixed-size slot of a lock-free ring; the writer thread appends the slots to
// the file. Never blocks or allocates, so it is safe on the audio thread (a full ring drops lines).
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogV(const char* format, va_list args);

// Logs "ALERT: %s" for alert boxes (the box itself belongs to the editor).
void LogAlert(const char* text);

class RuntimeLog {
 public:
  // Starts the writer thread; the file is <application data>/runtime.log. Idempotent, any thread.
  static void Start();
  // Flushes every queued line and stops the writer thread. Any thread but the audio thread.
  static void Stop();
  // Stops the writer whatever the count of Start calls: the library's unload hook calls it after
  // the plug-in's own unload code, so that no thread outlives the code it runs.
  static void StopForUnload();
  // Blocks until every line logged so far is in the file (tests, shutdown).
  static void Flush();
  static void SetTiming(bool on);
  // Where the log is written; empty before Start.
  static const char* FilePath();
};

// Logs "[ %s - START ]\n" on construction and "[ %s - END ] %5.4lf\n" with the elapsed seconds on
// destruction; lines logged in between are indented one step deeper.
class LogContext {
 public:
  explicit LogContext(const char* name);
  ~LogContext();
  LogContext(const LogContext&) = delete;
  LogContext& operator=(const LogContext&) = delete;

 private:
  const char* name_;
  double startSeconds_;
};

}  // namespace VFoundation
