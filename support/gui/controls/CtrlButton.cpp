// Push buttons.
#include "support/gui/controls/CtrlButton.h"

#include <cmath>

#include "support/TextHelpers.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/controls/ControlAttributes.h"
#include "support/gui/controls/ControlTheme.h"

namespace VGui {

void CtrlButton::SetText(std::string text) {
  text_ = std::move(text);
  Invalidate();
}

void CtrlButton::SetOnText(std::string text) {
  onText_ = std::move(text);
  Invalidate();
}

void CtrlButton::SetOffText(std::string text) {
  offText_ = std::move(text);
  Invalidate();
}

const std::string& CtrlButton::DisplayText() const {
  const std::string& stateText = On() ? onText_ : offText_;
  return stateText.empty() ? text_ : stateText;
}

void CtrlButton::SetValue(float value, bool notify) {
  if (std::isnan(value)) return;
  Ctrl::SetValue(value >= 0.5f ? 1.0f : 0.0f, notify);
}

bool CtrlButton::OnMouseDown(const MouseEvent& e) {
  CtrlRoot* root = Root();
  if (e.button == MouseButton::kRight) {
    rightPressed_ = true;
    if (root) root->SetCapture(this);
    Notify(ControlEventKind::kRightButtonDown);
    return true;
  }
  if (e.button != MouseButton::kLeft) return false;
  pressed_ = true;
  pressedInside_ = true;
  if (root) root->SetCapture(this);
  Invalidate();
  Notify(ControlEventKind::kLeftButtonDown);
  if (mode_ == ButtonMode::kMomentary) SetValue(1.0f, true);
  return true;
}

bool CtrlButton::OnMouseMove(const MouseEvent& e) {
  if (!pressed_) return false;
  const bool inside = HitTest(e.position);
  if (inside != pressedInside_) {
    pressedInside_ = inside;
    Invalidate();
  }
  return true;
}

bool CtrlButton::OnMouseUp(const MouseEvent& e) {
  if (CtrlRoot* root = Root()) root->ReleaseCapture(this);
  if (e.button == MouseButton::kRight) {
    if (!rightPressed_) return false;
    rightPressed_ = false;
    Notify(ControlEventKind::kRightButtonUp);
    return true;
  }
  if (e.button != MouseButton::kLeft || !pressed_) return false;
  pressed_ = false;
  Invalidate();
  if (mode_ == ButtonMode::kMomentary) {
    SetValue(0.0f, true);
  } else if (HitTest(e.position)) {
    // A release outside the button cancels the click.
    SetValue(On() ? 0.0f : 1.0f, true);
  }
  Notify(ControlEventKind::kLeftButtonUp);
  return true;
}

void CtrlButton::OnMouseEnter() {
  hovered_ = true;
  Invalidate();
}

void CtrlButton::OnMouseLeave() {
  hovered_ = false;
  Invalidate();
}

void CtrlButton::Draw(Canvas& canvas) {
  if (!CurrentStyle().image.Empty()) {
    Ctrl::Draw(canvas);
  } else {
    DrawFace(canvas, On() ? 1.0f : 0.0f);
  }
  DrawLabel(canvas);
}

void CtrlButton::DrawFace(Canvas& canvas, float lit) {
  const Style& style = CurrentStyle();
  const float edge = Theme::EdgeWidth(style);
  const RectF box(edge * 0.5f, edge * 0.5f, float(Bounds().width) - edge,
                  float(Bounds().height) - edge);
  const float radius = Theme::Radius(style);
  const Colour off = Pressed() ? Theme::kBodyPressed : Theme::Face(style);
  const Colour on = Theme::AccentColour(style, Enabled());
  canvas.FillRoundedRect(box, radius, Theme::Mix(off, on, lit));
  canvas.StrokeRoundedRect(box, radius, edge, Theme::Edge(style));
  if (hovered_ && Enabled()) canvas.FillRoundedRect(box, radius, style.hover);
}

void CtrlButton::DrawLabel(Canvas& canvas) {
  const std::string& text = DisplayText();
  if (text.empty()) return;
  const Style& style = CurrentStyle();
  canvas.DrawText(text, RectF(LocalBounds()), style.font, Theme::TextColour(style, Enabled()),
                  style.align, VAlign::kMiddle);
}

void CtrlButton::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  if (auto mode = ReadText(element, "mode")) {
    const std::string word = VFoundation::TrimmedLowerCase(*mode);
    if (word == "toggle") {
      mode_ = ButtonMode::kToggle;
    } else if (word == "momentary") {
      mode_ = ButtonMode::kMomentary;
    } else {
      LogBadAttribute(*this, "mode", *mode);
    }
  }
  if (auto text = ReadText(element, "text")) text_ = std::move(*text);
  if (auto text = ReadText(element, "onText")) onText_ = std::move(*text);
  if (auto text = ReadText(element, "offText")) offText_ = std::move(*text);
  Ctrl::ReadSkinAttributes(element, skins);
}

}  // namespace VGui
