// The run-time log: callers format into a lock-free ring, a background thread appends to the file.
#include "support/Log.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "support/Paths.h"
#include "support/StopWatch.h"
#include "support/platform/Platform.h"

namespace VFoundation {

namespace {

// 1024 lines of up to 511 bytes: a burst of several hundred lines (a preset load, a host probing
// every opcode) fits between two writer passes. Longer lines are cut.
constexpr size_t kSlotBytes = 512;
constexpr uint64_t kSlotCount = 1024;
constexpr int kIndentSpaces = 2;
constexpr int kMaxIndentLevels = 32;
// Older lines move to "runtime.old.log" when the log grows beyond this at start.
constexpr uintmax_t kMaxFileBytes = 4u << 20;
constexpr auto kWriterPeriod = std::chrono::milliseconds(20);
constexpr double kFlushTimeoutSeconds = 5.0;
constexpr double kUnloadWaitSeconds = 1.0;

// A bounded multi-producer ring with one sequence word per slot. The word holds the slot's
// sequence number minus the slot's index, so that the zero-initialised ring is empty and ready
// before any constructor runs (lines logged during library load are kept).
struct Slot {
  std::atomic<uint64_t> turn;
  uint32_t length = 0;
  char text[kSlotBytes] = {};
};

struct Ring {
  std::atomic<uint64_t> head;  // next position a producer claims
  std::atomic<uint64_t> tail;  // next position the consumer reads
  std::atomic<uint64_t> dropped;
  Slot slots[kSlotCount];
};

constinit Ring ring;
std::atomic<int> indentLevel{0};
std::atomic<bool> timingOn{false};
std::atomic<double> originSeconds{0.0};

uint64_t SlotIndex(uint64_t position) {
  return position % kSlotCount;
}

bool ClaimSlot(uint64_t& position) {
  position = ring.head.load(std::memory_order_relaxed);
  for (;;) {
    Slot& slot = ring.slots[SlotIndex(position)];
    const uint64_t sequence = slot.turn.load(std::memory_order_acquire) + SlotIndex(position);
    const int64_t lag = static_cast<int64_t>(sequence - position);
    if (lag == 0) {
      if (ring.head.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) {
        return true;
      }
    } else if (lag < 0) {
      return false;  // full: the writer has not freed this slot yet
    } else {
      position = ring.head.load(std::memory_order_relaxed);
    }
  }
}

void PublishSlot(uint64_t position) {
  ring.slots[SlotIndex(position)].turn.store(position + 1 - SlotIndex(position),
                                             std::memory_order_release);
}

// Single consumer: the writer thread, or the stopping thread once the writer is gone. Slots are
// released only after their text is in the file, so a writer ended in the middle of a pass
// (process exit, library unload) can at worst repeat a few lines, never lose them.
void DrainRing(Platform::FileHandle file) {
  char batch[16 * kSlotBytes];
  size_t used = 0;
  uint64_t released = ring.tail.load(std::memory_order_relaxed);
  uint64_t position = released;
  const auto send = [&] {
    if (used > 0 && file != Platform::kInvalidFile) Platform::AppendToFile(file, batch, used);
    used = 0;
    for (; released < position; ++released) {
      ring.slots[SlotIndex(released)].turn.store(released + kSlotCount - SlotIndex(released),
                                                 std::memory_order_release);
    }
    ring.tail.store(position, std::memory_order_release);
  };
  for (;;) {
    Slot& slot = ring.slots[SlotIndex(position)];
    const uint64_t sequence = slot.turn.load(std::memory_order_acquire) + SlotIndex(position);
    if (sequence != position + 1) break;
    if (used + slot.length > sizeof batch) send();
    std::memcpy(batch + used, slot.text, slot.length);
    used += slot.length;
    ++position;
  }
  send();
  const uint64_t dropped = ring.dropped.exchange(0, std::memory_order_relaxed);
  if (dropped > 0 && file != Platform::kInvalidFile) {
    char note[64];
    const int length = std::snprintf(note, sizeof note, "[ %llu log lines dropped ]\n",
                                     static_cast<unsigned long long>(dropped));
    if (length > 0) Platform::AppendToFile(file, note, static_cast<size_t>(length));
  }
}

// Writer-thread state; created on first Start and never destroyed, so that a writer still running
// at process exit never meets a destroyed object. The writer itself takes no lock: it reads the
// stop flag, drains the ring and sleeps on its wake event.
struct Control {
  std::mutex mutex;  // Start, Stop and Flush
  Platform::ThreadHandle writer = nullptr;
  Platform::EventHandle wake = nullptr;
  std::atomic<bool> stopRequested{false};
  std::atomic<bool> writerStarted{false};
  std::atomic<bool> writerFinished{false};
  int users = 0;
  Platform::FileHandle file = Platform::kInvalidFile;
  char path[1024] = {};
};

Control& TheControl() {
  // Static storage, never destroyed: the unload hook may still log after static destruction has
  // begun, and repeated loads of the library must not leave heap blocks behind.
  alignas(Control) static unsigned char storage[sizeof(Control)];
  static Control* control = [] {
    auto* made = new (storage) Control;
    made->wake = Platform::CreateWakeEvent();
    return made;
  }();
  return *control;
}

void WriterLoop(void* argument) {
  Control& control = *static_cast<Control*>(argument);
  control.writerStarted.store(true, std::memory_order_release);
  for (;;) {
    const bool stopping = control.stopRequested.load(std::memory_order_acquire);
    DrainRing(control.file);
    if (stopping) break;
    Platform::WaitWakeEvent(control.wake, static_cast<int>(kWriterPeriod.count()));
  }
  control.writerFinished.store(true, std::memory_order_release);
}

std::filesystem::path OpenLogFile(Control& control) {
  std::error_code error;
  const std::filesystem::path folder = VApplication::Paths::GetApplicationDataPath();
  std::filesystem::create_directories(folder, error);
  const std::filesystem::path path = folder / "runtime.log";
  if (std::filesystem::file_size(path, error) > kMaxFileBytes && !error) {
    std::filesystem::rename(path, folder / "runtime.old.log", error);
  }
  control.file = Platform::OpenAppendFile(path);
  return path;
}

void EndWriter(Control& control) {
  if (!control.writer) return;
  if (Platform::OtherThreadsAreGone()) {
    // The process exit already ended the writer.
    control.writer = nullptr;
    return;
  }
  control.stopRequested.store(true, std::memory_order_release);
  Platform::SignalWakeEvent(control.wake);
  if (Platform::JoinWouldDeadlock()) {
    // Unloading under the loader lock: a writer that never got to start stays blocked, and one
    // that finishes cannot end its thread. Its last pass is awaited when it ran at all; then it
    // is ended where it stands.
    const double deadline = NowSeconds() + kUnloadWaitSeconds;
    while (control.writerStarted.load(std::memory_order_acquire) &&
           !control.writerFinished.load(std::memory_order_acquire) && NowSeconds() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Platform::EndThreadNow(control.writer);
  } else {
    Platform::JoinThread(control.writer);
  }
  control.writer = nullptr;
}

void ShutDown(Control& control);

}  // namespace

void LogV(const char* format, va_list args) {
  uint64_t position;
  if (!ClaimSlot(position)) {
    ring.dropped.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  Slot& slot = ring.slots[SlotIndex(position)];
  size_t used = 0;
  if (timingOn.load(std::memory_order_relaxed)) {
    const double seconds = NowSeconds() - originSeconds.load(std::memory_order_relaxed);
    const int written = std::snprintf(slot.text, kSlotBytes, "%5.4lf ", seconds);
    if (written > 0 && static_cast<size_t>(written) < kSlotBytes / 2) {
      used = static_cast<size_t>(written);
    }
  }
  int levels = indentLevel.load(std::memory_order_relaxed);
  levels = levels < 0 ? 0 : (levels > kMaxIndentLevels ? kMaxIndentLevels : levels);
  std::memset(slot.text + used, ' ', static_cast<size_t>(levels * kIndentSpaces));
  used += static_cast<size_t>(levels * kIndentSpaces);
  const int written =
      std::vsnprintf(slot.text + used, kSlotBytes - used, format ? format : "", args);
  if (written < 0) {
    used += static_cast<size_t>(
        std::snprintf(slot.text + used, kSlotBytes - used, "%s\n", "(unprintable log line)"));
  } else if (used + static_cast<size_t>(written) >= kSlotBytes) {
    // Cut lines still end the line, so the next one starts on its own.
    used = kSlotBytes - 1;
    slot.text[used - 1] = '\n';
  } else {
    used += static_cast<size_t>(written);
  }
  slot.length = static_cast<uint32_t>(used);
  PublishSlot(position);
}

void Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogV(format, args);
  va_end(args);
}

void LogAlert(const char* text) {
  const char* shown = text ? text : "";
  const size_t length = std::strlen(shown);
  Log(length > 0 && shown[length - 1] == '\n' ? "ALERT: %s" : "ALERT: %s\n", shown);
}

void RuntimeLog::Start() {
  Control& control = TheControl();
  std::lock_guard<std::mutex> guard(control.mutex);
  if (control.users++ > 0) return;
  try {
    if (originSeconds.load(std::memory_order_relaxed) == 0.0) {
      originSeconds.store(NowSeconds(), std::memory_order_relaxed);
    }
    const std::string path = VApplication::Paths::ToUtf8(OpenLogFile(control));
    std::snprintf(control.path, sizeof control.path, "%s", path.c_str());
    control.stopRequested.store(false, std::memory_order_relaxed);
    control.writerStarted.store(false, std::memory_order_relaxed);
    control.writerFinished.store(false, std::memory_order_relaxed);
    control.writer = Platform::StartThread(WriterLoop, &control);
  } catch (...) {
    // Without a writer the log drops lines once the ring is full; the caller carries on.
    if (control.file != Platform::kInvalidFile) Platform::CloseAppendFile(control.file);
    control.file = Platform::kInvalidFile;
    control.users = 0;
  }
}

void RuntimeLog::Stop() {
  Control& control = TheControl();
  std::lock_guard<std::mutex> lock(control.mutex);
  if (control.users == 0 || --control.users > 0) return;
  ShutDown(control);
}

void RuntimeLog::StopForUnload() {
  Control& control = TheControl();
  std::lock_guard<std::mutex> lock(control.mutex);
  if (control.users == 0) return;
  control.users = 0;
  ShutDown(control);
}

namespace {

void ShutDown(Control& control) {
  EndWriter(control);
  // Lines published after the writer's last pass.
  DrainRing(control.file);
  if (control.file != Platform::kInvalidFile) Platform::CloseAppendFile(control.file);
  control.file = Platform::kInvalidFile;
}

}  // namespace

void RuntimeLog::Flush() {
  Control& control = TheControl();
  const uint64_t target = ring.head.load(std::memory_order_acquire);
  std::lock_guard<std::mutex> lock(control.mutex);
  if (!control.writer) return;
  // A writer created just before an unload cannot start while the loader lock is held.
  if (Platform::JoinWouldDeadlock() && !control.writerStarted.load(std::memory_order_acquire)) {
    return;
  }
  Platform::SignalWakeEvent(control.wake);
  // Lines claimed before the call may still be being formatted; the writer's next passes take them.
  const double deadline = NowSeconds() + kFlushTimeoutSeconds;
  while (ring.tail.load(std::memory_order_acquire) < target && NowSeconds() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Platform::SignalWakeEvent(control.wake);
  }
}

void RuntimeLog::SetTiming(bool on) {
  timingOn.store(on, std::memory_order_relaxed);
}

const char* RuntimeLog::FilePath() {
  return TheControl().path;
}

LogContext::LogContext(const char* name) : name_(name ? name : ""), startSeconds_(NowSeconds()) {
  Log("[ %s - START ]\n", name_);
  indentLevel.fetch_add(1, std::memory_order_relaxed);
}

LogContext::~LogContext() {
  indentLevel.fetch_sub(1, std::memory_order_relaxed);
  Log("[ %s - END ] %5.4lf\n", name_, NowSeconds() - startSeconds_);
}

}  // namespace VFoundation
