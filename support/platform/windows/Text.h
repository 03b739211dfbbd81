// Windows: UTF-8 and UTF-16 conversions for the Windows platform files.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace VFoundation::Platform {

inline std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
  }
  return wide;
}

inline std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
  }
  return narrow;
}

}  // namespace VFoundation::Platform
