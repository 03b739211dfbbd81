// Loading a shared library through the platform loader.
#include "support/DynamicLibrary.h"

#include "support/platform/Platform.h"

namespace VFoundation {

DynamicLibrary::~DynamicLibrary() {
  Close();
}

bool DynamicLibrary::Open(const std::filesystem::path& path) {
  Close();
  error_.clear();
  handle_ = Platform::OpenLibrary(path, error_);
  return handle_ != nullptr;
}

void DynamicLibrary::Close() {
  if (handle_) Platform::CloseLibrary(handle_);
  handle_ = nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const {
  return handle_ && name ? Platform::LibrarySymbol(handle_, name) : nullptr;
}

}  // namespace VFoundation
