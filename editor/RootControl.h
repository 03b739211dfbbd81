// The editor's root control: the toolkit's root plus MIDI learn on screen (the learnable controls,
// their binding texts, the learn overlay and target) and the drag-and-drop overlay. It talks to
// the engine only through the message port.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/EditorDelegateUser.h"
#include "editor/HostCallQueue.h"
#include "modulation/Binding.h"
#include "plugin/MessagePort.h"
#include "support/gui/CtrlRoot.h"

class Norv;

// Builds the binding a learnable control gets when it is learnt (the synth panel for its knobs,
// faders, buttons and the XY pad's two axes).
class ILearnDelegate {
 public:
  virtual ~ILearnDelegate() = default;
  // False when the control cannot be learnt now. UI thread
  virtual bool GetBindingForControl(const VGui::Ctrl& control, Binding& binding) = 0;
};

// What a panel reaches through its control's root (dynamic_cast of Ctrl::Root()).
class ILearningController {
 public:
  virtual ~ILearningController() = default;
  // The control stays registered until removed or until the root releases its children. UI thread
  virtual void AddLearnableControl(VGui::Ctrl* control, ILearnDelegate* delegate) = 0;
  virtual void RemoveLearnableControl(VGui::Ctrl* control) = 0;
  // UI thread
  virtual bool IsMIDILearnOn() const = 0;
  virtual void SetMIDILearnState(bool on) = 0;
  // A mouse edit of a control begins or ends outside learn mode: the host's gesture for the host
  // parameter bound to it. UI thread
  virtual void ControlEditBegins(VGui::Ctrl& control) = 0;
  virtual void ControlEditEnds(VGui::Ctrl& control) = 0;
};

class RootControl : public VGui::CtrlRoot,
                    public ILearningController,
                    public EditorDelegateUser,
                    public IMessageHandler,
                    public VGui::ICtrlListener {
 public:
  static constexpr const char* kClassName = "CtrlRootVstGui";
  const char* ClassName() const override { return kClassName; }

  static constexpr const char* kGlobalStylesFile = "GlobalStyles.skin";
  // The standalone wrapper announces itself with these host strings.
  static constexpr const char* kStandaloneProduct = "Standalone";
  static constexpr const char* kStandaloneVendor = "Quorvanta";

  // Loads the global styles and colours from the resource folder. UI thread
  explicit RootControl(const std::filesystem::path& resources);
  ~RootControl() override;

  // Gives the root the plug-in (null takes it away): registers it for the editor's messages and
  // reads the learn colours. UI thread
  void SetEditorDelegate(Norv* plugin) override;
  // Undoes the message registration (destruction). UI thread
  void DetachFromPlugin();
  // Begin and end edit go to the host this way (the editor's host-call queue). UI thread
  void SetHostCallSink(std::function<void(const HostCall&)> sink) { hostCalls_ = std::move(sink); }

  // Clears both flags for the standalone wrapper, sets them for any other host. UI thread
  void SetStandaloneHostFlags(const std::string& hostProduct, const std::string& hostVendor);
  bool HostGesturesEnabled() const { return hostGesturesEnabled_; }
  bool HostBindingsShown() const { return hostBindingsShown_; }

  // A drag and drop over the editor tints the whole root. UI thread
  void SetDragAndDropOverlay(bool on);
  bool DragAndDropOverlay() const { return dragAndDropOverlay_; }

  // --- ILearningController (UI thread) --------------------------------------------------------
  void AddLearnableControl(VGui::Ctrl* control, ILearnDelegate* delegate) override;
  void RemoveLearnableControl(VGui::Ctrl* control) override;
  bool IsMIDILearnOn() const override { return learnOverlay_; }
  // Detaches the tooltip, cancels a pending learn in the engine, attaches the tooltip again and
  // redraws.
  void SetMIDILearnState(bool on) override;
  void ControlEditBegins(VGui::Ctrl& control) override;
  void ControlEditEnds(VGui::Ctrl& control) override;
  // The host's begin (or end) edit for host parameter index, unless learn mode is on or the host
  // is the standalone wrapper; the plug-in ignores the host's changes of a parameter held this
  // way. UI thread
  void DoSendBeginEditMessage(int32_t index, bool begin);
  // Tells the host of an edit of parameter `index` through the host-call queue, so that it comes
  // from the host's thread and after the gesture's begin edit. Answers false where there is no
  // host to tell (the standalone wrapper). UI thread
  bool SendHostAutomate(int32_t index, float value);

  // The learn target chosen by a click in learn mode; null when none. UI thread
  VGui::Ctrl* LearnTarget() const { return learnTarget_; }
  size_t LearnableCount() const { return learnables_.size(); }
  // The binding text shown for a learnable control ("M 1.7"), empty when unbound or not drawn.
  // UI thread
  std::string BindingTextOf(const VGui::Ctrl* control) const;
  // "M %d.%d" (channel counted from 1, controller) or "H %d" (host index counted from 1). any
  // thread
  static std::string GetBindingDrawString(const Binding& binding);

  // Reads the engine's bindings again and redraws the learn target. UI thread
  void DoInvalidateOnScreenLearnTarget();
  // Releases every child and forgets the learnable controls (destruction). UI thread
  void ReleaseChildren();

  // --- IMessageHandler: 25 switches learn mode, 26 refreshes binding texts (UI thread) ---------
  void HandleMessage(Message& message) override;
  // --- ICtrlListener (UI thread) ----------------------------------------------------------------
  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override;

  // Learn mode's mouse handling over a learnable control: a left click makes it the target and
  // sends the learn request; right clicks are swallowed. Answers whether the point is over a
  // learnable control. UI thread
  bool LearnClick(VGui::Point rootPoint, VGui::MouseButton button);
  // Draws the learn overlay (in learn mode) and the drag-and-drop overlay, root coordinates.
  void DrawOverlays(VGui::Canvas& canvas);

 private:
  struct Learnable {
    VGui::Ctrl* control = nullptr;
    ILearnDelegate* delegate = nullptr;
    std::string bindingText;
  };
  class OverlayLayer;

  Learnable* LearnableAt(VGui::Point rootPoint);
  Learnable* Find(const VGui::Ctrl* control);
  // Visible, and wholly inside every ancestor.
  static bool WhollyShown(const VGui::Ctrl& control);
  void DoSendLearnRequest(Learnable& learnable);
  void DoSendClearLearnRequest();
  int32_t HostIndexOf(VGui::Ctrl& control);
  void RefreshBindingTexts();
  void UpdateOverlayLayer();

  MessagePort* port_ = nullptr;
  std::function<void(const HostCall&)> hostCalls_;
  bool dragAndDropOverlay_ = false;
  bool learnOverlay_ = false;
  std::vector<Learnable> learnables_;
  VGui::Ctrl* learnTarget_ = nullptr;
  VGui::Ctrl* overlayLayer_ = nullptr;
  VGui::Colour learnOverlayColour_{255, 140, 0, 70};
  VGui::Colour learnTargetColour_{255, 60, 60, 120};
  VGui::Colour dragAndDropOverlayColour_{60, 120, 255, 60};
  bool hostGesturesEnabled_ = true;
  bool hostBindingsShown_ = true;
  // The host parameter whose gesture is open, -1 for none.
  int32_t gestureIndex_ = -1;
};
