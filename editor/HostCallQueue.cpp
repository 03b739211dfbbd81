// The editor's host calls, queued for the host's thread or made at once.
#include "editor/HostCallQueue.h"

#include <utility>

#include "support/StopWatch.h"

HostCallQueue::HostCallQueue(Deliver deliver, Clock clock)
    : deliver_(std::move(deliver)),
      clock_(clock ? std::move(clock) : Clock([] { return VFoundation::NowSeconds(); })) {}

void HostCallQueue::Start(bool direct) {
  std::lock_guard lock(mutex_);
  direct_ = direct;
  lastIdleSeconds_ = clock_();
}

void HostCallQueue::SetDirect(bool direct) {
  std::lock_guard lock(mutex_);
  direct_ = direct;
}

bool HostCallQueue::Direct() const {
  std::lock_guard lock(mutex_);
  return direct_;
}

bool HostCallQueue::IdleStopped() const {
  // Never started: no window waits for idle calls.
  return lastIdleSeconds_ < 0.0 || clock_() - lastIdleSeconds_ > kIdleTimeoutSeconds;
}

void HostCallQueue::Call(const HostCall& call) {
  bool now = false;
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(call);
    now = direct_ || IdleStopped();
  }
  if (now) DeliverPending();
}

void HostCallQueue::OnHostIdle() {
  {
    std::lock_guard lock(mutex_);
    lastIdleSeconds_ = clock_();
  }
  DeliverPending();
}

void HostCallQueue::OnTick() {
  bool now = false;
  {
    std::lock_guard lock(mutex_);
    now = !pending_.empty() && (direct_ || IdleStopped());
  }
  if (now) DeliverPending();
}

void HostCallQueue::Clear() {
  std::lock_guard lock(mutex_);
  pending_.clear();
}

size_t HostCallQueue::Pending() const {
  std::lock_guard lock(mutex_);
  return pending_.size();
}

void HostCallQueue::DeliverPending() {
  std::lock_guard delivering(deliverMutex_);
  std::vector<HostCall> calls;
  {
    std::lock_guard lock(mutex_);
    calls.swap(pending_);
  }
  if (!deliver_) return;
  for (const HostCall& call : calls) deliver_(call);
}
