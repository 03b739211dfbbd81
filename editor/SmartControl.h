// What the synth panel's knobs and faders share beyond their value: the end of the selected
// source's modulation range (the target), the live (modulated) value the engine reports, the
// selected source, and the drag law that moves the value, the target or both. The control classes
// map mouse points to drag modes and feed the drag its deltas; this class holds the arithmetic.
// UI thread.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "support/Log.h"
#include "support/gui/Colour.h"
#include "support/gui/Events.h"
#include "support/gui/controls/DragValueControl.h"

class SmartControl {
 public:
  // Which handle an event of the control moved.
  enum Handle : int32_t {
    kValueHandle = 666,       // the value; reported value clamped to 0..1
    kModulationHandle = 667,  // the modulation depth; reported value = target - value
    kBothHandles = 668,       // value and range together; reported value clamped to 0..1
  };
  // What a drag moves.
  enum DragMode : int32_t {
    kNoDrag = 0,
    kDragValue = 1,
    kDragTarget = 2,
    kDragBoth = 3,
  };
  // Smaller changes of the live value are not worth a repaint; ranges shorter than this are none.
  static constexpr float kLiveValueResolution = 0.000001f;
  static constexpr float kRangeResolution = 0.000001f;
  // The skins' modulation teal, for the range of a control drawn without images.
  static constexpr VGui::Colour kVectorRangeColour{56, 199, 178, 255};
  // A press on the value's handle with this key held moves the value alone, leaving the
  // modulation range where it is. Alt is left alone: many Linux window managers take Alt-drags.
  static constexpr uint32_t kValueOnlyModifier = VGui::kModControl;
  // The toolkit's Shift slows a drag to a tenth, so a vertical drag of 300 pixels crosses the
  // range, or of 3000 pixels with Shift held.
  static constexpr uint32_t kFineModifier = VGui::kModShift;

  // The modifier keys of a modulation-aware control as a tooltip line. any thread
  static constexpr std::string_view KeyHint() { return "Shift-drag: fine, Ctrl-drag: value only"; }

  virtual ~SmartControl() = default;

  // The end of the modulation range: value plus the selected source's depth. It may lie outside
  // 0..1 (the engine clamps the sum); the drawing clamps it.
  float ModulationTarget() const { return modulationTarget_; }
  // A non-finite target is refused (and logged once). UI thread
  void SetModulationTarget(float target) {
    if (!std::isfinite(target)) {
      LogOnce(loggedBadTarget_, "SmartControl::SetModulationTarget, non-finite target ignored\n");
      return;
    }
    modulationTarget_ = target;
  }
  float LiveValue() const { return liveValue_; }
  // Until the engine has reported a live value there is none to draw. UI thread
  bool HasLiveValue() const { return hasLiveValue_; }
  // Takes a new live value (clamped to 0..1; a non-finite one is ignored and logged once);
  // answers whether it differs enough to repaint. UI thread
  bool TakeLiveValue(float value) {
    if (!std::isfinite(value)) {
      LogOnce(loggedBadLive_, "SmartControl::TakeLiveValue, non-finite live value ignored\n");
      return false;
    }
    const float clamped = Clamp01(value);
    if (hasLiveValue_ && std::fabs(clamped - liveValue_) < kLiveValueResolution) return false;
    hasLiveValue_ = true;
    liveValue_ = clamped;
    return true;
  }
  // The source whose depth the modulation handle edits (0: none) and whether the parameter can
  // be modulated by it. UI thread
  void SetModulationSource(int32_t source, bool enabled) {
    source_ = source;
    modulationEnabled_ = enabled && source > 0;
  }
  int32_t ModulationSource() const { return source_; }
  bool ModulationEnabled() const { return modulationEnabled_; }
  // The handle of the current drag, kept until the release has been reported. UI thread
  Handle ActiveHandle() const { return activeHandle_; }
  DragMode Mode() const { return mode_; }

  // Whether a modulation range is to be drawn between value and target (both clamped to 0..1):
  // only when modulation is enabled and the two differ, and not at the same end. any thread
  static bool ShowsRange(bool enabled, float value, float target) {
    const float v = Clamp01(value);
    const float m = Clamp01(target);
    if (!enabled || std::fabs(m - v) < kRangeResolution) return false;
    return !(v == 1.0f && m == 1.0f) && !(v == 0.0f && m == 0.0f);
  }
  // The mode a press starts: with modulation disabled always both; otherwise the value's handle
  // moves both (or the value alone with kValueOnlyModifier) and anywhere else the target. UI thread
  DragMode ModeForPress(bool onValueHandle, uint32_t modifiers) const {
    if (!modulationEnabled_) return kDragBoth;
    if (!onValueHandle) return kDragTarget;
    return (modifiers & kValueOnlyModifier) != 0 ? kDragValue : kDragBoth;
  }
  static Handle HandleFor(DragMode mode) {
    switch (mode) {
      case kDragTarget:
        return kModulationHandle;
      case kDragBoth:
        return kBothHandles;
      default:
        return kValueHandle;
    }
  }

  // The cursor file names (without ".png") of the "Cursors" folder.
  static constexpr std::string_view kCursorBothRotary = "CursorAndModulateRotary";
  static constexpr std::string_view kCursorTargetRotary = "CursorModulateRotary";
  static constexpr std::string_view kCursorTargetUpDown = "CursorModulateUpDown";
  static constexpr std::string_view kCursorBothUpDown = "CursorAndModulateUpDown";
  // The cursor for the current drag mode, on a rotary or an up-down control. UI thread
  std::string_view DragCursor(bool upDown) const {
    if (mode_ == kDragTarget) return upDown ? kCursorTargetUpDown : kCursorTargetRotary;
    if (mode_ == kDragBoth && modulationEnabled_ && upDown) return kCursorBothUpDown;
    return kCursorBothRotary;
  }

 protected:
  // A drag in mode starts with the control at value; the press events that follow report the
  // mode's handle. UI thread
  void StartModulationDrag(DragMode mode, float value) {
    mode_ = mode;
    activeHandle_ = HandleFor(mode);
    AnchorModulationDrag(value);
  }
  // Takes the present value and target as the drag's start (at the start and when the speed
  // changes). UI thread
  void AnchorModulationDrag(float value) {
    startValue_ = value;
    startTarget_ = modulationTarget_;
  }
  // Applies a drag's offset from its anchor (in parts of the range): moves the target as the mode
  // says and answers the value the control is to take. Mode 3 clamps the value and moves the
  // target by the value's actual change; mode 2 stops the target at the ends it started inside.
  // UI thread
  float ApplyDragOffset(float offset) {
    switch (mode_) {
      case kDragValue:
        return startValue_ + offset;
      case kDragTarget:
        modulationTarget_ = std::clamp(startTarget_ + offset, std::min(0.0f, startTarget_),
                                       std::max(1.0f, startTarget_));
        return startValue_;
      case kDragBoth: {
        const float value = std::clamp(startValue_ + offset, 0.0f, 1.0f);
        modulationTarget_ = startTarget_ + (value - startValue_);
        return value;
      }
      default:
        return startValue_;
    }
  }
  void EndModulationDrag() { mode_ = kNoDrag; }
  // Between drags the control's edits (wheel, reset) are the value's. UI thread
  void ResetActiveHandle() { activeHandle_ = kValueHandle; }

  static float Clamp01(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }
  // Logs a problem of this control the first time only: drawing repeats 25 times a second.
  static void LogOnce(bool& logged, const char* text) {
    if (logged) return;
    logged = true;
    VFoundation::Log("%s", text);
  }

 private:
  float modulationTarget_ = 0.0f;
  float liveValue_ = 0.0f;
  float startValue_ = 0.0f;
  float startTarget_ = 0.0f;
  int32_t source_ = 0;
  bool modulationEnabled_ = false;
  bool hasLiveValue_ = false;
  bool loggedBadTarget_ = false;
  bool loggedBadLive_ = false;
  DragMode mode_ = kNoDrag;
  Handle activeHandle_ = kValueHandle;
};

// The mouse side of a modulation-aware knob or slider: a press picks the drag mode from the
// control's hit test, every move applies the drag law and reports a change (with ActiveHandle()
// telling which handle moved), the release ends the mode. A vertical drag of kPixelsPerRange
// pixels crosses the range on knobs and faders alike. UI thread.
template <class Base>
class SmartDragControl : public Base, public SmartControl {
 public:
  static constexpr float kPixelsPerRange = 300.0f;

  // A left press also asks the listener to flash the sources that modulate the parameter.
  bool OnMouseDown(const VGui::MouseEvent& e) override {
    const bool left = e.button == VGui::MouseButton::kLeft;
    // The mode is known before the press is reported: the listener reads ActiveHandle() there.
    if (left && !this->Dragging()) {
      StartModulationDrag(ModeForPress(OnValueHandle(e.position), e.modifiers), this->Value());
    }
    const bool handled = Base::OnMouseDown(e);
    if (handled && left) this->Notify(VGui::ControlEventKind::kPressFlash);
    return handled;
  }
  bool OnMouseUp(const VGui::MouseEvent& e) override {
    const bool handled = Base::OnMouseUp(e);
    if (!this->Dragging()) {
      EndModulationDrag();
      ResetActiveHandle();
    }
    return handled;
  }
  bool OnDoubleClick(const VGui::MouseEvent& e) override {
    const bool handled = Base::OnDoubleClick(e);
    EndModulationDrag();
    ResetActiveHandle();
    return handled;
  }
  std::string_view CursorAt(VGui::Point) const override { return DragCursor(UpDown()); }

 protected:
  // Whether a press at the local point takes the value's handle (else the target's).
  virtual bool OnValueHandle(VGui::Point local) const = 0;
  // An up-down control takes the up-down cursors.
  virtual bool UpDown() const = 0;

  void AnchorDrag(VGui::Point local, bool fine) override {
    Base::AnchorDrag(local, fine);
    AnchorModulationDrag(this->Value());
  }
  void DragTo(VGui::Point local, uint32_t modifiers) override {
    const float offset = this->DragOffset(local, modifiers);
    this->SetValue(ApplyDragOffset(offset), false);
    this->Invalidate();
    this->Notify(VGui::ControlEventKind::kValueChanged);
  }
  void EndDrag() override {
    EndModulationDrag();
    Base::EndDrag();
  }
  float DragDelta(VGui::Point from, VGui::Point to) const override {
    return float(from.y - to.y) / kPixelsPerRange;
  }
  void StepBy(float notches, uint32_t modifiers) override {
    ResetActiveHandle();
    Base::StepBy(notches, modifiers);
  }
};
