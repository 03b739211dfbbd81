// The questions, alerts and file choosers the editor asks for, answered asynchronously: the OS's
// own dialog where there is one (Windows message boxes and file dialogs; zenity or kdialog on
// Linux), otherwise a modal panel the toolkit draws in the editor. Callbacks come on the GUI
// thread, possibly from a later tick; a panel still open when its root goes away answers nothing.
// UI thread.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "support/platform/GuiWindow.h"

namespace VGui {

class CtrlRoot;

namespace Dialogs {

inline constexpr std::string_view kConfirmTitle = "Confirm:";
inline constexpr std::string_view kAlertTitle = "Alert";

using FileChosen = std::function<void(bool chosen, const std::filesystem::path& file)>;

// A Yes/No question (title "Confirm:" for the editor's questions). UI thread
void Ask(CtrlRoot& root, std::string_view title, std::string_view text,
         std::function<void(bool yes)> done);
// An "Alert" box with an OK button; the text is also logged as "ALERT: %s". UI thread
void Alert(CtrlRoot& root, std::string_view text);
// An open or save dialog. UI thread
void ChooseFile(CtrlRoot& root, const Platform::FileDialogRequest& request, FileChosen done);
// Opens a file or web address with the user's default program. UI thread
bool OpenWithShell(std::string_view fileOrUrl);

// The OS side, replaceable so tests run without dialog programs or message boxes. Any member left
// empty means "unavailable". UI thread
struct NativeDialogs {
  std::function<Platform::QuestionAnswer(std::string_view title, std::string_view text)> ask;
  std::function<bool(std::string_view title, std::string_view text)> alert;
  std::function<void(
      const Platform::FileDialogRequest&,
      std::function<void(Platform::FileDialogOutcome, const std::filesystem::path&)>)>
      chooseFile;
  std::function<bool(std::string_view)> openWithShell;
  // Delivers the owner's answers of dialogs that run apart from the GUI thread; called every tick.
  std::function<void(const void* owner)> poll;
  // Closes the owner's dialogs still open; they never answer.
  std::function<void(const void* owner)> forget;
};
// Called by the window every tick: answers of the root's native dialogs arrive here, on whichever
// thread the root's window now runs. UI thread
void PollNative(const CtrlRoot& root);
// The root goes away: its native dialogs still open are closed unanswered. UI thread
void ForgetNative(const CtrlRoot& root);

// The OS's dialogs (support/platform). UI thread
NativeDialogs SystemNativeDialogs();
// Replaces the OS side until the next call; answers the previous one. UI thread
NativeDialogs SetNativeDialogs(NativeDialogs dialogs);

}  // namespace Dialogs
}  // namespace VGui
