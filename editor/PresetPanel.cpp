// The preset strip and its flows.
#include "editor/PresetPanel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>
#include <thread>

#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/Paths.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/Dialogs.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/CtrlButton.h"
#include "support/gui/controls/CtrlLabel.h"

namespace {

constexpr const char* kProductName = "Tavo";
constexpr const char* kResetQuestion =
    "Are you sure you want to reset %s to its default state? This action cannot be undone!";

bool IsPresetFile(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == std::string(".") + PresetPanel::kPresetExtension;
}

// Files of one searched folder, sorted so that the menu reads the same on every machine.
std::vector<PresetPanel::Preset> ScanFolder(const std::filesystem::path& folder) {
  std::vector<PresetPanel::Preset> found;
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return found;
  const auto options = std::filesystem::directory_options::skip_permission_denied;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, options, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_regular_file(error) || !IsPresetFile(it->path())) continue;
    PresetPanel::Preset preset{it->path(), {}};
    const std::filesystem::path relative = it->path().parent_path().lexically_relative(folder);
    for (const auto& part : relative) {
      if (!part.empty() && part != ".") preset.folders.push_back(VApplication::Paths::ToUtf8(part));
    }
    found.push_back(std::move(preset));
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.file < b.file; });
  return found;
}

// The submenu for a preset's folders, made on first use.
VGui::PopupMenu& SubmenuFor(VGui::PopupMenu& menu, const std::vector<std::string>& folders) {
  VGui::PopupMenu* current = &menu;
  for (const std::string& folder : folders) {
    VGui::PopupMenu* next = nullptr;
    for (auto& item : current->Items()) {
      if (item.submenu && item.text == folder) next = item.submenu.get();
    }
    current = next ? next : &current->AddSubmenu(folder);
  }
  return *current;
}

}  // namespace

PresetPanel::PresetPanel()
    : sleeper_([](auto interval) { std::this_thread::sleep_for(interval); }) {
  CreateChildren();
}

PresetPanel::~PresetPanel() {
  SetEditorDelegate(nullptr);
}

void PresetPanel::CreateChildren() {
  auto label = std::make_unique<VGui::CtrlLabel>();
  label->SetName("PresetLabel");
  label->SetText(kDefaultName);
  label_ = static_cast<VGui::CtrlLabel*>(AddChild(std::move(label)));
  const auto addButton = [this](const char* name, const char* text) {
    auto button = std::make_unique<VGui::KickButton>();
    button->SetName(name);
    button->SetText(text);
    button->SetListener(this);
    return static_cast<VGui::CtrlButton*>(AddChild(std::move(button)));
  };
  previous_ = addButton("PresetPrevious", "<");
  next_ = addButton("PresetNext", ">");
  list_ = addButton("PresetList", "...");
  LayOut();
}

void PresetPanel::OnBoundsChanged() {
  LayOut();
}

void PresetPanel::LayOut() {
  if (!label_) return;
  const int height = Bounds().height;
  const int width = Bounds().width;
  const int button = std::min(height, std::max(0, width / 4));
  previous_->SetBounds({0, 0, button, height});
  next_->SetBounds({button, 0, button, height});
  list_->SetBounds({width - button, 0, button, height});
  label_->SetBounds({2 * button, 0, std::max(0, width - 3 * button), height});
}

void PresetPanel::SetEditorDelegate(Norv* plugin) {
  if (plugin_ == plugin) return;
  if (plugin_ && handlerRegistered_) plugin_->Port().UnregisterEditorHandler(this);
  handlerRegistered_ = false;
  EditorDelegateUser::SetEditorDelegate(plugin);
  if (!plugin_) return;
  handlerRegistered_ = plugin_->Port().RegisterEditorHandler(kMessageClass, this);
  if (const VGui::CtrlRoot* root = Root()) {
    const VGui::SkinSet& skins = const_cast<VGui::CtrlRoot*>(root)->Skins();
    if (auto style = skins.FindStyle("PresetLabelStyle")) label_->SetStyle(style);
    for (VGui::CtrlButton* button : {previous_, next_, list_}) {
      if (auto style = skins.FindStyle("PresetButtonStyle")) button->SetStyle(style);
    }
  }
  RescanPresets();
  ShowName(plugin_->LastPresetName());
}

MessagePort* PresetPanel::Port() const {
  return plugin_ ? &plugin_->Port() : nullptr;
}

// --- Preset list ---------------------------------------------------------------------------------

void PresetPanel::SetPresetFolders(std::vector<std::filesystem::path> folders) {
  folders_ = std::move(folders);
  customFolders_ = true;
  RescanPresets();
}

void PresetPanel::RescanPresets() {
  if (!customFolders_) {
    folders_ = {VApplication::Paths::GetUserPresetsPath(),
                VApplication::Paths::GetFactoryPresetsPath()};
  }
  if (lastFolder_.empty() && !folders_.empty()) lastFolder_ = folders_.front();
  presets_.clear();
  for (const auto& folder : folders_) {
    auto found = ScanFolder(folder);
    presets_.insert(presets_.end(), std::make_move_iterator(found.begin()),
                    std::make_move_iterator(found.end()));
  }
  if (currentIndex_ >= static_cast<int32_t>(presets_.size())) currentIndex_ = -1;
}

void PresetPanel::NextPreset() {
  const auto count = static_cast<int32_t>(presets_.size());
  if (count < 2) return;
  const int32_t index = currentIndex_ + 1 >= count ? 0 : currentIndex_ + 1;
  LoadPresetAtIndex(index);
}

void PresetPanel::PreviousPreset() {
  const auto count = static_cast<int32_t>(presets_.size());
  if (count < 2) return;
  const int32_t index = currentIndex_ - 1 < 0 ? count - 1 : currentIndex_ - 1;
  LoadPresetAtIndex(index);
}

bool PresetPanel::LoadPresetAtIndex(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(presets_.size())) return false;
  currentIndex_ = index;
  return LoadPresetFile(presets_[size_t(index)].file);
}

// --- Flows ---------------------------------------------------------------------------------------

void PresetPanel::Sleep(std::chrono::milliseconds interval) {
  if (sleeper_) sleeper_(interval);
}

bool PresetPanel::LockSynthThread() {
  MessagePort* port = Port();
  if (!port) return false;
  // The unlock of an operation just finished may not have reached the engine yet; a lock seen now
  // would be that one, not ours.
  for (int poll = 0; poll < kLockPolls && plugin_->IsSynthLocked(); ++poll) {
    Sleep(kLockPollInterval);
  }
  port->PostMessageToSynth(MessageType::e_lockSynthThread);
  for (int poll = 0; poll < kLockPolls; ++poll) {
    if (plugin_->IsSynthLocked()) return true;
    Sleep(kLockPollInterval);
  }
  UnlockSynthThread();
  return false;
}

void PresetPanel::UnlockSynthThread() {
  MessagePort* port = Port();
  if (!port) return;
  VGui::CtrlRoot* root = Root();
  Message* unlock = port->GetAllocatableMessage();
  if (!unlock) {
    if (root) VGui::Dialogs::Alert(*root, kUnlockQueueEmptyText);
    return;
  }
  unlock->SetType(MessageType::e_unlockSynthThread);
  port->PostMessageToSynth(unlock);
  Message* removeDialog = port->GetAllocatableMessage();
  if (!removeDialog) {
    if (root) VGui::Dialogs::Alert(*root, kDialogQueueEmptyText);
    return;
  }
  removeDialog->SetType(MessageType::e_removeDialog);
  port->PostMessageToEditor(removeDialog);
}

bool PresetPanel::LoadPresetFile(const std::filesystem::path& file) {
  if (!plugin_) return false;
  if (!LockSynthThread()) return false;
  const bool loaded = plugin_->SerializeState(file, false);
  if (loaded) {
    const std::string name = VApplication::Paths::ToUtf8(file.stem());
    plugin_->setProgramName(name.c_str());
    ShowName(name);
    Invalidate();
  } else if (VGui::CtrlRoot* root = Root()) {
    VGui::Dialogs::Alert(*root, kLoadFailedText);
  } else {
    VFoundation::LogAlert(kLoadFailedText);
  }
  UnlockSynthThread();
  return loaded;
}

void PresetPanel::ChoosePresetToLoad() {
  VGui::CtrlRoot* root = Root();
  if (!root) return;
  VGui::Platform::FileDialogRequest request;
  request.save = false;
  request.title = "Please choose a file to load";
  request.filterName = "Tavo preset files";
  request.extension = kPresetExtension;
  request.folder = lastFolder_;
  VGui::Dialogs::ChooseFile(*root, request, [this](bool chosen, const auto& file) {
    if (!chosen) return;
    lastFolder_ = file.parent_path();
    LoadPresetFile(file);
  });
}

void PresetPanel::ChoosePresetToSave() {
  VGui::CtrlRoot* root = Root();
  if (!root || !plugin_) return;
  VGui::Platform::FileDialogRequest request;
  request.save = true;
  request.title = "Please choose a file to save";
  request.filterName = "Tavo preset files";
  request.extension = kPresetExtension;
  request.folder = lastFolder_;
  request.fileName = plugin_->LastPresetName() + "." + kPresetExtension;
  VGui::Dialogs::ChooseFile(*root, request, [this](bool chosen, const auto& file) {
    if (chosen) SavePresetFile(file);
  });
}

bool PresetPanel::SavePresetFile(const std::filesystem::path& chosen) {
  if (!plugin_) return false;
  std::filesystem::path file = chosen;
  if (!IsPresetFile(file)) file += std::string(".") + kPresetExtension;
  if (!plugin_->SerializeState(file, true)) {
    if (VGui::CtrlRoot* root = Root()) VGui::Dialogs::Alert(*root, kSaveFailedText);
    return false;
  }
  lastFolder_ = file.parent_path();
  ShowName(VApplication::Paths::ToUtf8(file.stem()));
  RescanPresets();
  return true;
}

void PresetPanel::DoResetPlugin() {
  VGui::CtrlRoot* root = Root();
  if (!root || !plugin_) return;
  char question[256];
  std::snprintf(question, sizeof question, kResetQuestion, kProductName);
  VGui::Dialogs::Ask(*root, VGui::Dialogs::kConfirmTitle, question, [this](bool yes) {
    if (!yes || !plugin_) return;
    std::error_code error;
    // With a default preset the reset is left to it: the user's own start state wins.
    if (std::filesystem::exists(VApplication::Paths::GetDefaultPresetFile(), error)) return;
    MessagePort& port = plugin_->Port();
    port.PostMessageToSynth(MessageType::e_panic);
    port.PostMessageToSynth(MessageType::e_resetNorv);
    port.PostMessageToEditor(MessageType::e_resetNorv);
  });
}

// --- Menu ----------------------------------------------------------------------------------------

void PresetPanel::BuildMenu() {
  menu_.Clear();
  menu_.AddItem("Save Preset", kSavePreset);
  menu_.AddItem("Load Preset", kLoadPreset);
  menu_.AddItem("Rescan Presets", kRescanPresets);
  menu_.AddSeparator();
  menu_.AddItem("Reset Tavo", kResetPlugin);
  menu_.AddSeparator();
  for (size_t index = 0; index < presets_.size(); ++index) {
    const Preset& preset = presets_[index];
    SubmenuFor(menu_, preset.folders)
        .AddItem(VApplication::Paths::ToUtf8(preset.file.stem()), kLoadPresetAtIndex,
                 static_cast<int32_t>(index), true, static_cast<int32_t>(index) == currentIndex_);
  }
}

void PresetPanel::ShowMenu() {
  VGui::CtrlRoot* root = Root();
  if (!root) return;
  BuildMenu();
  const VGui::Rect anchor = list_ ? list_->RootBounds() : RootBounds();
  root->ShowPopupMenu(menu_, {anchor.x, anchor.Bottom()}, this, this);
}

const std::string& PresetPanel::PresetLabelText() const {
  return label_->Text();
}

void PresetPanel::ShowName(const std::string& name) {
  if (label_) label_->SetText(name);
}

// --- Events and messages -------------------------------------------------------------------------

void PresetPanel::ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) {
  // The buttons are momentary: they act when pressed.
  if (kind != VGui::ControlEventKind::kValueChanged || control.Value() < 0.5f) return;
  if (&control == next_) NextPreset();
  if (&control == previous_) PreviousPreset();
  if (&control == list_) ShowMenu();
}

void PresetPanel::CommandEvent(const VGui::CommandEvent* event) {
  if (!event) {
    VFoundation::Log("%s, Failed because the event is NULL\n", "PresetPanel::CommandEvent");
    return;
  }
  switch (event->id) {
    case kRescanPresets:
      RescanPresets();
      break;
    case kResetPlugin:
      DoResetPlugin();
      break;
    case kSavePreset:
      ChoosePresetToSave();
      break;
    case kLoadPreset:
      ChoosePresetToLoad();
      break;
    case kLoadPresetAtIndex:
      LoadPresetAtIndex(event->IntArgument(-1));
      break;
    default:
      break;
  }
}

void PresetPanel::HandleMessage(Message& message) {
  if (message.Type() == MessageType::e_resetNorv) {
    ShowName(kDefaultName);
  } else if (message.Type() == MessageType::e_updatePresetLoaded && plugin_) {
    ShowName(plugin_->LastPresetName());
  }
}
