// Preferences under the product key: the registry on Windows, an XML file on Linux.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace VApplication {

// Values are stored as text: integers "%d", floats "%.16g", booleans "true"/"false". Reads answer
// the fallback when the value is missing or unreadable. UI thread or set-up; never the audio
// thread.
class Options {
 public:
  // "Software\Quorvanta\Tavo" for the plug-in; set once by the product initialisation.
  static void SetProductKey(std::string_view key);
  static std::string ProductKey();

  static double ReadFloat(const char* name, double fallback);
  static int32_t ReadInteger(const char* name, int32_t fallback);
  static std::string ReadString(const char* name, std::string_view fallback);
  // True for "true", "True", "yes", "Yes", "1" and the like; false for "false", "no", "0".
  static bool ReadBoolean(const char* name, bool fallback);

  static bool WriteFloat(const char* name, double value);
  static bool WriteInteger(const char* name, int32_t value);
  static bool WriteBoolean(const char* name, bool value);
  static bool WriteString(const char* name, std::string_view value);
};

}  // namespace VApplication
