// Loading a shared library and looking up a symbol (hosts, the renderer and the host-level tests).
#pragma once

#include <filesystem>
#include <string>

namespace VFoundation {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  bool Open(const std::filesystem::path& path);
  void Close();
  void* Symbol(const char* name) const;
  bool IsOpen() const { return handle_ != nullptr; }
  const std::string& Error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace VFoundation
