// Host parameter changes waiting for the next block: setParameter writes, the audio thread takes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class PendingChanges {
 public:
  static constexpr int kSize = 62;

  // any thread. Out-of-range indices are ignored.
  void Mark(int32_t index, float value) {
    if (index < 0 || index >= kSize) return;
    values_[index].store(value, std::memory_order_relaxed);
    changed_[index].store(1, std::memory_order_release);
  }

  // audio thread: hands every marked (index, value) to apply, clearing the marks.
  template <typename Apply>
  void TakeAll(Apply&& apply) {
    for (int32_t index = 0; index < kSize; ++index) {
      if (changed_[index].load(std::memory_order_acquire) == 0) continue;
      changed_[index].store(0, std::memory_order_relaxed);
      apply(index, values_[index].load(std::memory_order_relaxed));
    }
  }

  void Clear() {
    for (int32_t index = 0; index < kSize; ++index) {
      changed_[index].store(0, std::memory_order_relaxed);
      values_[index].store(0.0f, std::memory_order_relaxed);
    }
  }

 private:
  std::array<std::atomic<uint8_t>, kSize> changed_{};
  std::array<std::atomic<float>, kSize> values_{};
};
