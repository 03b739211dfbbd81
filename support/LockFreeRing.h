// Bounded lock-free ring of pointers that any number of threads may add to and take from at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace VFoundation {

// Each slot is either empty (nullptr) or holds one item. Two counters, free entries and used
// entries, admit an adder or a taker before it searches: an adder reserves a free entry, claims an
// empty slot from the write cursor by compare-and-swap, advances the cursor and publishes the entry
// in the used count; a taker mirrors that from the read cursor. With one producer and one consumer
// the order is strictly first in, first out; with several producers the order between them is
// whatever the race decides, but nothing is lost or taken twice. Items move by pointer only: the
// ring never owns, copies or frees what it holds. The slot exchanges carry the release/acquire
// pairing, so whatever a producer wrote into an item before adding it is visible to the thread that
// takes it.
template <typename T>
class LockFreeRing {
 public:
  // A search that has wrapped this often without finding its slot gives up (the counters said a
  // slot exists, so this only happens under extreme contention).
  static constexpr int32_t kMaxWraps = 100;

  // set-up: allocates every slot; capacity is at least 1.
  explicit LockFreeRing(int32_t capacity)
      : capacity_(capacity < 1 ? 1 : capacity),
        slots_(std::make_unique<std::atomic<T*>[]>(static_cast<size_t>(capacity_))),
        free_(capacity_) {
    for (int32_t i = 0; i < capacity_; ++i) slots_[i].store(nullptr, std::memory_order_relaxed);
  }

  LockFreeRing(const LockFreeRing&) = delete;
  LockFreeRing& operator=(const LockFreeRing&) = delete;

  // any thread: false (and the item untouched) when the ring is full or the item is null.
  bool Add(T* item) {
    if (item == nullptr || !Reserve(free_)) return false;
    int32_t start = writeCursor_.load(std::memory_order_relaxed);
    const int32_t slot = Find(start, [item](std::atomic<T*>& entry) {
      T* expected = nullptr;
      return entry.compare_exchange_strong(expected, item, std::memory_order_acq_rel,
                                           std::memory_order_relaxed);
    });
    if (slot < 0) {
      free_.fetch_add(1, std::memory_order_acq_rel);
      return false;
    }
    // Another adder may have moved the cursor already; then its position stands.
    writeCursor_.compare_exchange_strong(start, Next(slot), std::memory_order_relaxed);
    used_.fetch_add(1, std::memory_order_acq_rel);
    return true;
  }

  // any thread: the oldest item (in one producer's order), or nullptr when the ring is empty.
  T* Take() {
    if (!Reserve(used_)) return nullptr;
    int32_t start = readCursor_.load(std::memory_order_relaxed);
    T* item = nullptr;
    const int32_t slot = Find(start, [&item](std::atomic<T*>& entry) {
      item = entry.exchange(nullptr, std::memory_order_acq_rel);
      return item != nullptr;
    });
    if (slot < 0) {
      used_.fetch_add(1, std::memory_order_acq_rel);
      return nullptr;
    }
    readCursor_.compare_exchange_strong(start, Next(slot), std::memory_order_relaxed);
    free_.fetch_add(1, std::memory_order_acq_rel);
    return item;
  }

  // any thread.
  int32_t Capacity() const { return capacity_; }
  // any thread: items added and not yet taken (a snapshot while other threads work).
  int32_t Count() const { return used_.load(std::memory_order_acquire); }
  bool Empty() const { return Count() <= 0; }
  bool Full() const { return free_.load(std::memory_order_acquire) <= 0; }

 private:
  // Takes one entry from a counter; false, with the counter untouched, when it is zero.
  static bool Reserve(std::atomic<int32_t>& counter) {
    int32_t available = counter.load(std::memory_order_acquire);
    do {
      if (available <= 0) return false;
    } while (!counter.compare_exchange_weak(available, available - 1, std::memory_order_acq_rel,
                                            std::memory_order_acquire));
    return true;
  }

  int32_t Next(int32_t slot) const { return slot + 1 == capacity_ ? 0 : slot + 1; }

  // Visits the slots from start onwards, wrapping at the end, until claim succeeds; -1 after
  // kMaxWraps wraps.
  template <typename Claim>
  int32_t Find(int32_t start, Claim&& claim) {
    int32_t slot = start;
    int32_t wraps = 0;
    for (;;) {
      if (claim(slots_[slot])) return slot;
      slot = Next(slot);
      if (slot == 0 && ++wraps > kMaxWraps) return -1;
    }
  }

  const int32_t capacity_;
  std::unique_ptr<std::atomic<T*>[]> slots_;
  std::atomic<int32_t> free_;
  std::atomic<int32_t> used_{0};
  std::atomic<int32_t> writeCursor_{0};
  std::atomic<int32_t> readCursor_{0};
};

}  // namespace VFoundation
