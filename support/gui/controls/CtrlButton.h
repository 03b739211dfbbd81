// A push button, two-state ("mode" "toggle", the default: a click inside flips the value between 0
// and 1) or momentary ("mode" "momentary": 1 while held, 0 on release). Either reports
// kValueChanged for each change, kLeftButtonDown/kLeftButtonUp for the left button and
// kRightButtonDown/kRightButtonUp for the right one (a right click changes nothing). It shows
// "onText" while on and "offText" while off where the skin gives them, "text" otherwise; the on
// state fills the face with the accent colour. KickButton is a momentary button. UI thread.
#pragma once

#include <string>

#include "support/gui/Control.h"

namespace VGui {

enum class ButtonMode { kToggle, kMomentary };

class CtrlButton : public Ctrl {
 public:
  static constexpr const char* kClassName = "CtrlButton";
  const char* ClassName() const override { return kClassName; }

  ButtonMode Mode() const { return mode_; }
  void SetMode(ButtonMode mode) { mode_ = mode; }
  bool On() const { return Value() >= 0.5f; }
  // Held down by the left button with the mouse inside.
  bool Pressed() const { return pressed_ && pressedInside_; }

  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  const std::string& OnText() const { return onText_; }
  void SetOnText(std::string text);
  const std::string& OffText() const { return offText_; }
  void SetOffText(std::string text);
  // What the button shows in its present state.
  const std::string& DisplayText() const;

  // Any value at or above 0.5 is on (1), below is off (0).
  void SetValue(float value, bool notify = false) override;

  bool OnMouseDown(const MouseEvent& e) override;
  bool OnMouseMove(const MouseEvent& e) override;
  bool OnMouseUp(const MouseEvent& e) override;
  void OnMouseEnter() override;
  void OnMouseLeave() override;

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 protected:
  // The face in its state: lit is 0 (off) to 1 (fully on).
  virtual void DrawFace(Canvas& canvas, float lit);
  virtual void DrawLabel(Canvas& canvas);
  bool Hovered() const { return hovered_; }

 private:
  ButtonMode mode_ = ButtonMode::kToggle;
  std::string text_;
  std::string onText_;
  std::string offText_;
  bool pressed_ = false;
  bool pressedInside_ = false;
  bool rightPressed_ = false;
  bool hovered_ = false;
};

class KickButton : public CtrlButton {
 public:
  static constexpr const char* kClassName = "KickButton";
  const char* ClassName() const override { return kClassName; }

  KickButton() { SetMode(ButtonMode::kMomentary); }
};

}  // namespace VGui
