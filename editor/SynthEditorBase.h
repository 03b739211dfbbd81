// The editor as the host sees it (get rectangle, open, close, idle, keys) and what every editor
// view shares: the root control, the tooltip, the dialog panel, the MIDI-learn flag and the
// parameter text display.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "Common/VSTi/AEffEditor.h"
#include "editor/RootControl.h"
#include "support/StopWatch.h"
#include "support/gui/Events.h"

class Norv;

// Shows a panel modally above the editor under a title and takes it away again (the About panel,
// the dialogs of preset operations).
class IDialogHost {
 public:
  virtual ~IDialogHost() = default;
  // The panel's frame in the tree; null when it could not be shown. UI thread
  virtual VGui::Ctrl* AddDialogControl(std::unique_ptr<VGui::Ctrl> panel,
                                       const std::string& title) = 0;
  virtual void RemoveDialogControl() = 0;
};

class SynthEditorBase : public vst::AEffEditor,
                        public VGui::ICtrlListener,
                        public VGui::ICmdListener {
 public:
  static constexpr int16_t kWidth = 962;
  static constexpr int16_t kHeight = 438;
  // Parameter texts are held back this long after the editor is made, while the first-open
  // updates move every control.
  static constexpr double kParameterTextDelaySeconds = 2.0;
  // The dialog panel's dimming behind a modal panel.
  static constexpr VGui::Colour kDialogPanelColour{32, 32, 32, 210};

  // Builds the root control (global styles from the resource folder), the tooltip and the dialog
  // panel. UI thread
  SynthEditorBase(Norv& plugin, const std::filesystem::path& resources);
  ~SynthEditorBase() override;

  // top 0, left 0, bottom 438, right 962. any host thread
  bool getRect(vst::ERect** rect) override;
  // The host's parent window while open, 0 when closed. UI thread
  uintptr_t SystemWindow() const { return systemWindow_; }

  Norv& Plugin() const { return plugin_; }
  RootControl& Root() const { return *root_; }

  // --- MIDI learn --------------------------------------------------------------------------------
  bool MIDILearn() const { return midiLearn_; }
  void SetMIDILearn(bool on) { midiLearn_ = on; }

  // --- Parameter text display -------------------------------------------------------------------
  // Where parameter texts go (a label of the skin, a status line); none by default. UI thread
  void SetParameterTextDisplay(std::function<void(const std::string&)> display) {
    parameterTextDisplay_ = std::move(display);
  }
  void SetShowParameterText(bool show) { showParameterText_ = show; }
  bool ShowParameterText() const { return showParameterText_; }
  // "<name> <value text> <label>", with "LEARN: " in front while MIDI learn is on. UI thread
  std::string ParameterText(int32_t index) const;
  // Hands the parameter's text to the display once the start-up delay has passed; answers whether
  // it did. UI thread
  bool DisplayParameterText(int32_t index);
  // The clock behind the start-up delay (tests move it). UI thread
  void SetClock(std::function<double()> clock);

  // --- Dialog panel and tooltip ------------------------------------------------------------------
  // The full-size dimming panel a modal panel sits on. UI thread
  const std::shared_ptr<const VGui::Style>& DialogPanelStyle() const { return dialogStyle_; }
  // Applies the tooltip colours of the skins. UI thread
  void ApplyTooltipColours();

  // --- ICtrlListener / ICmdListener: nothing of their own at this level (UI thread) -------------
  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override;
  void CommandEvent(const VGui::CommandEvent* event) override;

 protected:
  double NowSeconds() const { return clock_(); }
  // The host's parent window; stored by open, forgotten by close.
  uintptr_t systemWindow_ = 0;
  // Logs "SynthEditorBase::close" and forgets the parent.
  void CloseBase();
  // Releases the dialog panel, the root's notifications and the root, logging each step.
  void ShutdownBase();
  // The dimmed full-size panel shown modally under a dialog, and the titled frame on it; both
  // null while no dialog is shown.
  VGui::Ctrl* dialogPanel_ = nullptr;
  VGui::Ctrl* dialogFrame_ = nullptr;

 private:
  Norv& plugin_;
  std::unique_ptr<RootControl> root_;
  std::shared_ptr<const VGui::Style> dialogStyle_;
  bool midiLearn_ = false;
  bool showParameterText_ = true;
  std::function<void(const std::string&)> parameterTextDisplay_;
  std::function<double()> clock_;
  double createdSeconds_ = 0.0;
  vst::ERect rect_{0, 0, kHeight, kWidth};
};
