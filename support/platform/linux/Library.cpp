// Linux: shared libraries through dlopen.
#include <dlfcn.h>

#include "support/platform/Platform.h"

namespace VFoundation::Platform {

void* OpenLibrary(const std::filesystem::path& path, std::string& error) {
  // Local binding keeps a plug-in's symbols from resolving against another copy in the host.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    error = reason ? reason : "dlopen failed";
  }
  return handle;
}

void* LibrarySymbol(void* handle, const char* name) {
  return dlsym(handle, name);
}

void CloseLibrary(void* handle) {
  dlclose(handle);
}

}  // namespace VFoundation::Platform
