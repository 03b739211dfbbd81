// Lets set-up calls on a host's other threads own the audio engine between two blocks, without the
// audio thread ever waiting: a block that finds a set-up call waiting or holding the engine is not
// run (the caller outputs silence instead).
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

namespace VFoundation {

class AudioBlockGate {
 public:
  // audio thread: true when the block may run; EndBlock() must follow it. Never waits.
  bool TryBeginBlock() {
    if (holders_.load(std::memory_order_seq_cst) > 0) return false;
    blockRunning_.store(true, std::memory_order_seq_cst);
    // Dekker-style: the holder raises its count and then looks at the flag, the block raises the
    // flag and then looks at the count, so at least one of the two sees the other.
    if (holders_.load(std::memory_order_seq_cst) > 0) {
      blockRunning_.store(false, std::memory_order_release);
      return false;
    }
    return true;
  }
  // audio thread
  void EndBlock() { blockRunning_.store(false, std::memory_order_release); }

  // any thread but the audio thread: waits for a running block to end (at most one block) and keeps
  // new ones out until Release(). Holders on several threads take turns.
  void Acquire() {
    holderMutex_.lock();
    holders_.fetch_add(1, std::memory_order_seq_cst);
    while (blockRunning_.load(std::memory_order_seq_cst)) std::this_thread::yield();
  }
  // any thread but the audio thread: like Acquire(), but gives up at once while a block runs or
  // another holder has the engine.
  bool TryAcquire() {
    if (!holderMutex_.try_lock()) return false;
    holders_.fetch_add(1, std::memory_order_seq_cst);
    if (!blockRunning_.load(std::memory_order_seq_cst)) return true;
    holders_.fetch_sub(1, std::memory_order_release);
    holderMutex_.unlock();
    return false;
  }
  void Release() {
    holders_.fetch_sub(1, std::memory_order_release);
    holderMutex_.unlock();
  }

 private:
  std::atomic<int> holders_{0};
  std::atomic<bool> blockRunning_{false};
  std::mutex holderMutex_;
};

// Holds the gate for a scope (set-up calls).
class AudioBlockGateHold {
 public:
  explicit AudioBlockGateHold(AudioBlockGate& gate) : gate_(gate) { gate_.Acquire(); }
  ~AudioBlockGateHold() { gate_.Release(); }
  AudioBlockGateHold(const AudioBlockGateHold&) = delete;
  AudioBlockGateHold& operator=(const AudioBlockGateHold&) = delete;

 private:
  AudioBlockGate& gate_;
};

}  // namespace VFoundation
