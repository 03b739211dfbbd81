// Reading typed text: the blanks it may hold, ASCII case (UTF-8 bytes pass through untouched),
// word replacement and the number a text starts with, in the C locale whatever the host has set.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace VFoundation {

// Blank, tab, line feed, carriage return, form feed and vertical tab. // any thread
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

inline char ToUpperAscii(char c) {  // any thread
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline char ToLowerAscii(char c) {  // any thread
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Without the blanks at either end and in lower case. // any thread (allocates)
std::string TrimmedLowerCase(std::string_view text);

// Replaces every occurrence of word in text (case-sensitive); an empty word changes nothing.
// // any thread (allocates)
void ReplaceAll(std::string& text, std::string_view word, std::string_view with);

// What a text starts with: blanks, an optional '+' and a number as std::from_chars reads it
// (decimal or exponent form, "inf", "infinity", "nan"), the rest ignored.
struct LeadingNumber {
  // The number; NaN for "nan". Beyond a double's range: +-infinity, or 0 when the exponent is
  // negative.
  double value = 0.0;
  // Characters through the end of the number, blanks and '+' included; 0 when there is none.
  size_t length = 0;
  bool outOfRange = false;
};
LeadingNumber ScanLeadingNumber(std::string_view text);  // any thread

// The typed-number rule of the plug-in's parameters and rates: the leading number, infinities
// included; empty when there is none, it is NaN or it lies beyond a double's range. // any thread
std::optional<double> ReadLeadingNumber(std::string_view text);

}  // namespace VFoundation
