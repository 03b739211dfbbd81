// Character classes of typed text: the blanks that typed text drops and ASCII upper case (UTF-8
// bytes pass through untouched).
#pragma once

namespace VDSP {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

inline char ToUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace VDSP
