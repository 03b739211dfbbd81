// UTF-8 character boundaries.
#include "support/gui/controls/Utf8.h"

#include <algorithm>

namespace VGui::Utf8 {
namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0u) == 0x80u;
}

// The length a lead byte announces; 1 for a stray byte.
size_t AnnouncedLength(unsigned char lead) {
  if (lead >= 0xF0u && lead <= 0xF4u) return 4;
  if (lead >= 0xE0u) return lead <= 0xEFu ? 3 : 1;
  if (lead >= 0xC2u) return 2;
  return 1;
}

}  // namespace

size_t NextBoundary(std::string_view text, size_t position) {
  if (position >= text.size()) return text.size();
  const size_t length = AnnouncedLength(static_cast<unsigned char>(text[position]));
  size_t end = position + 1;
  while (end < position + length && end < text.size() &&
         IsContinuation(static_cast<unsigned char>(text[end]))) {
    ++end;
  }
  // A truncated sequence is taken one byte at a time.
  return end == position + length ? end : position + 1;
}

size_t PreviousBoundary(std::string_view text, size_t position) {
  position = std::min(position, text.size());
  if (position == 0) return 0;
  // Walk back over at most three continuation bytes to a lead whose sequence ends here.
  for (size_t back = 1; back <= 4 && back <= position; ++back) {
    const size_t start = position - back;
    if (!IsContinuation(static_cast<unsigned char>(text[start])) || back == 4) {
      if (NextBoundary(text, start) == position) return start;
      break;
    }
  }
  return position - 1;
}

std::vector<size_t> CharacterEnds(std::string_view text) {
  std::vector<size_t> ends;
  for (size_t position = 0; position < text.size();) {
    position = NextBoundary(text, position);
    ends.push_back(position);
  }
  return ends;
}

}  // namespace VGui::Utf8
