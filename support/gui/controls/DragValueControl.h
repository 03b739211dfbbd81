// The mouse side shared by knobs and sliders: a left press on a handle starts a drag that edits
// the value (Shift for a tenth of the speed), reported as one kBeginGesture, a kValueChanged per
// change and one kEndGesture; the wheel steps the value inside a gesture of its own; a left double
// click reports kDoubleClick and leaves the value to the listener (reset or edit); left and right
// presses and releases are reported as they happen. Subclasses draw, measure the drag and may
// bring handles of their own (a modulation range, a second thumb) through the protected hooks.
// UI thread.
#pragma once

#include <cstdint>

#include "support/gui/Control.h"

namespace VGui {

class DragValueControl : public Ctrl {
 public:
  static constexpr int kNoHandle = -1;
  static constexpr int kValueHandle = 0;
  // Shift slows a drag or a wheel step to this share of the normal speed.
  static constexpr float kFineFactor = 0.1f;
  // One wheel notch moves the value this far at normal speed.
  static constexpr float kWheelStep = 0.01f;

  // The handle being dragged; kNoHandle between drags.
  int DragHandle() const { return dragHandle_; }
  bool Dragging() const { return dragHandle_ != kNoHandle; }
  bool Hovered() const { return hovered_; }

  // Either speed factor for a set of modifiers. any thread
  static float SpeedFor(uint32_t modifiers);

  bool OnMouseDown(const MouseEvent& e) override;
  bool OnMouseMove(const MouseEvent& e) override;
  bool OnMouseUp(const MouseEvent& e) override;
  bool OnDoubleClick(const MouseEvent& e) override;
  bool OnMouseWheel(const MouseEvent& e) override;
  void OnMouseEnter() override;
  void OnMouseLeave() override;

 protected:
  // Where a drag started, or last changed speed: the mouse point and the value there.
  struct DragAnchor {
    Point point;
    float value = 0.0f;
    bool fine = false;
  };

  // The handle under a local point, kNoHandle where a press starts no drag. The whole control is
  // the value's handle unless a subclass says otherwise.
  virtual int HandleAt(Point local) const;
  // A drag of handle starts at the local point; the begin gesture has been reported.
  virtual void BeginDrag(int handle, Point local, uint32_t modifiers);
  // The mouse moved to local during the drag: the value follows the anchor plus the offset.
  virtual void DragTo(Point local, uint32_t modifiers);
  // The drag ends; the end gesture is reported afterwards.
  virtual void EndDrag();
  // Takes the point and the current value as the new anchor: at the start of a drag, and when
  // Shift changes during one (with the last point before the change, so that the speed changes
  // without a jump). Subclasses with more to anchor extend it.
  virtual void AnchorDrag(Point local, bool fine);
  // How far the value moves at normal speed for the mouse moved from `from` to `to`.
  virtual float DragDelta(Point from, Point to) const = 0;
  // One wheel movement of notches (positive away from the user).
  virtual void StepBy(float notches, uint32_t modifiers);

  // The offset from the anchor for the mouse at local, at the speed the modifiers ask for;
  // re-anchors at the previous mouse point first when Shift changed since the anchor was taken.
  float DragOffset(Point local, uint32_t modifiers);
  const DragAnchor& Anchor() const { return anchor_; }

 private:
  void CaptureMouse();
  void FinishDrag();

  int dragHandle_ = kNoHandle;
  DragAnchor anchor_;
  Point lastPoint_;
  bool leftPressed_ = false;
  bool rightPressed_ = false;
  bool hovered_ = false;
};

}  // namespace VGui
