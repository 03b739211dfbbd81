// The synth panel: every control of "Synth/SynthControls.skin" bound to its parameter, the
// visualisation panels, the Transmod selector, the value-entry field, the context menus and the
// oversampling switch. It turns control events into messages for the engine (through the
// plug-in's message port) and engine notifications back into control values. UI thread.
//
// A mouse edit of a knob, fader or slider reaches the host as one gesture: begin and end edit go
// through the root's learning controller (the editor's RootControl), or straight to the plug-in
// under a plain toolkit root.
//
// Life: the root skin declares a control of class "SynthEditor"; the skin loader creates it and,
// once its own children are loaded, SkinLoaded() loads the synth skin and binds the controls. The
// editor then connects it to the plug-in (SetEditorDelegate: message handler and 40 ms timer) and
// to itself (SetEditorHost: host gestures and the parameter text display), and calls
// PostMessagingInitialized() on its first open.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditorDelegateUser.h"
#include "editor/ParameterControls.h"
#include "editor/RootControl.h"
#include "editor/TransmodPanel.h"
#include "plugin/MessagePort.h"
#include "support/gui/PopupMenu.h"
#include "support/gui/controls/CtrlPanel.h"

namespace VGui {
class CtrlRoot;
class SkinSet;
}  // namespace VGui

class VizPanel;
class XYPad;

// What the synth panel tells the editor object that owns the window.
class ISynthEditorHost {
 public:
  virtual ~ISynthEditorHost() = default;
  // A control changed parameter `index` (0-59): the parameter text display. UI thread
  virtual void ParameterValueChanged(int32_t index, float value) = 0;
  // Tells the host of the user's edit of parameter `index` (0-59) from the host's thread; false
  // when this editor has no host to tell, and the engine then tells it. UI thread
  virtual bool TellHostOfEdit(int32_t index, float value) = 0;
};

class SynthEditor : public VGui::CtrlPanel,
                    public EditorDelegateUser,
                    public VGui::ICtrlListener,
                    public VGui::ICmdListener,
                    public IMessageHandler,
                    public ITransmodDelegate,
                    public ILearnDelegate,
                    public VGui::CAutoTimerCallback {
 public:
  static constexpr const char* kClassName = "SynthEditor";
  static constexpr const char* kBaseClassName = "CtrlPanel";
  static constexpr const char* kSkinFile = "Synth/SynthControls.skin";

  // Command ids of the controls that are not parameters.
  static constexpr int32_t kTransmodId = 860;
  static constexpr int32_t kMeterId = 860;
  static constexpr int32_t kFilter1TypeLabelId = 368;
  static constexpr int32_t kFilter2TypeLabelId = 369;
  static constexpr int32_t kFieldEditorId = 560;
  static constexpr int32_t kFlasherId = 660;
  static constexpr int32_t kOversampleId = 760;
  static constexpr int32_t kVizId = 960;
  static constexpr int32_t kMIDILearnId = 1260;

  // Commands of the context menu (and of the double click).
  enum Command : int32_t {
    kEditValue = 0,
    kResetControl = 1,
    kRemoveSourceModulation = 2,
    kRemoveAllModulation = 3,
    kShowControl = 4,
    kFilter1ModeChoice = 5,
    kFilter2ModeChoice = 6,
    kDriveModeChoice = 7,
  };

  // The engine must be idle while its rate changes: the lock is polled this often, this far apart.
  static constexpr int kLockPolls = 9;
  static constexpr std::chrono::milliseconds kLockPollInterval{125};
  // Factors of the "Oversample" button's two states.
  static constexpr int32_t kOversamplingOn = 4;
  static constexpr int32_t kOversamplingOff = 2;

  enum class DoubleClickMode { kReset, kEdit };
  using Sleeper = std::function<void(std::chrono::milliseconds)>;

  SynthEditor();
  ~SynthEditor() override;
  const char* ClassName() const override { return kClassName; }

  // --- Building (UI thread) ------------------------------------------------------------------
  // Loads the synth skin onto this panel and binds every control (SynthEditor::LoadSkin). The
  // reasons of controls that could not be bound are kept in BindProblems(). UI thread
  bool LoadSkin(VGui::SkinSet& skins);
  void SkinLoaded(VGui::SkinSet& skins) override;
  const std::vector<std::string>& BindProblems() const { return bindProblems_; }
  // Registers this panel as message handler on the plug-in's port and joins the root's timer.
  // UI thread
  void SetEditorDelegate(Norv* plugin) override;
  void SetEditorHost(ISynthEditorHost* host) { host_ = host; }
  // Brings every control up to date with the plug-in (the editor's first open). UI thread
  void PostMessagingInitialized();

  // --- Engine notifications and values (UI thread) -------------------------------------------
  void HandleMessage(Message& message) override;
  // The control bound to the parameter takes the plug-in's value (a filter type also its label).
  void UpdateControlForEngineParameter(int32_t index);
  // Every parameter 0-59, then the XY pad's handle.
  void UpdateAllControls();

  // --- Control and command events (UI thread) ------------------------------------------------
  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override;
  void CommandEvent(const VGui::CommandEvent* event) override;
  void ATC_Tick() override;
  void SelectedSourceChanged(int32_t source) override;
  // A binding to "Synth" carrying message type 14 for the control's parameter and the selected
  // source (range -1..1 and the name "<parameter> (<source>)" with a source). UI thread
  bool GetBindingForControl(const VGui::Ctrl& control, Binding& binding) override;

  // --- Menus, field and tooltips (UI thread) -------------------------------------------------
  // Fills the shared context menu for the control and opens it at the control's position.
  void ShowMenu(VGui::Ctrl& control);
  const VGui::PopupMenu& ContextMenu() const { return menu_; }
  void StartFieldEditor(VGui::Ctrl& control);
  void StopFieldEditor();
  VGui::Ctrl* FieldEditorControl() const { return fieldEditorTarget_; }
  std::string GetFieldEditorTextForControl(const VGui::Ctrl& control) const;
  std::optional<float> GetValueForFieldEditorText(const VGui::Ctrl& control,
                                                  std::string_view text) const;
  std::string GetToolTipText(const VGui::Ctrl& control) const;
  void HandleControlReset(const VGui::Ctrl& control);

  // "DoubleClickMode" preference: "Edit" opens the value field, anything else resets. UI thread
  void SetDoubleClickMode(DoubleClickMode mode) { doubleClickMode_ = mode; }
  DoubleClickMode GetDoubleClickMode() const { return doubleClickMode_; }
  static DoubleClickMode DoubleClickModeFromPreference(std::string_view text);

  // --- Oversampling switch (UI thread) -------------------------------------------------------
  // Tests give a sleep that returns at once.
  void SetSleeper(Sleeper sleeper) { sleeper_ = std::move(sleeper); }
  // Posts the lock and polls the plug-in's locked state; false (after posting the unlock) when
  // the engine never acknowledged. UI thread
  bool LockSynthThread();
  // The unlock ahead of everything else, and the dialog-removal notification. UI thread
  void UnlockSynthThread();
  void SwitchOversampling(bool on);

  // --- Lookups -------------------------------------------------------------------------------
  // The bound control of a row of the control table (null when the skin lacks it). UI thread
  VGui::Ctrl* BoundControl(std::string_view skinName) const;
  // The control bound to parameter index 0-59 (null when none). UI thread
  VGui::Ctrl* ControlForParameter(int32_t index) const;
  const std::array<VizPanel*, 9>& VizPanels() const { return vizPanels_; }
  TransmodPanel* Transmod() const;
  // The XY pad the editor put into "XYControllerPanel" (null until then). UI thread
  XYPad* Pad() const;
  int32_t SelectedSource() const { return selectedSource_; }
  // The knobs and faders that show modulation. UI thread
  const std::vector<VGui::Ctrl*>& ModulationAwareControls() const { return smartControls_; }

 private:
  void BindRows(bool lateRowsOnly);
  void CreateVizPanels(const VGui::SkinSet& skins);
  void ConnectTransmod();
  void FillFMCombos();
  void CollectModulationAwareControls();
  void PutFlashersOut();
  void RefreshOversampleButton();

  Norv* Plugin() const { return plugin_; }
  bool Post(MessageType type, std::initializer_list<MessageValue> values);
  // A user's edit of parameter `index` (source 0) as a set-parameter message: the host hears it
  // from the editor, inside the gesture, and the engine is asked not to tell it again.
  bool PostParameterEdit(int32_t index, float value);
  float PluginValue(int32_t index) const;
  ConvertorContext Context() const;
  int32_t ParameterOf(const VGui::Ctrl& control) const;

  void HandleSmartControlMouseDown(VGui::Ctrl& control);
  void HandleNonSmartControlMouseDown(VGui::Ctrl& control);
  void HandleSmartControlValueChange(VGui::Ctrl& control);
  void HandleNonSmartControlValueChange(VGui::Ctrl& control);
  void SendNonSmartValueChange(VGui::Ctrl& control, float value);
  void HandleDoubleClick(VGui::Ctrl& control);
  void HandleGesture(VGui::Ctrl& control, bool begin);
  void HandleMIDILearnChange(VGui::Ctrl& control);
  void FlashTransmod(VGui::Ctrl& control);
  void FlashTrigger(int32_t which);
  void MoveXYHandleToPlugin();
  void UpdateMeters();
  void UpdateFilterTypeLabel(int32_t slot);
  void AddModeSubmenu(VGui::Ctrl& control);
  void AddModulationItems(VGui::Ctrl& control);

  std::vector<VGui::Ctrl*> bound_;  // one per row of the control table
  std::array<VizPanel*, 9> vizPanels_{};
  std::vector<VGui::Ctrl*> smartControls_;
  std::vector<std::string> bindProblems_;
  VGui::PopupMenu menu_;
  VGui::Ctrl* fieldEditorTarget_ = nullptr;
  std::optional<float> pendingStartValue_;
  ISynthEditorHost* host_ = nullptr;
  VGui::CtrlRoot* timerRoot_ = nullptr;
  Sleeper sleeper_;
  DoubleClickMode doubleClickMode_ = DoubleClickMode::kReset;
  int32_t selectedSource_ = 0;
  bool handlerRegistered_ = false;
};
