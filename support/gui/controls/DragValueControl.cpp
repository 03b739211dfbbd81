// Drag, wheel and click handling shared by knobs and sliders.
#include "support/gui/controls/DragValueControl.h"

#include "support/gui/CtrlRoot.h"

namespace VGui {

float DragValueControl::SpeedFor(uint32_t modifiers) {
  return (modifiers & kModShift) != 0 ? kFineFactor : 1.0f;
}

int DragValueControl::HandleAt(Point local) const {
  return HitTest(local) ? kValueHandle : kNoHandle;
}

void DragValueControl::BeginDrag(int, Point local, uint32_t modifiers) {
  AnchorDrag(local, (modifiers & kModShift) != 0);
}

void DragValueControl::DragTo(Point local, uint32_t modifiers) {
  const float offset = DragOffset(local, modifiers);
  SetValue(anchor_.value + offset, true);
}

void DragValueControl::EndDrag() {}

void DragValueControl::AnchorDrag(Point local, bool fine) {
  lastPoint_ = local;
  anchor_.point = local;
  anchor_.value = Value();
  anchor_.fine = fine;
}

float DragValueControl::DragOffset(Point local, uint32_t modifiers) {
  const bool fine = (modifiers & kModShift) != 0;
  if (fine != anchor_.fine) AnchorDrag(lastPoint_, fine);
  lastPoint_ = local;
  return DragDelta(anchor_.point, local) * SpeedFor(modifiers);
}

void DragValueControl::StepBy(float notches, uint32_t modifiers) {
  SetValue(Value() + notches * kWheelStep * SpeedFor(modifiers), true);
}

void DragValueControl::CaptureMouse() {
  if (CtrlRoot* root = Root()) root->SetCapture(this);
}

bool DragValueControl::OnMouseDown(const MouseEvent& e) {
  if (e.button == MouseButton::kRight) {
    rightPressed_ = true;
    CaptureMouse();
    Notify(ControlEventKind::kRightButtonDown);
    return true;
  }
  if (e.button != MouseButton::kLeft) return false;
  leftPressed_ = true;
  CaptureMouse();
  Notify(ControlEventKind::kLeftButtonDown);
  const int handle = HandleAt(e.position);
  if (handle == kNoHandle || Dragging()) return true;
  dragHandle_ = handle;
  Notify(ControlEventKind::kBeginGesture);
  BeginDrag(handle, e.position, e.modifiers);
  return true;
}

bool DragValueControl::OnMouseMove(const MouseEvent& e) {
  if (!Dragging()) return false;
  DragTo(e.position, e.modifiers);
  return true;
}

void DragValueControl::FinishDrag() {
  if (!Dragging()) return;
  EndDrag();
  dragHandle_ = kNoHandle;
  Invalidate();
  Notify(ControlEventKind::kEndGesture);
}

bool DragValueControl::OnMouseUp(const MouseEvent& e) {
  if (CtrlRoot* root = Root()) root->ReleaseCapture(this);
  if (e.button == MouseButton::kRight) {
    if (!rightPressed_) return false;
    rightPressed_ = false;
    Notify(ControlEventKind::kRightButtonUp);
    return true;
  }
  if (e.button != MouseButton::kLeft) return false;
  FinishDrag();
  // The second press of a double click reports no press of its own, so no release either.
  if (!leftPressed_) return true;
  leftPressed_ = false;
  Notify(ControlEventKind::kLeftButtonUp);
  return true;
}

bool DragValueControl::OnDoubleClick(const MouseEvent& e) {
  if (e.button != MouseButton::kLeft) return false;
  // The first click's drag has ended with its release; a press without one (a missed release)
  // still gets its end gesture before the double click.
  FinishDrag();
  leftPressed_ = false;
  Notify(ControlEventKind::kDoubleClick);
  return true;
}

bool DragValueControl::OnMouseWheel(const MouseEvent& e) {
  if (e.wheelDelta == 0.0f) return false;
  // The drag owns the value until it ends: a step now would be undone by the next move.
  if (Dragging()) return true;
  Notify(ControlEventKind::kBeginGesture);
  StepBy(e.wheelDelta, e.modifiers);
  Notify(ControlEventKind::kEndGesture);
  return true;
}

void DragValueControl::OnMouseEnter() {
  hovered_ = true;
  Invalidate();
}

void DragValueControl::OnMouseLeave() {
  hovered_ = false;
  Invalidate();
}

}  // namespace VGui
