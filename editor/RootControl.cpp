// The editor's root control: MIDI learn on screen and the overlays.
#include "editor/RootControl.h"

#include <algorithm>
#include <cstdio>

#include "modulation/BindingMap.h"
#include "modulation/BindingMessage.h"
#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/SkinSet.h"

// A layer above every other child of the root: it draws the overlays and, in learn mode, takes the
// mouse over learnable controls so that their clicks choose the learn target instead of editing.
class RootControl::OverlayLayer : public VGui::Ctrl {
 public:
  explicit OverlayLayer(RootControl& root) : root_(root) { SetName("LearnOverlay"); }
  bool HitTest(VGui::Point local) const override {
    return root_.IsMIDILearnOn() && root_.LearnableAt(local) != nullptr;
  }
  bool OnMouseDown(const VGui::MouseEvent& e) override {
    return root_.LearnClick(e.position, e.button);
  }
  bool OnMouseUp(const VGui::MouseEvent&) override { return true; }
  bool OnDoubleClick(const VGui::MouseEvent&) override { return true; }
  bool OnMouseWheel(const VGui::MouseEvent&) override { return true; }
  void Draw(VGui::Canvas& canvas) override { root_.DrawOverlays(canvas); }

 private:
  RootControl& root_;
};

RootControl::RootControl(const std::filesystem::path& resources) {
  SetName("Root");
  Skins().SetResourceFolder(resources);
  if (!VGui::LoadStyles(kGlobalStylesFile, Skins())) {
    VFoundation::Log("%s, Failed to load skin on path %s\n", "RootControl::RootControl",
                     kGlobalStylesFile);
  }
}

RootControl::~RootControl() {
  DetachFromPlugin();
  learnables_.clear();
}

void RootControl::SetEditorDelegate(Norv* plugin) {
  if (plugin_ == plugin) return;
  DetachFromPlugin();
  if (!plugin) return;
  plugin_ = plugin;
  port_ = &plugin->Port();
  port_->RegisterEditorHandler(kMessageClass, this);
  learnOverlayColour_ = Skins().ColourOr("LearnOverlayColour", learnOverlayColour_);
  learnTargetColour_ = Skins().ColourOr("LearnTargetColour", learnTargetColour_);
  dragAndDropOverlayColour_ =
      Skins().ColourOr("DragAndDropOverlayColour", dragAndDropOverlayColour_);
}

void RootControl::DetachFromPlugin() {
  if (port_) port_->UnregisterEditorHandler(this);
  port_ = nullptr;
  plugin_ = nullptr;
}

void RootControl::SetStandaloneHostFlags(const std::string& hostProduct,
                                         const std::string& hostVendor) {
  const bool standalone = hostProduct == kStandaloneProduct && hostVendor == kStandaloneVendor;
  hostGesturesEnabled_ = !standalone;
  hostBindingsShown_ = !standalone;
}

void RootControl::SetDragAndDropOverlay(bool on) {
  if (dragAndDropOverlay_ == on) return;
  dragAndDropOverlay_ = on;
  UpdateOverlayLayer();
  Invalidate();
}

// --- Learnable controls ----------------------------------------------------------------------

void RootControl::AddLearnableControl(VGui::Ctrl* control, ILearnDelegate* delegate) {
  if (!control || !delegate) return;
  if (Learnable* known = Find(control)) {
    known->delegate = delegate;
    return;
  }
  learnables_.push_back({control, delegate, {}});
}

void RootControl::RemoveLearnableControl(VGui::Ctrl* control) {
  std::erase_if(learnables_, [control](const Learnable& l) { return l.control == control; });
  if (learnTarget_ == control) learnTarget_ = nullptr;
}

RootControl::Learnable* RootControl::Find(const VGui::Ctrl* control) {
  for (Learnable& learnable : learnables_) {
    if (learnable.control == control) return &learnable;
  }
  return nullptr;
}

std::string RootControl::BindingTextOf(const VGui::Ctrl* control) const {
  for (const Learnable& learnable : learnables_) {
    if (learnable.control == control) return learnable.bindingText;
  }
  return {};
}

bool RootControl::WhollyShown(const VGui::Ctrl& control) {
  if (!control.Showing()) return false;
  const VGui::Rect bounds = control.RootBounds();
  for (const VGui::Ctrl* parent = control.Parent(); parent; parent = parent->Parent()) {
    if (!parent->RootBounds().Contains(bounds)) return false;
  }
  return true;
}

RootControl::Learnable* RootControl::LearnableAt(VGui::Point rootPoint) {
  // The last registered control wins where controls nest (the XY pad's targets inside a panel).
  for (auto it = learnables_.rbegin(); it != learnables_.rend(); ++it) {
    if (it->control->Root() != this || !WhollyShown(*it->control)) continue;
    if (it->control->RootBounds().Contains(rootPoint)) return &*it;
  }
  return nullptr;
}

// --- Learn mode --------------------------------------------------------------------------------

void RootControl::SetMIDILearnState(bool on) {
  SetTooltipsEnabled(false);
  DoSendClearLearnRequest();
  SetTooltipsEnabled(true);
  learnOverlay_ = on;
  learnTarget_ = nullptr;
  if (on) RefreshBindingTexts();
  UpdateOverlayLayer();
  Invalidate();
}

bool RootControl::LearnClick(VGui::Point rootPoint, VGui::MouseButton button) {
  if (!learnOverlay_) return false;
  Learnable* learnable = LearnableAt(rootPoint);
  if (!learnable) return false;
  if (button == VGui::MouseButton::kLeft) {
    if (learnTarget_) learnTarget_->Invalidate();
    learnTarget_ = learnable->control;
    learnTarget_->Invalidate();
    DoSendLearnRequest(*learnable);
  }
  return true;
}

void RootControl::DoSendLearnRequest(Learnable& learnable) {
  if (!port_) return;
  Binding binding;
  if (!learnable.delegate->GetBindingForControl(*learnable.control, binding)) return;
  if (Message* carrier = port_->GetMessage(kBindingMessageClass)) {
    auto* bindingMessage = static_cast<BindingMessage*>(carrier);
    bindingMessage->SetBinding(binding);
    bindingMessage->SetType(MessageType::e_setTargetLearnBinding);
    port_->PostMessageToSynth(bindingMessage);
    return;
  }
  // Without a binding carrier the engine still learns a parameter from its index and column.
  const Message& prototype = binding.Prototype();
  port_->PostMessageToSynth(MessageType::e_setTargetLearnBinding,
                            {prototype.Value(0), prototype.Value(1)});
}

void RootControl::DoSendClearLearnRequest() {
  if (port_) port_->PostMessageToSynth(MessageType::e_clearTargetLearnBinding);
}

// --- Host gestures ---------------------------------------------------------------------------

int32_t RootControl::HostIndexOf(VGui::Ctrl& control) {
  Learnable* learnable = Find(&control);
  if (!learnable || !plugin_) return -1;
  Binding binding;
  if (!learnable->delegate->GetBindingForControl(control, binding) || !binding.HasPrototype()) {
    return -1;
  }
  // The host bindings are made at set-up and never change afterwards, so reading them here is
  // safe while the engine runs.
  return plugin_->Bindings().GetIndexOfHostBindingWithMatchingPrototype(binding.Prototype());
}

void RootControl::ControlEditBegins(VGui::Ctrl& control) {
  const int32_t index = HostIndexOf(control);
  if (index >= 0) DoSendBeginEditMessage(index, true);
}

void RootControl::ControlEditEnds(VGui::Ctrl& control) {
  const int32_t index = HostIndexOf(control);
  if (index >= 0) DoSendBeginEditMessage(index, false);
}

void RootControl::DoSendBeginEditMessage(int32_t index, bool begin) {
  if (!plugin_ || index < 0) return;
  if (!begin) {
    if (gestureIndex_ != index) return;
    plugin_->SetHeldParameter(-1);
    if (hostGesturesEnabled_ && hostCalls_) hostCalls_({HostCallKind::kEndEdit, index, 0.0f});
    gestureIndex_ = -1;
    return;
  }
  if (learnOverlay_) return;
  // One gesture at a time: a begin without its end (a lost mouse release) closes the old one.
  if (gestureIndex_ >= 0) DoSendBeginEditMessage(gestureIndex_, false);
  gestureIndex_ = index;
  plugin_->SetHeldParameter(index);
  if (hostGesturesEnabled_ && hostCalls_) hostCalls_({HostCallKind::kBeginEdit, index, 0.0f});
}

bool RootControl::SendHostAutomate(int32_t index, float value) {
  if (!plugin_ || index < 0 || !hostGesturesEnabled_ || !hostCalls_) return false;
  hostCalls_({HostCallKind::kAutomate, index, value});
  return true;
}

// --- Binding texts -------------------------------------------------------------------------------

std::string RootControl::GetBindingDrawString(const Binding& binding) {
  char text[32];
  if (binding.IsMIDI()) {
    std::snprintf(text, sizeof text, "M %d.%d", binding.MajorIndex() + 1, binding.MinorIndex());
  } else {
    std::snprintf(text, sizeof text, "H %d", binding.MajorIndex() + 1);
  }
  return text;
}

void RootControl::RefreshBindingTexts() {
  if (!plugin_) return;
  std::vector<Binding> bindings;
  plugin_->Bindings().CopyBindings(bindings);
  for (Learnable& learnable : learnables_) {
    learnable.bindingText.clear();
    Binding wanted;
    if (!learnable.delegate->GetBindingForControl(*learnable.control, wanted)) continue;
    // Controller bindings come first in the copy, so a learnt controller shows before the
    // parameter's own host binding.
    auto found = std::find(bindings.begin(), bindings.end(), wanted);
    if (found != bindings.end()) learnable.bindingText = GetBindingDrawString(*found);
  }
}

void RootControl::DoInvalidateOnScreenLearnTarget() {
  if (Capture() != nullptr || dragAndDropOverlay_) return;
  RefreshBindingTexts();
  if (learnTarget_) learnTarget_->Invalidate();
  if (learnOverlay_) Invalidate();
}

void RootControl::ReleaseChildren() {
  learnables_.clear();
  learnTarget_ = nullptr;
  overlayLayer_ = nullptr;
  RemoveAllChildren();
}

// --- Drawing -----------------------------------------------------------------------------------

void RootControl::UpdateOverlayLayer() {
  const bool wanted = learnOverlay_ || dragAndDropOverlay_;
  if (overlayLayer_) {
    // Taken out either way: when wanted it goes back on top of anything added since.
    RemoveChild(overlayLayer_);
    overlayLayer_ = nullptr;
  }
  if (!wanted) return;
  auto layer = std::make_unique<OverlayLayer>(*this);
  layer->SetBounds(LocalBounds());
  overlayLayer_ = AddChild(std::move(layer));
}

void RootControl::DrawOverlays(VGui::Canvas& canvas) {
  if (dragAndDropOverlay_) canvas.FillRect(LocalBounds(), dragAndDropOverlayColour_);
  if (!learnOverlay_) return;
  const VGui::Font font{9.0f, true};
  for (const Learnable& learnable : learnables_) {
    if (learnable.control->Root() != this || !WhollyShown(*learnable.control)) continue;
    const VGui::Rect box = learnable.control->RootBounds();
    const bool target = learnable.control == learnTarget_;
    canvas.FillRect(box, target ? learnTargetColour_ : learnOverlayColour_);
    const std::string& text = learnable.bindingText;
    // Every parameter has its host binding; only the learnt controllers are worth a label.
    if (text.empty() || text.front() == 'H') continue;
    canvas.DrawText(text, box, font, VGui::Colour{255, 255, 255, 255}, VGui::HAlign::kCentre,
                    VGui::VAlign::kMiddle);
  }
}

// --- Messages and events -------------------------------------------------------------------------

void RootControl::HandleMessage(Message& message) {
  switch (message.Type()) {
    case MessageType::e_updateMIDILearnStateChanged: {
      // The engine's own notices carry no state: learn mode stays as the user set it.
      if (message.Value(0).IsEmpty()) {
        Invalidate();
        break;
      }
      const bool on = message.Value(0).AsBool();
      if (on != learnOverlay_) SetMIDILearnState(on);
      break;
    }
    case MessageType::e_updateBindingChanged:
      DoInvalidateOnScreenLearnTarget();
      break;
    default:
      break;
  }
}

void RootControl::ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) {
  if (kind == VGui::ControlEventKind::kBeginGesture) ControlEditBegins(control);
  if (kind == VGui::ControlEventKind::kEndGesture) ControlEditEnds(control);
}
