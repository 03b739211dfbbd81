// Finding the controls a skin created and taking them over: BindControl looks a control up by
// name below a panel and checks its class, ReplaceControl puts a control of the editor's own class
// in the place of a named placeholder. Failures are logged and answered as text; the result
// reference stays empty so later uses can check it. UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "support/gui/ClassRegistry.h"
#include "support/gui/Control.h"

namespace VGui {

// The control named `name` anywhere below parent, when it is a className (or derives from it);
// sets its command id and listener. On failure result is null, the reason is logged and stored in
// error: "Failed to find control named <name>" or "Control named <name> is not of the expected
// type <className>" (plus " (requested class not found in registry)" when className is unknown).
// UI thread
bool BindControlByClass(Ctrl*& result, Ctrl& parent, std::string_view name, int32_t id,
                        std::string_view className, ICtrlListener* listener,
                        std::string* error = nullptr);

// Logs and stores the type mismatch text and undoes the binding of control. UI thread
void ReportBindTypeMismatch(Ctrl& control, std::string_view name, std::string_view className,
                            std::string* error);

// Typed form: the class checked is T::kClassName, and the control must also be a T in C++ terms.
// UI thread
template <class T>
bool BindControl(T*& result, Ctrl& parent, std::string_view name, int32_t id,
                 ICtrlListener* listener, std::string* error = nullptr) {
  static_assert(std::is_base_of_v<Ctrl, T>, "controls derive from VGui::Ctrl");
  Ctrl* found = nullptr;
  result = nullptr;
  if (!BindControlByClass(found, parent, name, id, T::kClassName, listener, error)) return false;
  result = dynamic_cast<T*>(found);
  if (result) return true;
  ReportBindTypeMismatch(*found, name, T::kClassName, error);
  return false;
}

// Puts `replacement` where the placeholder named placeholderName (anywhere below parent) was: in
// the placeholder's parent at the same place in the drawing order, with the placeholder's name,
// rectangle, style and visibility, the given id and listener. With keepChildren the placeholder's
// children move into the replacement; otherwise they go with it. The placeholder is removed. On
// failure ("Failed to find control named <name>") the result is null and the replacement dropped.
// UI thread
bool ReplaceControlWith(Ctrl*& result, Ctrl& parent, std::string_view placeholderName, int32_t id,
                        std::unique_ptr<Ctrl> replacement, ICtrlListener* listener,
                        bool keepChildren = false, std::string* error = nullptr);

// Typed form: creates a T (any class derived from Ctrl, registered or not). UI thread
template <class T>
bool ReplaceControl(T*& result, Ctrl& parent, std::string_view placeholderName, int32_t id,
                    ICtrlListener* listener, bool keepChildren = false,
                    std::string* error = nullptr) {
  static_assert(std::is_base_of_v<Ctrl, T>, "controls derive from VGui::Ctrl");
  static_assert(std::is_default_constructible_v<T>, "ReplaceControl creates the control itself");
  Ctrl* placed = nullptr;
  result = nullptr;
  if (!ReplaceControlWith(placed, parent, placeholderName, id, std::make_unique<T>(), listener,
                          keepChildren, error)) {
    return false;
  }
  result = static_cast<T*>(placed);
  return true;
}

// By class name through the registry; fails with "Control class <className> not found in
// registry" for an unknown class. UI thread
bool ReplaceControlByClass(Ctrl*& result, Ctrl& parent, std::string_view placeholderName,
                           int32_t id, std::string_view className, ICtrlListener* listener,
                           bool keepChildren = false, std::string* error = nullptr);

}  // namespace VGui
