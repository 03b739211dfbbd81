// The preset strip: the current preset's name, previous and next buttons and the preset menu
// (save, load, rescan, reset and the preset list). Loading locks the engine for the moment the
// state document replaces its values. UI thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/EditorDelegateUser.h"
#include "plugin/MessagePort.h"
#include "support/gui/PopupMenu.h"
#include "support/gui/controls/CtrlPanel.h"

namespace VGui {
class CtrlButton;
class CtrlLabel;
}  // namespace VGui

class PresetPanel : public VGui::CtrlPanel,
                    public EditorDelegateUser,
                    public VGui::ICtrlListener,
                    public VGui::ICmdListener,
                    public IMessageHandler {
 public:
  static constexpr const char* kClassName = "PresetPanel";
  const char* ClassName() const override { return kClassName; }

  // Menu commands.
  enum Command : int32_t {
    kRescanPresets = 0,
    kResetPlugin = 1,
    kSavePreset = 2,
    kLoadPreset = 3,
    kLoadPresetAtIndex = 4,
  };
  static constexpr const char* kPresetExtension = "tavo";
  static constexpr const char* kDefaultName = "Default";
  static constexpr const char* kLoadFailedText = "Failed to load preset - (Error 0xH4n$010)";
  static constexpr const char* kSaveFailedText =
      "Failed to save file to disk. More information is available in the Run time log";
  static constexpr const char* kUnlockQueueEmptyText =
      "Unable to unlock the synth thread (unlock messages queue is empty)";
  static constexpr const char* kDialogQueueEmptyText =
      "Unable to unlock the synth thread (dialog messages queue is empty)";
  static constexpr int kLockPolls = 9;
  static constexpr std::chrono::milliseconds kLockPollInterval{125};

  using Sleeper = std::function<void(std::chrono::milliseconds)>;

  struct Preset {
    std::filesystem::path file;
    // The sub-folders between the searched folder and the file, outermost first.
    std::vector<std::string> folders;
  };

  PresetPanel();
  ~PresetPanel() override;

  // Registers the panel for the editor's messages and scans the presets; null disconnects. UI
  // thread
  void SetEditorDelegate(Norv* plugin) override;

  // --- Preset list (UI thread) -------------------------------------------------------------
  // The folders searched (the user presets and the factory presets unless a test gives others).
  void SetPresetFolders(std::vector<std::filesystem::path> folders);
  // Searches the folders and their sub-folders for preset files.
  void RescanPresets();
  const std::vector<Preset>& Presets() const { return presets_; }
  int32_t CurrentIndex() const { return currentIndex_; }
  // Steps through the list with wrap-around; nothing with fewer than 2 presets.
  void NextPreset();
  void PreviousPreset();
  // Loads the preset at index and makes it the current one. Answers whether it loaded.
  bool LoadPresetAtIndex(int32_t index);

  // --- Flows (UI thread) ---------------------------------------------------------------------
  // Locks the engine, loads the file through the plug-in, shows its name, unlocks. On failure the
  // "Failed to load preset" alert. Answers whether it loaded.
  bool LoadPresetFile(const std::filesystem::path& file);
  // The open dialog in the folder of the last loaded preset, then LoadPresetFile.
  void ChoosePresetToLoad();
  // A save dialog, then the state document into the chosen file.
  void ChoosePresetToSave();
  bool SavePresetFile(const std::filesystem::path& file);
  // Asks, then resets the engine when there is no default preset file.
  void DoResetPlugin();
  // Posts the lock and polls the plug-in up to 9 times, 125 ms apart; when the engine never
  // acknowledges, unlocks again and answers false.
  bool LockSynthThread();
  // The unlock for the engine and the dialog removal for the editor.
  void UnlockSynthThread();
  // Tests give a sleep that returns at once (or runs the engine).
  void SetSleeper(Sleeper sleeper) { sleeper_ = std::move(sleeper); }

  // The menu of the list button, filled again each time it opens.
  const VGui::PopupMenu& Menu() const { return menu_; }
  void BuildMenu();
  void ShowMenu();
  const std::string& PresetLabelText() const;
  const std::filesystem::path& LastFolder() const { return lastFolder_; }

  // --- Events and messages (UI thread) -------------------------------------------------------
  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override;
  void CommandEvent(const VGui::CommandEvent* event) override;
  // 20: the loaded preset's name ("Default" for the default preset); 5: "Default".
  void HandleMessage(Message& message) override;

 protected:
  void OnBoundsChanged() override;

 private:
  void CreateChildren();
  void LayOut();
  void ShowName(const std::string& name);
  void Sleep(std::chrono::milliseconds interval);
  MessagePort* Port() const;

  VGui::CtrlLabel* label_ = nullptr;
  VGui::CtrlButton* previous_ = nullptr;
  VGui::CtrlButton* next_ = nullptr;
  VGui::CtrlButton* list_ = nullptr;
  std::vector<std::filesystem::path> folders_;
  bool customFolders_ = false;
  std::vector<Preset> presets_;
  int32_t currentIndex_ = -1;
  std::filesystem::path lastFolder_;
  VGui::PopupMenu menu_;
  Sleeper sleeper_;
  bool handlerRegistered_ = false;
};
