// The run-time log: callers format into a lock-free ring, a background thread appends to the file.
#include "support/Log.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
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
constexpr auto kFlushTimeout = std::chrono::seconds(5);

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

// Single consumer: the writer thread, or the stopping thread once the writer is gone.
template <typename Sink>
void DrainRing(Sink&& sink) {
  uint64_t position = ring.tail.load(std::memory_order_relaxed);
  for (;;) {
    Slot& slot = ring.slots[SlotIndex(position)];
    const uint64_t sequence = slot.turn.load(std::memory_order_acquire) + SlotIndex(position);
    if (sequence != position + 1) break;
    sink(slot.text, slot.length);
    slot.turn.store(position + kSlotCount - SlotIndex(position), std::memory_order_release);
    ++position;
    ring.tail.store(position, std::memory_order_release);
  }
  const uint64_t dropped = ring.dropped.exchange(0, std::memory_order_relaxed);
  if (dropped > 0) {
    char note[64];
    const int length = std::snprintf(note, sizeof note, "[ %llu log lines dropped ]\n",
                                     static_cast<unsigned long long>(dropped));
    sink(note, static_cast<size_t>(length));
  }
}

// Collects lines so that a pass makes few writes; a line never straddles two writes.
class BatchWriter {
 public:
  explicit BatchWriter(Platform::FileHandle file) : file_(file) {}
  ~BatchWriter() { Send(); }
  void operator()(const char* text, size_t length) {
    if (used_ + length > sizeof buffer_) Send();
    std::memcpy(buffer_ + used_, text, length);
    used_ += length;
  }

 private:
  void Send() {
    if (used_ > 0 && file_ != Platform::kInvalidFile) Platform::AppendToFile(file_, buffer_, used_);
    used_ = 0;
  }
  Platform::FileHandle file_;
  size_t used_ = 0;
  char buffer_[16 * kSlotBytes];
};

// Writer-thread state; created on first Start and never destroyed, so that a writer still running
// at process exit never meets a destroyed object.
struct Control {
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable progress;
  Platform::ThreadHandle writer = nullptr;
  bool stopRequested = false;
  bool wakeRequested = false;
  bool writerFinished = false;
  // Set when the library unloads under the loader lock: the writer must then not return through
  // this module's code, and waits to be ended instead.
  bool parkWhenFinished = false;
  std::atomic<bool> writerParked{false};
  int users = 0;
  Platform::FileHandle file = Platform::kInvalidFile;
  char path[1024] = {};
};

Control& TheControl() {
  static Control* control = new Control;
  return *control;
}

void WriterLoop(void* argument) {
  Control& control = *static_cast<Control*>(argument);
  std::unique_lock<std::mutex> lock(control.mutex);
  for (;;) {
    lock.unlock();
    {
      BatchWriter batch(control.file);
      DrainRing(batch);
    }
    lock.lock();
    control.progress.notify_all();
    if (control.stopRequested) break;
    control.wake.wait_for(lock, kWriterPeriod,
                          [&] { return control.stopRequested || control.wakeRequested; });
    control.wakeRequested = false;
  }
  control.writerFinished = true;
  const bool park = control.parkWhenFinished;
  control.progress.notify_all();
  lock.unlock();
  if (park) {
    control.writerParked.store(true);
    Platform::ParkForever();
  }
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

void EndWriter(Control& control, std::unique_lock<std::mutex>& lock) {
  if (!control.writer) return;
  if (Platform::OtherThreadsAreGone()) {
    // The process exit already ended the writer.
    control.writer = nullptr;
    return;
  }
  control.parkWhenFinished = Platform::JoinWouldDeadlock();
  control.stopRequested = true;
  control.wake.notify_one();
  const Platform::ThreadHandle writer = control.writer;
  if (control.parkWhenFinished) {
    control.progress.wait_for(lock, kFlushTimeout, [&] { return control.writerFinished; });
    lock.unlock();
    // The few steps from the notification to the parking place hold no lock.
    for (int i = 0; i < 5000 && !control.writerParked.load(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Platform::EndParkedThread(writer);
    lock.lock();
  } else {
    lock.unlock();
    Platform::JoinThread(writer);
    lock.lock();
  }
  control.writer = nullptr;
  control.progress.notify_all();
}

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
    control.stopRequested = false;
    control.wakeRequested = false;
    control.writerFinished = false;
    control.parkWhenFinished = false;
    control.writerParked.store(false);
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
  std::unique_lock<std::mutex> lock(control.mutex);
  if (control.users == 0 || --control.users > 0) return;
  EndWriter(control, lock);
  // Lines published after the writer's last pass.
  {
    BatchWriter batch(control.file);
    DrainRing(batch);
  }
  if (control.file != Platform::kInvalidFile) Platform::CloseAppendFile(control.file);
  control.file = Platform::kInvalidFile;
}

void RuntimeLog::Flush() {
  Control& control = TheControl();
  const uint64_t target = ring.head.load(std::memory_order_acquire);
  std::unique_lock<std::mutex> lock(control.mutex);
  if (!control.writer) return;
  control.wakeRequested = true;
  control.wake.notify_one();
  control.progress.wait_for(lock, kFlushTimeout, [&] {
    return ring.tail.load(std::memory_order_acquire) >= target || !control.writer;
  });
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
