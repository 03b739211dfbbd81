// A string of fixed capacity held inside its owner: item names, port labels, the converters' work
// buffer. Never allocates, so converters can build text on any thread.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace VDSP {

// Holds at most Capacity - 1 characters and a terminator; text beyond that is cut.
template <int Capacity>
class FixedString {
 public:
  static_assert(Capacity > 1);
  static constexpr int kMaxLength = Capacity - 1;

  FixedString() = default;
  explicit FixedString(std::string_view text) { Set(text); }

  void Set(std::string_view text) {
    length_ = 0;
    chars_[0] = '\0';
    Append(text);
  }
  void Append(std::string_view text) {
    const int count = std::min(static_cast<int>(text.size()), kMaxLength - length_);
    if (count <= 0) return;
    std::memcpy(chars_ + length_, text.data(), static_cast<size_t>(count));
    length_ += count;
    chars_[length_] = '\0';
  }
  void Clear() { Set({}); }
  // Removes `count` characters from `at`; out-of-range parts are ignored.
  void Erase(int at, int count) {
    if (at < 0 || at >= length_ || count <= 0) return;
    count = std::min(count, length_ - at);
    std::memmove(chars_ + at, chars_ + at + count, static_cast<size_t>(length_ - at - count + 1));
    length_ -= count;
  }

  const char* CStr() const { return chars_; }
  std::string_view View() const { return {chars_, static_cast<size_t>(length_)}; }
  int Length() const { return length_; }
  bool Empty() const { return length_ == 0; }

 private:
  char chars_[Capacity] = {};
  int length_ = 0;
};

}  // namespace VDSP
