// Text of a fixed capacity held inside its owner: binding paths and names, short host names.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace VFoundation {

// Copying or assigning it never allocates, so it may travel with audio-thread objects. Longer text
// is cut at N - 1 bytes, never inside a UTF-8 sequence. Any thread: only its holder touches it.
template <size_t N>
class FixedString {
 public:
  static constexpr size_t kCapacity = N - 1;

  FixedString() { text_[0] = '\0'; }
  FixedString(std::string_view text) { Set(text); }  // NOLINT: implicit like the texts it holds

  void Set(std::string_view text) {
    size_t length = text.size() < kCapacity ? text.size() : kCapacity;
    if (length < text.size()) {
      // Back off to the start of a UTF-8 sequence so that the cut text stays valid.
      while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    if (length > 0) std::memcpy(text_, text.data(), length);
    text_[length] = '\0';
  }
  void Clear() { text_[0] = '\0'; }

  const char* c_str() const { return text_; }
  std::string_view View() const { return std::string_view(text_); }
  size_t Length() const { return std::strlen(text_); }
  bool Empty() const { return text_[0] == '\0'; }

  bool operator==(const FixedString& other) const { return std::strcmp(text_, other.text_) == 0; }
  bool operator==(std::string_view other) const { return View() == other; }

 private:
  char text_[N];
};

}  // namespace VFoundation
