// Windows: preferences as REG_SZ values under HKEY_CURRENT_USER\<product key>.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/platform/Platform.h"
#include "support/platform/windows/Text.h"

namespace VFoundation::Platform {

bool ReadPreference(const PreferenceLocation& location, const char* name, std::string& value) {
  const std::wstring key = WideFromUtf8(location.registryKey);
  const std::wstring valueName = WideFromUtf8(name);
  DWORD type = 0;
  DWORD bytes = 0;
  constexpr DWORD kTypes = RRF_RT_REG_SZ | RRF_RT_REG_DWORD;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName.c_str(), kTypes, &type, nullptr,
                   &bytes) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 2, L'\0');
  bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName.c_str(), kTypes, &type, data.data(),
                   &bytes) != ERROR_SUCCESS) {
    return false;
  }
  if (type == REG_DWORD) {
    // Installers often write numbers as DWORDs; they read as the "%d" text.
    DWORD number = 0;
    std::memcpy(&number, data.data(), sizeof number);
    value = std::to_string(static_cast<int32_t>(number));
  } else {
    value = Utf8FromWide(std::wstring(data.data()));
  }
  return true;
}

bool WritePreference(const PreferenceLocation& location, const char* name, std::string_view value) {
  const std::wstring key = WideFromUtf8(location.registryKey);
  const std::wstring valueName = WideFromUtf8(name);
  const std::wstring text = WideFromUtf8(value);
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueExW(handle, valueName.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

}  // namespace VFoundation::Platform
