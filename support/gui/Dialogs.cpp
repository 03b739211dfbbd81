// Questions, alerts and file choosers: the OS's own where it has them, the toolkit's otherwise.
#include "support/gui/Dialogs.h"

#include "support/Log.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/FileListPanel.h"
#include "support/gui/ModalPanels.h"

namespace VGui::Dialogs {
namespace {

NativeDialogs& Current() {
  static NativeDialogs dialogs = SystemNativeDialogs();
  return dialogs;
}

}  // namespace

NativeDialogs SystemNativeDialogs() {
  NativeDialogs dialogs;
  dialogs.ask = Platform::AskNative;
  dialogs.alert = Platform::AlertNative;
  dialogs.chooseFile = Platform::ChooseFileNative;
  dialogs.openWithShell = Platform::OpenWithShell;
  dialogs.poll = Platform::PollNativeDialogs;
  dialogs.forget = Platform::ForgetNativeDialogs;
  return dialogs;
}

NativeDialogs SetNativeDialogs(NativeDialogs dialogs) {
  NativeDialogs previous = std::move(Current());
  Current() = std::move(dialogs);
  return previous;
}

void Ask(CtrlRoot& root, std::string_view title, std::string_view text,
         std::function<void(bool yes)> done) {
  const auto& native = Current();
  const auto answer = native.ask ? native.ask(title, text) : Platform::QuestionAnswer::kUnavailable;
  if (answer != Platform::QuestionAnswer::kUnavailable) {
    if (done) done(answer == Platform::QuestionAnswer::kYes);
    return;
  }
  root.PushModal(MakeQuestionPanel(std::string(title), std::string(text), std::move(done)));
}

void Alert(CtrlRoot& root, std::string_view text) {
  const std::string line(text);
  VFoundation::LogAlert(line.c_str());
  const auto& native = Current();
  if (native.alert && native.alert(kAlertTitle, text)) return;
  root.PushModal(MakeAlertPanel(std::string(kAlertTitle), line));
}

void ChooseFile(CtrlRoot& root, const Platform::FileDialogRequest& request, FileChosen done) {
  const auto& native = Current();
  auto showPanel = [&root, request](FileChosen answer) {
    root.PushModal(std::make_unique<FileListPanel>(request, std::move(answer)));
  };
  if (!native.chooseFile) return showPanel(std::move(done));
  Platform::FileDialogRequest owned = request;
  owned.owner = &root;
  // The native dialog answers later, from a tick of this root's window (the editor may have closed
  // and opened again meanwhile, on another thread); a root that goes away forgets its dialogs.
  native.chooseFile(owned,
                    [showPanel, done = std::move(done)](Platform::FileDialogOutcome outcome,
                                                        const std::filesystem::path& file) mutable {
                      switch (outcome) {
                        case Platform::FileDialogOutcome::kChosen:
                          if (done) done(true, file);
                          break;
                        case Platform::FileDialogOutcome::kCancelled:
                          if (done) done(false, {});
                          break;
                        case Platform::FileDialogOutcome::kUnavailable:
                          showPanel(std::move(done));
                          break;
                      }
                    });
}

bool OpenWithShell(std::string_view fileOrUrl) {
  const auto& native = Current();
  return native.openWithShell && native.openWithShell(fileOrUrl);
}

void PollNative(const CtrlRoot& root) {
  const auto& native = Current();
  if (native.poll) native.poll(&root);
}

void ForgetNative(const CtrlRoot& root) {
  const auto& native = Current();
  if (native.forget) native.forget(&root);
}

}  // namespace VGui::Dialogs
