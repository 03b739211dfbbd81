// The Transmod selector: one button per modulation source ("TransmodSource0" for none, then the
// eleven sources) from "Synth/Transmod.skin". Exactly one is selected; the panel tells its
// delegates which, so the knobs and faders edit that source's depth. A button whose source
// modulates anything takes "TransmodUsedButtonStyle", the others "TransmodButtonStyle". UI thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/EditorDelegateUser.h"
#include "plugin/MessagePort.h"
#include "support/gui/PopupMenu.h"
#include "support/gui/controls/CtrlPanel.h"

// Told about the source selected in the Transmod panel (0 for none).
class ITransmodDelegate {
 public:
  virtual ~ITransmodDelegate() = default;
  // UI thread
  virtual void SelectedSourceChanged(int32_t source) = 0;
};

class TransmodPanel : public VGui::CtrlPanel,
                      public EditorDelegateUser,
                      public VGui::ICtrlListener,
                      public VGui::ICmdListener,
                      public IMessageHandler {
 public:
  static constexpr const char* kClassName = "TransmodPanel";
  static constexpr const char* kBaseClassName = "CtrlPanel";
  static constexpr const char* kSkinFile = "Synth/Transmod.skin";
  static constexpr const char* kButtonPrefix = "TransmodSource";
  // Optional activity lights beside the buttons ("TransmodLight1" ...), flashed when a control
  // the source modulates is pressed.
  static constexpr const char* kLightPrefix = "TransmodLight";
  static constexpr const char* kButtonStyle = "TransmodButtonStyle";
  static constexpr const char* kUsedButtonStyle = "TransmodUsedButtonStyle";
  // Source 0 (none) and the eleven modulation sources.
  static constexpr int32_t kNumButtons = 12;

  enum Command : int32_t {
    kUnipolar = 0,
    kBipolar = 1,
    kRemoveSourceDestinations = 2,
    kRemoveAllDestinations = 3,
  };

  TransmodPanel();
  ~TransmodPanel() override;
  const char* ClassName() const override { return kClassName; }

  // Loads the Transmod skin and takes over its buttons. UI thread
  void SkinLoaded(VGui::SkinSet& skins) override;
  bool LoadSkin(VGui::SkinSet& skins);

  // UI thread
  void AddDelegate(ITransmodDelegate* delegate);
  void RemoveDelegate(ITransmodDelegate* delegate);
  int32_t SelectedSource() const { return selected_; }
  // Selects the source (0-11) and tells the delegates. UI thread
  void SelectSource(int32_t source);
  VGui::Ctrl* SourceButton(int32_t source) const;

  // Button styles after the plug-in's routing: every source, or one. UI thread
  void UpdateControls();
  void UpdateSource(int32_t source);
  // Briefly lights the source's button (a knob pressed that it modulates). UI thread
  void FlashSource(int32_t source);

  // 20 refreshes every button, 28 the button of the message's source (-1: all). UI thread
  void HandleMessage(Message& message) override;
  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override;
  void CommandEvent(const VGui::CommandEvent* event) override;
  const VGui::PopupMenu& ContextMenu() const { return menu_; }
  void ShowSourceMenu(int32_t source);

 private:
  int32_t SourceOf(const VGui::Ctrl& control) const;
  bool SourceUsed(int32_t source) const;
  void ShowSelection();

  std::array<VGui::Ctrl*, kNumButtons> buttons_{};
  std::vector<ITransmodDelegate*> delegates_;
  VGui::PopupMenu menu_;
  int32_t selected_ = 0;
  int32_t menuSource_ = 0;
};
