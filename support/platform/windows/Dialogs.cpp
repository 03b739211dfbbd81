// Windows: the system's message boxes, the common file dialogs and ShellExecute.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "support/platform/GuiWindow.h"
#include "support/platform/windows/Text.h"

namespace VGui::Platform {

namespace {

using VFoundation::Platform::WideFromUtf8;

// Long paths fit; the dialog reports a too-small buffer as an error rather than cutting.
constexpr size_t kPathCharacters = 32768;

// "Tavo preset files (*.tavo)\0*.tavo\0\0": pairs of name and pattern, ended twice.
std::wstring FilterText(const FileDialogRequest& request) {
  const std::wstring pattern = L"*." + WideFromUtf8(request.extension);
  std::wstring filter = WideFromUtf8(request.filterName) + L" (" + pattern + L")";
  filter.push_back(L'\0');
  filter += pattern;
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

}  // namespace

QuestionAnswer AskNative(std::string_view title, std::string_view text) {
  const std::wstring wideTitle = WideFromUtf8(title);
  const std::wstring wideText = WideFromUtf8(text);
  switch (MessageBoxW(nullptr, wideText.c_str(), wideTitle.c_str(),
                      MB_YESNO | MB_SYSTEMMODAL | MB_ICONQUESTION)) {
    case IDYES:
      return QuestionAnswer::kYes;
    case IDNO:
      return QuestionAnswer::kNo;
    default:
      return QuestionAnswer::kUnavailable;
  }
}

bool AlertNative(std::string_view title, std::string_view text) {
  const std::wstring wideTitle = WideFromUtf8(title);
  const std::wstring wideText = WideFromUtf8(text);
  return MessageBoxW(nullptr, wideText.c_str(), wideTitle.c_str(),
                     MB_OK | MB_SYSTEMMODAL | MB_ICONWARNING) != 0;
}

void ChooseFileNative(const FileDialogRequest& request,
                      std::function<void(FileDialogOutcome, const std::filesystem::path&)> done) {
  std::vector<wchar_t> file(kPathCharacters, L'\0');
  if (request.save) {
    const std::wstring suggested = WideFromUtf8(request.fileName);
    if (suggested.size() < kPathCharacters)
      std::copy(suggested.begin(), suggested.end(), file.begin());
  }
  const std::wstring filter = FilterText(request);
  const std::wstring title = WideFromUtf8(request.title);
  const std::wstring folder = request.folder.wstring();
  const std::wstring extension = WideFromUtf8(request.extension);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = DWORD(file.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.c_str();
  // The host's working folder stays where it was.
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                 (request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!done) return;
  if (chosen) {
    done(FileDialogOutcome::kChosen, std::filesystem::path(file.data()));
  } else {
    // No extended error: the user cancelled; otherwise the dialog could not be shown.
    done(CommDlgExtendedError() == 0 ? FileDialogOutcome::kCancelled
                                     : FileDialogOutcome::kUnavailable,
         {});
  }
}

// The dialogs of comdlg32 are modal and answer before ChooseFileNative returns.
void PollNativeDialogs(const void*) {}
void ForgetNativeDialogs(const void*) {}

bool OpenWithShell(std::string_view fileOrUrl) {
  if (fileOrUrl.empty()) return false;
  const std::wstring target = WideFromUtf8(fileOrUrl);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Values above 32 mean success.
  return result > 32;
}

}  // namespace VGui::Platform
