// Control classes by name, with their bases.
#include "support/gui/ClassRegistry.h"

#include <map>
#include <mutex>

#include "support/gui/CtrlRoot.h"

namespace VGui {

struct ClassRegistry::Impl {
  struct Entry {
    std::string base;
    CtrlFactory factory;
  };
  mutable std::mutex mutex;
  std::map<std::string, Entry, std::less<>> classes;
  std::vector<std::string> order;

  // Bases are checked at registration, so every chain ends at "Ctrl" and has no loop.
  bool IsALocked(std::string_view className, std::string_view baseName) const {
    auto it = classes.find(className);
    while (it != classes.end()) {
      if (it->first == baseName) return true;
      if (it->second.base.empty()) return false;
      it = classes.find(it->second.base);
    }
    return false;
  }
};

ClassRegistry::ClassRegistry() : impl_(std::make_unique<Impl>()) {
  impl_->classes[Ctrl::kClassName] = {"", [] { return std::make_unique<Ctrl>(); }};
  impl_->order.emplace_back(Ctrl::kClassName);
  impl_->classes[CtrlRoot::kClassName] = {Ctrl::kClassName,
                                          [] { return std::make_unique<CtrlRoot>(); }};
  impl_->order.emplace_back(CtrlRoot::kClassName);
}

ClassRegistry::~ClassRegistry() = default;

ClassRegistry& ClassRegistry::Instance() {
  // Never destroyed: hosts unload the library while static destructors of other modules run.
  static ClassRegistry* registry = new ClassRegistry();
  return *registry;
}

bool ClassRegistry::Register(std::string_view name, std::string_view baseName,
                             CtrlFactory factory) {
  if (name.empty() || !factory || name == Ctrl::kClassName) return false;
  std::lock_guard lock(impl_->mutex);
  if (baseName == name || impl_->classes.find(baseName) == impl_->classes.end()) return false;
  auto existing = impl_->classes.find(name);
  if (existing != impl_->classes.end()) {
    if (existing->second.base != baseName) return false;
    existing->second.factory = std::move(factory);
    return true;
  }
  impl_->classes.emplace(std::string(name), Impl::Entry{std::string(baseName), std::move(factory)});
  impl_->order.emplace_back(name);
  return true;
}

bool ClassRegistry::Knows(std::string_view name) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->classes.find(name) != impl_->classes.end();
}

std::unique_ptr<Ctrl> ClassRegistry::Create(std::string_view name) const {
  CtrlFactory factory;
  {
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->classes.find(name);
    if (it == impl_->classes.end()) return nullptr;
    factory = it->second.factory;
  }
  // Outside the lock: a control's constructor may itself ask the registry.
  return factory();
}

bool ClassRegistry::IsA(std::string_view className, std::string_view baseName) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->IsALocked(className, baseName);
}

std::string ClassRegistry::BaseOf(std::string_view name) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->classes.find(name);
  return it == impl_->classes.end() ? std::string() : it->second.base;
}

std::vector<std::string> ClassRegistry::Names() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->order;
}

bool IsA(const Ctrl& control, std::string_view className) {
  return ClassRegistry::Instance().IsA(control.ClassName(), className);
}

}  // namespace VGui
