// The toolkit's class registry: skins name a control's class as text, the registry creates it and
// answers "is this control a kind of X" through each class's registered base. Control classes of
// the toolkit and of the editor register at start-up. UI thread (a lock makes it safe when
// several editors run on threads of their own).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "support/gui/Control.h"

namespace VGui {

using CtrlFactory = std::function<std::unique_ptr<Ctrl>()>;

class ClassRegistry {
 public:
  // The process-wide registry, with Ctrl and CtrlRoot already registered. any thread
  static ClassRegistry& Instance();

  // Registers name as a subclass of baseName (which must be known; "Ctrl" has no base). A name
  // registered again with the same base replaces its factory (a second plug-in instance starts
  // up the same way); false for an empty name, an unknown base, a different base than before or
  // no factory. UI thread
  bool Register(std::string_view name, std::string_view baseName, CtrlFactory factory);
  // UI thread
  bool Knows(std::string_view name) const;
  // A new control of the class; null when the class is unknown. UI thread
  std::unique_ptr<Ctrl> Create(std::string_view name) const;
  // True when className is baseName or derives from it through the registered bases. UI thread
  bool IsA(std::string_view className, std::string_view baseName) const;
  // The registered base of a class; empty for "Ctrl" and for unknown classes. UI thread
  std::string BaseOf(std::string_view name) const;
  // Every registered name, in order of registration. UI thread
  std::vector<std::string> Names() const;

  ClassRegistry(const ClassRegistry&) = delete;
  ClassRegistry& operator=(const ClassRegistry&) = delete;

 private:
  ClassRegistry();
  ~ClassRegistry();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Registers T (default-constructible, derived from Ctrl) under name with base baseName. UI thread
template <class T>
bool RegisterClass(std::string_view name, std::string_view baseName) {
  static_assert(std::is_base_of_v<Ctrl, T>, "controls derive from VGui::Ctrl");
  return ClassRegistry::Instance().Register(name, baseName,
                                            [] { return std::unique_ptr<Ctrl>(new T()); });
}

// True when the control's class (ClassName()) is className or derives from it. UI thread
bool IsA(const Ctrl& control, std::string_view className);

}  // namespace VGui
