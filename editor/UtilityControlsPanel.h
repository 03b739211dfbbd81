// The utility strip: the product button's menu (About, the manual, the maker's web pages), the
// default preset buttons and the button that follows MIDI learn. Its controls come from
// "Global/UtilityControls.skin", loaded once the root skin has created the panel. UI thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "editor/EditorDelegateUser.h"
#include "plugin/MessagePort.h"
#include "support/gui/PopupMenu.h"
#include "support/gui/controls/CtrlPanel.h"

class IDialogHost;

// What the zoom submenu asks of the editor: the zoom shown checked and a change of it.
class IZoomHost {
 public:
  // The zooms offered, in percent of the 962 x 438 editor.
  static constexpr std::array<int32_t, 4> kZoomPercents{100, 125, 150, 200};

  virtual ~IZoomHost() = default;
  // The editor's zoom in percent. UI thread
  virtual int32_t ZoomPercent() const = 0;
  // Asks the host for the editor's size at the zoom; the editor changes only when it agrees.
  // UI thread
  virtual void RequestZoom(int32_t percent) = 0;
};

namespace VGui {
class CtrlButton;
}

class UtilityControlsPanel : public VGui::CtrlPanel,
                             public EditorDelegateUser,
                             public VGui::ICtrlListener,
                             public VGui::ICmdListener,
                             public IMessageHandler {
 public:
  static constexpr const char* kClassName = "UtilityControlsPanel";
  static constexpr const char* kBaseClassName = "CtrlPanel";
  static constexpr const char* kSkinFile = "Global/UtilityControls.skin";
  const char* ClassName() const override { return kClassName; }

  enum Command : int32_t {
    kShowAbout = 0,
    kOpenManual = 2,
    kCheckForUpdates = 3,
    kOpenForum = 4,
    kOpenFaq = 5,
    kOpenSupport = 6,
    kShowDevConsole = 7,
    kSavePresetAsDefault = 8,
    kClearDefaultPreset = 9,
    // The zoom submenu's items; the argument is the percentage.
    kSetZoom = 10,
  };
  static constexpr const char* kZoomMenuText = "Zoom";

  // Skin names of the panel's controls; all but the product button are optional.
  static constexpr const char* kProductButton = "NorvButton";
  static constexpr const char* kSaveDefaultButton = "SaveDefaultButton";
  static constexpr const char* kClearDefaultButton = "ClearDefaultButton";
  static constexpr const char* kLearnDependentButton = "MIDIClearButton";

  static constexpr const char* kUpdatesAddress = "https://www.quorvanta.com/tavo/updates";
  static constexpr const char* kForumAddress = "https://forum.quorvanta.com/c/tavo";
  static constexpr const char* kFaqAddress = "https://www.quorvanta.com/tavo/faq";
  static constexpr const char* kSupportAddress = "https://www.quorvanta.com/support";

  static constexpr const char* kOverwriteDefaultQuestion =
      "You already have a default preset, do you want to overwrite it?";
  static constexpr const char* kRemoveDefaultQuestion =
      "Are you sure you want to remove your default preset?";
  static constexpr const char* kSaveFailedText =
      "Failed to save file to disk. More information is available in the Run time log";

  UtilityControlsPanel();
  ~UtilityControlsPanel() override;

  // Loads the panel's own skin and binds its buttons. UI thread
  void SkinLoaded(VGui::SkinSet& skins) override;
  // Registers the panel for the editor's messages; null disconnects. UI thread
  void SetEditorDelegate(Norv* plugin) override;
  // Where the About panel is shown. UI thread
  void SetDialogHost(IDialogHost* host) { dialogHost_ = host; }
  // Where the zoom submenu's choices go; without one the menu has no zoom submenu. UI thread
  void SetZoomHost(IZoomHost* host) { zoomHost_ = host; }

  // The product button's menu, filled each time it opens. UI thread
  void ShowNorvMenu();
  // Fills the menu without showing it. UI thread
  void FillNorvMenu();
  const VGui::PopupMenu& Menu() const { return menu_; }
  // The address command 3-6 opens; empty for other commands. any thread
  static std::string WebAddressFor(int32_t command);

  // UI thread
  void DoShowAbout();
  void DoOpenManual();
  void DoShowDevConsole() {}
  void DoSavePresetAsDefault();
  void DoClearDefaultPreset();

  VGui::CtrlButton* LearnDependentButton() const { return learnDependent_; }

  // --- Events and messages (UI thread) -------------------------------------------------------
  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override;
  void CommandEvent(const VGui::CommandEvent* event) override;
  // 25: the learn-dependent button shows the opposite of the learn state.
  void HandleMessage(Message& message) override;

 private:
  void BindButtons();
  bool WriteDefaultPreset();

  VGui::CtrlButton* productButton_ = nullptr;
  VGui::CtrlButton* saveDefault_ = nullptr;
  VGui::CtrlButton* clearDefault_ = nullptr;
  VGui::CtrlButton* learnDependent_ = nullptr;
  IDialogHost* dialogHost_ = nullptr;
  IZoomHost* zoomHost_ = nullptr;
  VGui::PopupMenu menu_;
  bool handlerRegistered_ = false;
  bool skinLoaded_ = false;
};
