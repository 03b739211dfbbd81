// Preferences as text values under the product key, kept by the platform's preference store.
#include "support/Options.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>

#include "support/Paths.h"
#include "support/ValueText.h"
#include "support/platform/Platform.h"

namespace VApplication {

namespace {

namespace Platform = VFoundation::Platform;

// Never destroyed, and kept in static storage rather than on the heap: preferences may still be
// read from a library's unload hook after static destruction has begun, and a host that loads and
// unloads the library many times must not lose memory each time.
template <typename T>
T& Immortal() {
  alignas(T) static unsigned char storage[sizeof(T)];
  static T* object = new (storage) T();
  return *object;
}

std::mutex& KeyMutex() {
  return Immortal<std::mutex>();
}

struct ProductKeyText {
  char text[256] = "Software\\Quorvanta\\Tavo";
};

ProductKeyText& KeyStorage() {
  return Immortal<ProductKeyText>();
}

// One store access at a time, also across the read-modify-write of the Linux preference file.
struct StoreMutexHolder {
  std::mutex mutex;
};

std::mutex& StoreMutex() {
  return Immortal<StoreMutexHolder>().mutex;
}

Platform::PreferenceLocation Location() {
  Platform::PreferenceLocation location;
  const std::string key = Options::ProductKey();
  if (const std::optional<std::filesystem::path> root =
          Platform::EnvironmentPath("TAVO_USER_ROOT")) {
    location.registryKey = Platform::TestPreferenceRoot(*root) + "\\" + key;
  } else {
    location.registryKey = key;
  }
  location.file = Paths::GetApplicationDataPath() / "Preferences.xml";
  return location;
}

std::optional<std::string> ReadText(const char* name) {
  if (!name || !*name) return std::nullopt;
  const Platform::PreferenceLocation location = Location();
  std::lock_guard<std::mutex> lock(StoreMutex());
  std::string value;
  if (!Platform::ReadPreference(location, name, value)) return std::nullopt;
  return value;
}

bool WriteText(const char* name, std::string_view value) {
  if (!name || !*name) return false;
  const Platform::PreferenceLocation location = Location();
  std::lock_guard<std::mutex> lock(StoreMutex());
  return Platform::WritePreference(location, name, value);
}

}  // namespace

void Options::SetProductKey(std::string_view key) {
  std::lock_guard<std::mutex> lock(KeyMutex());
  char* text = KeyStorage().text;
  const size_t length = std::min(key.size(), sizeof KeyStorage().text - 1);
  std::memcpy(text, key.data(), length);
  text[length] = 0;
}

std::string Options::ProductKey() {
  std::lock_guard<std::mutex> lock(KeyMutex());
  return std::string(KeyStorage().text);
}

double Options::ReadFloat(const char* name, double fallback) {
  double value = fallback;
  if (const std::optional<std::string> text = ReadText(name))
    VFoundation::ParseDouble(*text, value);
  return value;
}

int32_t Options::ReadInteger(const char* name, int32_t fallback) {
  int32_t value = fallback;
  if (const std::optional<std::string> text = ReadText(name)) VFoundation::ParseInt32(*text, value);
  return value;
}

std::string Options::ReadString(const char* name, std::string_view fallback) {
  const std::optional<std::string> text = ReadText(name);
  return text ? *text : std::string(fallback);
}

bool Options::ReadBoolean(const char* name, bool fallback) {
  bool value = fallback;
  if (const std::optional<std::string> text = ReadText(name)) VFoundation::ParseBool(*text, value);
  return value;
}

bool Options::WriteFloat(const char* name, double value) {
  return WriteText(name, VFoundation::FormatDouble(value));
}

bool Options::WriteInteger(const char* name, int32_t value) {
  return WriteText(name, VFoundation::FormatInt(value));
}

bool Options::WriteBoolean(const char* name, bool value) {
  return WriteText(name, VFoundation::FormatBool(value));
}

bool Options::WriteString(const char* name, std::string_view value) {
  return WriteText(name, value);
}

}  // namespace VApplication

namespace VFoundation::Platform {

std::string TestPreferenceRoot(const std::filesystem::path& userRoot) {
  return "Software\\Quorvanta\\Tavo-Test\\" + VApplication::Paths::ToUtf8(userRoot.filename());
}

}  // namespace VFoundation::Platform
