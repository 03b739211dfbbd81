// Windows: dynamic libraries through LoadLibraryW.
#include <windows.h>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

void* OpenLibrary(const std::filesystem::path& path, std::string& error) {
  HMODULE module = LoadLibraryW(path.c_str());
  if (!module) {
    const DWORD code = GetLastError();
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    error = "LoadLibrary failed (error " + std::to_string(code) + ")";
    if (length > 0) error += ": " + std::string(text, length);
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
  }
  return module;
}

void* LibrarySymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void CloseLibrary(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}

}  // namespace VFoundation::Platform
