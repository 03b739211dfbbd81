// The editor's calls to the host (begin edit, automate, end edit, size window). Hosts look at the
// calling thread, so a window that ticks on a thread of its own (Linux) queues them and the host's
// idle call delivers them on the host's thread; a host that stops sending idle calls for 250 ms
// gets them straight from the tick instead. A window that ticks on the host's thread (Windows)
// calls directly.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// kSizeWindow asks for the editor's size at the zoom whose percentage is the index.
enum class HostCallKind { kBeginEdit, kAutomate, kEndEdit, kSizeWindow };

struct HostCall {
  HostCallKind kind = HostCallKind::kAutomate;
  int32_t index = 0;
  float value = 0.0f;
  friend bool operator==(const HostCall&, const HostCall&) = default;
};

class HostCallQueue {
 public:
  // A host that has not called idle for this long is taken to have stopped.
  static constexpr double kIdleTimeoutSeconds = 0.25;

  using Deliver = std::function<void(const HostCall&)>;
  using Clock = std::function<double()>;

  // deliver makes the call to the host; clock answers seconds (the monotonic clock unless a test
  // gives its own). UI thread
  explicit HostCallQueue(Deliver deliver, Clock clock = {});

  // A window opened: whether its tick runs on the host's thread, and the host is given the full
  // 250 ms to show that it sends idle calls before the tick delivers by itself. any thread
  void Start(bool direct);
  void SetDirect(bool direct);
  // any thread
  bool Direct() const;

  // From the window's tick (GUI thread): delivered at once when direct or when the host's idle
  // calls have stopped, otherwise queued for the next idle call.
  void Call(const HostCall& call);
  // The host's idle call (host's thread): delivers everything queued, in order.
  void OnHostIdle();
  // The window's tick (GUI thread): delivers what waits when the host's idle calls have stopped.
  void OnTick();
  // Forgets what waits (the window closed). any thread
  void Clear();

  // Calls waiting for the host's thread. any thread
  size_t Pending() const;

 private:
  bool IdleStopped() const;
  // Takes the queue under the lock and delivers outside it, so the host may call back into us.
  void DeliverPending();

  Deliver deliver_;
  Clock clock_;
  mutable std::mutex mutex_;
  // Held while delivering, so that the tick and the idle call never interleave their calls.
  std::mutex deliverMutex_;
  std::vector<HostCall> pending_;
  bool direct_ = false;
  double lastIdleSeconds_ = -1.0;
};
