// The utility strip and its commands.
#include "editor/UtilityControlsPanel.h"

#include <string>
#include <system_error>

#include "editor/AboutPanel.h"
#include "editor/SynthEditorBase.h"
#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/Paths.h"
#include "support/gui/Binding.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/Dialogs.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/controls/CtrlButton.h"

namespace {

bool DefaultPresetExists() {
  std::error_code error;
  return std::filesystem::exists(VApplication::Paths::GetDefaultPresetFile(), error);
}

}  // namespace

UtilityControlsPanel::UtilityControlsPanel() = default;

UtilityControlsPanel::~UtilityControlsPanel() {
  SetEditorDelegate(nullptr);
}

void UtilityControlsPanel::SkinLoaded(VGui::SkinSet& skins) {
  if (skinLoaded_) return;
  skinLoaded_ = true;
  if (!VGui::LoadSkin(*this, kSkinFile, skins)) {
    VFoundation::Log("%s, Failed to load skin on path %s\n", "UtilityControlsPanel::SkinLoaded",
                     kSkinFile);
  }
  BindButtons();
}

void UtilityControlsPanel::BindButtons() {
  VGui::BindControl(productButton_, *this, kProductButton, 0, this);
  // The others are optional: a skin without them is no fault worth a log line.
  const auto bindOptional = [this](VGui::CtrlButton*& button, const char* name, int32_t id) {
    if (FindDescendant(name)) VGui::BindControl(button, *this, name, id, this);
  };
  bindOptional(saveDefault_, kSaveDefaultButton, kSavePresetAsDefault);
  bindOptional(clearDefault_, kClearDefaultButton, kClearDefaultPreset);
  bindOptional(learnDependent_, kLearnDependentButton, 0);
  // Command buttons spring back; only the learn-dependent one keeps a state.
  for (VGui::CtrlButton* button : {productButton_, saveDefault_, clearDefault_}) {
    if (button) button->SetMode(VGui::ButtonMode::kMomentary);
  }
  if (learnDependent_) learnDependent_->SetValue(1.0f);
}

void UtilityControlsPanel::SetEditorDelegate(Norv* plugin) {
  if (plugin_ == plugin) return;
  if (plugin_ && handlerRegistered_) plugin_->Port().UnregisterEditorHandler(this);
  handlerRegistered_ = false;
  EditorDelegateUser::SetEditorDelegate(plugin);
  if (plugin_) handlerRegistered_ = plugin_->Port().RegisterEditorHandler(kMessageClass, this);
}

// --- Menu and commands ---------------------------------------------------------------------------

void UtilityControlsPanel::FillNorvMenu() {
  menu_.Clear();
  menu_.AddItem("About", kShowAbout);
  menu_.AddItem("Show manual", kOpenManual);
  menu_.AddItem("Check for updates", kCheckForUpdates);
  menu_.AddItem("Tavo forum", kOpenForum);
  menu_.AddItem("Tavo FAQ", kOpenFaq);
  menu_.AddItem("Quorvanta support", kOpenSupport);
  if (!zoomHost_) return;
  menu_.AddSeparator();
  VGui::PopupMenu& zoom = menu_.AddSubmenu(kZoomMenuText);
  const int32_t current = zoomHost_->ZoomPercent();
  for (const int32_t percent : IZoomHost::kZoomPercents) {
    zoom.AddItem(std::to_string(percent) + "%", kSetZoom, percent, true, percent == current);
  }
}

void UtilityControlsPanel::ShowNorvMenu() {
  FillNorvMenu();
  VGui::CtrlRoot* root = Root();
  if (!root) return;
  const VGui::Rect anchor = productButton_ ? productButton_->RootBounds() : RootBounds();
  root->ShowPopupMenu(menu_, {anchor.x, anchor.Bottom()}, this, productButton_);
}

std::string UtilityControlsPanel::WebAddressFor(int32_t command) {
  switch (command) {
    case kCheckForUpdates:
      return kUpdatesAddress;
    case kOpenForum:
      return kForumAddress;
    case kOpenFaq:
      return kFaqAddress;
    case kOpenSupport:
      return kSupportAddress;
    default:
      return {};
  }
}

void UtilityControlsPanel::DoShowAbout() {
  VGui::CtrlRoot* root = Root();
  if (!root || !dialogHost_) return;
  IDialogHost* host = dialogHost_;
  host->AddDialogControl(AboutPanel::Create(root->Skins(), [host] { host->RemoveDialogControl(); }),
                         "About Tavo");
}

void UtilityControlsPanel::DoOpenManual() {
  const std::filesystem::path manual =
      VApplication::Paths::GetInstallPath() / "Documentation" / "Manual.pdf";
  if (!VGui::Dialogs::OpenWithShell(VApplication::Paths::ToUtf8(manual))) {
    VFoundation::Log("%s, Failed to open %s\n", "UtilityControlsPanel::DoOpenManual",
                     VApplication::Paths::ToUtf8(manual).c_str());
  }
}

bool UtilityControlsPanel::WriteDefaultPreset() {
  const std::filesystem::path file = VApplication::Paths::GetDefaultPresetFile();
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (plugin_ && plugin_->SerializeState(file, true)) return true;
  if (VGui::CtrlRoot* root = Root()) VGui::Dialogs::Alert(*root, kSaveFailedText);
  return false;
}

void UtilityControlsPanel::DoSavePresetAsDefault() {
  VGui::CtrlRoot* root = Root();
  if (!root || !plugin_) return;
  if (!DefaultPresetExists()) {
    WriteDefaultPreset();
    return;
  }
  VGui::Dialogs::Ask(*root, VGui::Dialogs::kConfirmTitle, kOverwriteDefaultQuestion,
                     [this](bool yes) {
                       if (yes) WriteDefaultPreset();
                     });
}

void UtilityControlsPanel::DoClearDefaultPreset() {
  VGui::CtrlRoot* root = Root();
  if (!root || !DefaultPresetExists()) return;
  VGui::Dialogs::Ask(*root, VGui::Dialogs::kConfirmTitle, kRemoveDefaultQuestion, [](bool yes) {
    if (!yes) return;
    std::error_code error;
    std::filesystem::remove(VApplication::Paths::GetDefaultPresetFile(), error);
  });
}

void UtilityControlsPanel::CommandEvent(const VGui::CommandEvent* event) {
  if (!event) {
    VFoundation::Log("%s, Failed because the event is NULL\n",
                     "UtilityControlsPanel::CommandEvent");
    return;
  }
  switch (event->id) {
    case kShowAbout:
      DoShowAbout();
      break;
    case kOpenManual:
      DoOpenManual();
      break;
    case kCheckForUpdates:
    case kOpenForum:
    case kOpenFaq:
    case kOpenSupport:
      VGui::Dialogs::OpenWithShell(WebAddressFor(event->id));
      break;
    case kShowDevConsole:
      DoShowDevConsole();
      break;
    case kSavePresetAsDefault:
      DoSavePresetAsDefault();
      break;
    case kClearDefaultPreset:
      DoClearDefaultPreset();
      break;
    case kSetZoom:
      if (zoomHost_) zoomHost_->RequestZoom(event->IntArgument(100));
      break;
    default:
      break;
  }
}

// --- Events and messages -------------------------------------------------------------------------

void UtilityControlsPanel::ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) {
  if (kind != VGui::ControlEventKind::kLeftButtonDown) return;
  if (&control == productButton_) {
    ShowNorvMenu();
    return;
  }
  if (&control == saveDefault_ || &control == clearDefault_) {
    const VGui::CommandEvent event{control.Id(), {}, &control};
    CommandEvent(&event);
  }
}

void UtilityControlsPanel::HandleMessage(Message& message) {
  if (message.Type() != MessageType::e_updateMIDILearnStateChanged) return;
  // The engine's own notices carry no state; only the editor's switch says on or off.
  if (!learnDependent_ || message.Value(0).IsEmpty()) return;
  learnDependent_->SetValue(message.Value(0).AsBool() ? 0.0f : 1.0f);
}
