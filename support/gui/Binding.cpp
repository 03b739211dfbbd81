// Binding skin controls to the editor and replacing placeholders.
#include "support/gui/Binding.h"

#include "support/Log.h"

namespace VGui {
namespace {

bool Fail(std::string text, std::string* error) {
  VFoundation::Log("%s\n", text.c_str());
  if (error) *error = std::move(text);
  return false;
}

std::string NotFoundText(std::string_view name) {
  return "Failed to find control named " + std::string(name);
}

std::string WrongTypeText(std::string_view name, std::string_view className) {
  std::string text = "Control named " + std::string(name) + " is not of the expected type " +
                     std::string(className);
  if (!ClassRegistry::Instance().Knows(className))
    text += " (requested class not found in registry)";
  return text;
}

}  // namespace

bool BindControlByClass(Ctrl*& result, Ctrl& parent, std::string_view name, int32_t id,
                        std::string_view className, ICtrlListener* listener, std::string* error) {
  result = nullptr;
  Ctrl* found = parent.FindDescendant(name);
  if (!found) return Fail(NotFoundText(name), error);
  if (!IsA(*found, className)) return Fail(WrongTypeText(name, className), error);
  found->SetId(id);
  found->SetListener(listener);
  result = found;
  if (error) error->clear();
  return true;
}

void ReportBindTypeMismatch(Ctrl& control, std::string_view name, std::string_view className,
                            std::string* error) {
  control.SetListener(nullptr);
  Fail(WrongTypeText(name, className), error);
}

bool ReplaceControlWith(Ctrl*& result, Ctrl& parent, std::string_view placeholderName, int32_t id,
                        std::unique_ptr<Ctrl> replacement, ICtrlListener* listener,
                        bool keepChildren, std::string* error) {
  result = nullptr;
  Ctrl* placeholder = parent.FindDescendant(placeholderName);
  if (!placeholder) return Fail(NotFoundText(placeholderName), error);
  if (!replacement)
    return Fail("No control to put in the place of " + std::string(placeholderName), error);
  Ctrl* home = placeholder->Parent();
  replacement->SetName(placeholder->Name());
  replacement->SetBounds(placeholder->Bounds());
  replacement->SetVisible(placeholder->Visible());
  if (placeholder->StylePointer()) replacement->SetStyle(placeholder->StylePointer());
  if (replacement->Tooltip().empty()) replacement->SetTooltip(placeholder->Tooltip());
  replacement->SetId(id);
  replacement->SetListener(listener);
  if (keepChildren) {
    while (!placeholder->Children().empty()) {
      replacement->AddChild(placeholder->RemoveChild(placeholder->Children().front().get()));
    }
  }
  const size_t place = home->IndexOf(placeholder);
  result = home->InsertChild(place, std::move(replacement));
  home->RemoveChild(placeholder);
  if (error) error->clear();
  return true;
}

bool ReplaceControlByClass(Ctrl*& result, Ctrl& parent, std::string_view placeholderName,
                           int32_t id, std::string_view className, ICtrlListener* listener,
                           bool keepChildren, std::string* error) {
  result = nullptr;
  std::unique_ptr<Ctrl> replacement = ClassRegistry::Instance().Create(className);
  if (!replacement) {
    return Fail("Control class " + std::string(className) + " not found in registry", error);
  }
  return ReplaceControlWith(result, parent, placeholderName, id, std::move(replacement), listener,
                            keepChildren, error);
}

}  // namespace VGui
