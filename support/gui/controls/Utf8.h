// Character boundaries in UTF-8 text, for the caret of a text field and for shortening labels.
// Bytes that do not form a valid sequence count as one character each, so a damaged text still
// edits. any thread
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace VGui::Utf8 {

// The byte offset just past each character, in order (the last is text.size()).
std::vector<size_t> CharacterEnds(std::string_view text);
// The start of the character before position (0 stays 0).
size_t PreviousBoundary(std::string_view text, size_t position);
// The end of the character at position (text.size() stays text.size()).
size_t NextBoundary(std::string_view text, size_t position);

}  // namespace VGui::Utf8
