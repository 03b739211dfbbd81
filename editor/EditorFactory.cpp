// The plug-in's editor factory.
#include "editor/EditorFactory.h"

#include <mutex>

#include "editor/EditorControlClasses.h"

namespace {

void RegisterClassesOnce() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterEditorControlClasses(); });
}

}  // namespace

std::unique_ptr<vst::AEffEditor> CreateEditor(Norv& plugin) {
  return CreateEditor(plugin, EditorOptions{});
}

std::unique_ptr<vst::AEffEditor> CreateEditor(Norv& plugin, EditorOptions options) {
  RegisterClassesOnce();
  return std::make_unique<Editor>(plugin, std::move(options));
}
