// The XY pad's handle, drawing and messages.
#include "editor/XYPad.h"

#include <algorithm>
#include <cmath>

#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/gui/CtrlRoot.h"

namespace {

// The handle's top-left corner keeps clear of the pad's one-pixel frame.
constexpr int kMinX = 1;
constexpr int kMinY = 2;
constexpr int kFarMargin = 8;
// The mouse holds the handle by its middle.
constexpr int kGrabOffset = 5;
// The output leaves this much of the pad's edge out of the 0..1 range.
constexpr int kRangeMargin = 3;

constexpr VGui::Colour kPadFace{16, 18, 22, 255};
constexpr VGui::Colour kGrid{255, 255, 255, 18};
constexpr VGui::Colour kCrosshair{255, 255, 255, 40};
constexpr VGui::Colour kLearnStripColour{255, 196, 0, 90};

}  // namespace

void XYPad::SetEditorDelegate(Norv* plugin) {
  EditorDelegateUser::SetEditorDelegate(plugin);
  CreateLearnTargets();
  if (auto* learning = dynamic_cast<ILearningController*>(Root())) {
    learning->AddLearnableControl(learnX_, this);
    learning->AddLearnableControl(learnY_, this);
  }
}

void XYPad::CreateLearnTargets() {
  if (learnX_) return;
  for (const char* name : {kLearnXName, kLearnYName}) {
    auto strip = std::make_unique<VGui::Ctrl>();
    strip->SetName(name);
    strip->SetId(kLearnTargetId);
    (name == kLearnXName ? learnX_ : learnY_) = AddChild(std::move(strip));
  }
  PlaceLearnTargets();
}

void XYPad::PlaceLearnTargets() {
  const int w = Bounds().width;
  const int h = Bounds().height;
  if (learnX_) learnX_->SetBounds({0, 0, std::max(0, w - kLearnStrip), kLearnStrip});
  if (learnY_)
    learnY_->SetBounds({w - kLearnStrip, kLearnStrip, kLearnStrip, std::max(0, h - kLearnStrip)});
}

bool XYPad::GetBindingForControl(const VGui::Ctrl& control, Binding& binding) {
  const int32_t axis = &control == learnX_ ? 0 : (&control == learnY_ ? 1 : -1);
  if (axis < 0) return false;
  binding.SetPath("Synth");
  binding.SetName(axis == 0 ? "XY X" : "XY Y");
  binding.SetRange(0.0f, 1.0f);
  binding.SetType(BindingType::kContinuous);
  binding.SetEnterTargetMode(true);
  binding.SetStuffer(Binding::StuffToValue0);
  binding.SetPopper(Binding::GetValueFromValue0);
  Message prototype;
  prototype.SetType(MessageType::e_setFilterMacroValue);
  prototype.SetValue(1, axis);
  binding.SetPrototype(prototype);
  return true;
}

float XYPad::XValue() const {
  const int span = Bounds().width - 2 * kRangeMargin;
  return span > 0 ? float(handle_.x - kRangeMargin) / float(span) : 0.0f;
}

float XYPad::YValue() const {
  const int span = Bounds().height - 2 * kRangeMargin;
  return span > 0 ? 1.0f - float(handle_.y - kRangeMargin) / float(span) : 0.0f;
}

VGui::Point XYPad::Clamped(VGui::Point handle) const {
  const int maxX = std::max(kMinX, Bounds().width - kFarMargin);
  const int maxY = std::max(kMinY, Bounds().height - kFarMargin);
  return {std::clamp(handle.x, kMinX, maxX), std::clamp(handle.y, kMinY, maxY)};
}

void XYPad::SetValues(float x, float y) {
  if (dragging_) return;
  if (!std::isfinite(x) || !std::isfinite(y)) {
    VFoundation::Log("%s, non-finite position from the engine ignored\n", "XYPad::SetValues");
    return;
  }
  const float w = float(Bounds().width);
  const float h = float(Bounds().height);
  const VGui::Point moved = Clamped({int(w * std::clamp(x, -1.0f, 2.0f)) - kGrabOffset,
                                     int((1.0f - std::clamp(y, -1.0f, 2.0f)) * h) - kGrabOffset});
  if (moved == handle_) return;
  handle_ = moved;
  Invalidate();
}

void XYPad::PostValues() const {
  if (!plugin_) return;
  MessagePort& port = plugin_->Port();
  port.PostMessageToSynth(MessageType::e_setFilterMacroValue, {XValue(), int32_t(0)});
  port.PostMessageToSynth(MessageType::e_setFilterMacroValue, {YValue(), int32_t(1)});
}

void XYPad::SetLearnDisplay(bool learning) {
  if (learning == learnDisplay_) return;
  learnDisplay_ = learning;
  Invalidate();
}

void XYPad::MoveHandleTo(VGui::Point mouse) {
  handle_ = Clamped({mouse.x - kGrabOffset, mouse.y - kGrabOffset});
  Changed();
}

void XYPad::Changed() {
  Invalidate();
  if (Listener()) {
    Notify(VGui::ControlEventKind::kValueChanged);
  } else {
    PostValues();
  }
}

bool XYPad::OnMouseDown(const VGui::MouseEvent& e) {
  if (e.button != VGui::MouseButton::kLeft) return false;
  dragging_ = true;
  if (VGui::CtrlRoot* root = Root()) root->SetCapture(this);
  MoveHandleTo(e.position);
  return true;
}

bool XYPad::OnMouseMove(const VGui::MouseEvent& e) {
  if (!dragging_) return false;
  MoveHandleTo(e.position);
  return true;
}

bool XYPad::OnMouseUp(const VGui::MouseEvent&) {
  if (!dragging_) return false;
  dragging_ = false;
  if (VGui::CtrlRoot* root = Root()) root->ReleaseCapture(this);
  return true;
}

void XYPad::Draw(VGui::Canvas& canvas) {
  const VGui::Style& style = CurrentStyle();
  const VGui::RectF area = LocalBounds();
  const VGui::Colour face = style.background.Transparent() ? kPadFace : style.background;
  canvas.FillRoundedRect(area, style.radius, face);
  for (int i = 1; i < 4; ++i) {
    const float x = area.width * float(i) / 4.0f;
    const float y = area.height * float(i) / 4.0f;
    canvas.StrokeLine({x, 1.0f}, {x, area.height - 1.0f}, 1.0f, kGrid);
    canvas.StrokeLine({1.0f, y}, {area.width - 1.0f, y}, 1.0f, kGrid);
  }
  const float centreX = float(handle_.x) + kHandleSize * 0.5f;
  const float centreY = float(handle_.y) + kHandleSize * 0.5f;
  canvas.StrokeLine({centreX, 1.0f}, {centreX, area.height - 1.0f}, 1.0f, kCrosshair);
  canvas.StrokeLine({1.0f, centreY}, {area.width - 1.0f, centreY}, 1.0f, kCrosshair);
  canvas.FillEllipse({centreX - 7.0f, centreY - 7.0f, 14.0f, 14.0f}, style.accent.WithAlpha(50));
  canvas.FillRect({float(handle_.x), float(handle_.y), float(kHandleSize), float(kHandleSize)},
                  style.accent);
  if (!style.border.Transparent() && style.borderWidth > 0.0f) {
    canvas.StrokeRoundedRect(area, style.radius, style.borderWidth, style.border);
  }
  if (learnDisplay_) {
    canvas.FillRect({0.0f, 0.0f, area.width - kLearnStrip, float(kLearnStrip)}, kLearnStripColour);
    canvas.FillRect({area.width - kLearnStrip, float(kLearnStrip), float(kLearnStrip),
                     area.height - kLearnStrip},
                    kLearnStripColour);
  }
}
