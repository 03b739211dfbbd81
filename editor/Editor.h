// The plug-in's editor: builds the controls from the root skin on its first open, opens the root
// window in the host's parent on every open, runs the 40 ms tick (frame rate, engine messages,
// repaint), shows modal panels and carries the synth panel's host calls to the host's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "editor/EditorDelegateUser.h"
#include "editor/HostCallQueue.h"
#include "editor/SynthEditor.h"
#include "editor/SynthEditorBase.h"
#include "editor/UtilityControlsPanel.h"
#include "plugin/MessagePort.h"
#include "support/StopWatch.h"
#include "support/gui/Events.h"
#include "support/gui/RootWindow.h"

class PresetPanel;
class XYPad;

namespace VGui {
class CtrlLabel;
}

// What an editor needs beyond the plug-in: where its resources are and, for tests and headless
// renders, a window of their own and a clock.
struct EditorOptions {
  // The resource folder; empty for the installation's.
  std::filesystem::path resources;
  // Opens the root window in the host's parent (RootWindow::Open unless given).
  std::function<std::unique_ptr<VGui::RootWindow>(
      VGui::CtrlRoot&, uintptr_t parent, VGui::Size logical, float scale, std::string& error)>
      openWindow;
  // Seconds on a monotonic clock (VFoundation::NowSeconds unless given).
  std::function<double()> clock;
  // The zoom in percent to open at instead of the "Zoom" preference (0: the preference).
  int32_t zoomPercent = 0;
};

class Editor : public SynthEditorBase,
               public VGui::CAutoTimerCallback,
               public IMessageHandler,
               public ISynthEditorHost,
               public IDialogHost,
               public IZoomHost {
 public:
  static constexpr const char* kRootSkinFile = "RootSkin.skin";
  static constexpr const char* kCursorFolder = "Cursors";
  static constexpr int32_t kSynthEditorId = 56845;
  static constexpr int32_t kXYPadId = 5678;
  static constexpr int32_t kPresetPanelId = 56789;
  static constexpr int32_t kUtilityControlsId = 56845;
  // The label the frame rate goes to when the skin has one.
  static constexpr const char* kFrameRateLabel = "FrameRateLabel";
  // The preference holding the zoom in percent, used at every open.
  static constexpr const char* kZoomPreference = "Zoom";

  Editor(Norv& plugin, EditorOptions options = {});
  ~Editor() override;

  // --- Host editor operations (host's thread) ---------------------------------------------------
  bool open(void* parent) override;
  void close() override;
  bool isOpen() const override { return window_ != nullptr; }
  void idle() override;
  // A refresh request: the whole root repaints at the next tick. any host thread
  void update();
  bool onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers) override;
  bool onKeyUp(int32_t character, int32_t virtualKey, int32_t modifiers) override;
  // The editor's size in device pixels at its zoom (962 x 438 at 100 %); while a zoom change waits
  // for the host's answer, the size asked for. any host thread
  bool getRect(vst::ERect** rect) override;

  // --- Zoom --------------------------------------------------------------------------------------
  // The device-pixel size of the editor at a zoom. any thread
  static VGui::Size ZoomedSize(int32_t percent);
  // The percentage when it is one of the zooms offered, otherwise 100 (a hand-edited preference).
  // any thread
  static int32_t ValidZoom(int32_t percent);
  // The zoom the editor is drawn at. any thread
  int32_t ZoomPercent() const override { return zoomPercent_.load(); }
  // Tells the host the size of the new zoom (through the host-call queue); once the host agrees
  // the window takes the size at the next tick and the preference keeps it. A host that refuses
  // leaves everything as it was. UI thread
  void RequestZoom(int32_t percent) override;

  // --- Building (UI thread)
  // ----------------------------------------------------------------------- Cursors and controls,
  // once per editor object.
  void Initialize();
  void CreateControls();
  bool ControlsCreated() const { return controlsCreated_; }
  // Brings the synth panel up to date (the first open).
  void PostMessagingInitialized();
  // Asks for the binding texts and host parameter names again (posts 26 and 24 to the editor).
  void PostPresetLoadedMessages();

  // --- The 40 ms tick (window's GUI thread) ----------------------------------------------------
  void ATC_Tick() override;
  void ATC_Tick_Before_Messages() {}
  void ATC_Tick_After_Messages();
  // The last frame-rate text ("25.0"); empty before the first full second.
  const std::string& FrameRateText() const { return frameRateText_; }

  // --- Engine notifications: 5 and 20 refresh the binding texts, 22 closes the dialog (UI thread)
  void HandleMessage(Message& message) override;

  // --- Modal panels (UI thread) ------------------------------------------------------------------
  // Shows panel modally under a title, on the dimmed dialog panel; replaces one already shown.
  VGui::Ctrl* AddDialogControl(std::unique_ptr<VGui::Ctrl> panel,
                               const std::string& title) override;
  void RemoveDialogControl() override;
  // The frame around the shown panel (null when none).
  VGui::Ctrl* DialogFrame() const { return dialogFrame_; }

  // --- ISynthEditorHost (UI thread) ----------------------------------------------------------
  void ParameterValueChanged(int32_t index, float value) override;
  bool TellHostOfEdit(int32_t index, float value) override;

  // --- Host calls (the queue itself is safe on any thread) ------------------------------------
  HostCallQueue& HostCalls() { return hostCalls_; }

  // --- The views (null until built, or when the skin lacks them); UI thread ----------------------
  VGui::Ctrl* MainPanel() const { return mainPanel_; }
  SynthEditor* GetSynthEditor() const { return synthEditor_; }
  XYPad* GetXYPad() const { return xyPad_; }
  PresetPanel* GetPresetPanel() const { return presetPanel_; }
  UtilityControlsPanel* GetUtilityControls() const { return utilityControls_; }
  VGui::RootWindow* Window() const { return window_.get(); }

 private:
  void ReportParameterValuesToHost();
  void CloseWindow();
  void ReadDeveloperPreferences();
  void UpdateFrameRate();
  void DeliverHostCall(const HostCall& call);
  // The options' zoom or else the preference, checked; 100 when missing or not a zoom offered.
  int32_t PreferredZoom() const;
  // audioMasterSizeWindow for the zoom; getRect answers its size while the host decides (hosts
  // ask from inside the call). The host's thread, or the GUI thread when it calls no idle.
  void AskHostForZoom(int32_t percent);
  // The host agreed to a size: the window takes it (the window's GUI thread).
  void ApplyAgreedZoom();
  // Logs each step: the root releases its children, the main panel goes, the views leave the
  // message port.
  void ShutdownEditor();

  EditorOptions options_;
  std::filesystem::path resources_;
  std::unique_ptr<VGui::RootWindow> window_;
  VGui::Ctrl* mainPanel_ = nullptr;
  SynthEditor* synthEditor_ = nullptr;
  XYPad* xyPad_ = nullptr;
  PresetPanel* presetPanel_ = nullptr;
  UtilityControlsPanel* utilityControls_ = nullptr;
  VGui::CtrlLabel* frameRateLabel_ = nullptr;
  bool controlsCreated_ = false;
  bool openedOnce_ = false;
  bool handlerRegistered_ = false;
  std::atomic<bool> repaintAll_{false};
  // Frames counted since the frame-rate stopwatch last restarted.
  int32_t frameCount_ = 0;
  double frameRateStart_ = 0.0;
  std::string frameRateText_;
  // How long the last tick's message drain, repaint request and whole tick took (diagnostics).
  double messageSeconds_ = 0.0;
  double repaintSeconds_ = 0.0;
  double tickSeconds_ = 0.0;
  HostCallQueue hostCalls_;
  // The zoom drawn, the zoom whose size getRect answers, and the one the host agreed to that the
  // window has yet to take (0: none). Written on the host's and the GUI thread.
  std::atomic<int32_t> zoomPercent_{100};
  std::atomic<int32_t> rectZoom_{100};
  std::atomic<int32_t> agreedZoom_{0};
  vst::ERect zoomRect_{};
};
