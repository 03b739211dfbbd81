// Linux: preferences as attributes of one XML file in the configuration folder.
#include <unistd.h>

#include <system_error>

#include "support/XmlDocument.h"
#include "support/platform/Platform.h"

namespace VFoundation::Platform {

namespace {
constexpr const char* kRootName = "Preferences";
}  // namespace

bool ReadPreference(const PreferenceLocation& location, const char* name, std::string& value) {
  XmlDocument document;
  return document.Load(location.file, kRootName) && document.Root().ReadString(name, value);
}

bool WritePreference(const PreferenceLocation& location, const char* name, std::string_view value) {
  XmlDocument document;
  // An unreadable file cannot be kept anyway; it is replaced by one holding this value.
  if (!document.Load(location.file, kRootName)) document.CreateNew(kRootName);
  XmlNode root = document.Root();
  root.WriteString(name, value);
  std::string stored;
  if (!root.ReadString(name, stored) || stored != value) return false;  // not an XML name
  // Written beside and renamed over the old file, so that a reader in another process (a second
  // host) never sees half a file.
  std::filesystem::path temporary = location.file;
  std::string suffix = std::to_string(getpid());
  suffix.append(".tmp");
  temporary += ".";
  temporary += suffix;
  std::error_code error;
  if (!document.Save(temporary)) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  std::filesystem::rename(temporary, location.file, error);
  if (error) std::filesystem::remove(temporary, error);
  return !error;
}

}  // namespace VFoundation::Platform
