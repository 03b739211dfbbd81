// Block runners: a signal cut into host-like blocks, the controls applied before each one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace TestKit {

// Calls run(start, n, inverseN) for consecutive blocks of at most `block` samples covering
// [0, length); the last block may be shorter.
template <class Run>
void ForEachBlock(size_t length, size_t block, Run&& run) {
  for (size_t start = 0; start < length; start += block) {
    const auto n = static_cast<int32_t>(std::min(block, length - start));
    run(start, n, 1.0f / static_cast<float>(n));
  }
}

}  // namespace TestKit
