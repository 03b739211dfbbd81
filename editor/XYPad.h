// The XY pad: a handle dragged inside a square whose position is a pair of modulation sources.
// Every change posts message type 13 twice (X with axis 0, then Y with axis 1). Give it the synth
// panel as listener (the panel has it post); with no listener the pad posts itself. The handle
// takes the style's accent colour. UI thread.
#pragma once

#include <cstdint>

#include "editor/EditorDelegateUser.h"
#include "editor/RootControl.h"
#include "support/gui/Control.h"

// MIDI learn reaches the two axes through two transparent strips, one along the top (X) and one
// down the right edge (Y); the pad registers them with the root's learning controller.
class XYPad : public VGui::Ctrl, public EditorDelegateUser, public ILearnDelegate {
 public:
  static constexpr const char* kClassName = "XYPad";
  static constexpr const char* kBaseClassName = "Ctrl";
  // The handle is a small square; its top-left corner stays inside these margins.
  static constexpr int kHandleSize = 6;
  static constexpr int32_t kLearnTargetId = 123456;
  static constexpr int kLearnStrip = 10;
  static constexpr const char* kLearnXName = "XYLearnX";
  static constexpr const char* kLearnYName = "XYLearnY";
  const char* ClassName() const override { return kClassName; }

  // X and Y in 0..1 from the handle position. UI thread
  float XValue() const;
  float YValue() const;
  VGui::Point Handle() const { return handle_; }
  bool Dragging() const { return dragging_; }
  // Moves the handle to the values (ignored while the mouse holds the handle). UI thread
  void SetValues(float x, float y);
  // Posts the two type 13 messages for the current position. UI thread
  void PostValues() const;
  // Learn mode shows the pad's two learn strips. UI thread
  void SetLearnDisplay(bool learning);
  bool LearnDisplay() const { return learnDisplay_; }
  // Creates the learn strips and registers them with the root's learning controller. UI thread
  void SetEditorDelegate(Norv* plugin) override;
  VGui::Ctrl* LearnTarget(int axis) const { return axis == 0 ? learnX_ : learnY_; }
  // "XY X" or "XY Y": message type 13 carrying the axis. UI thread
  bool GetBindingForControl(const VGui::Ctrl& control, Binding& binding) override;

  void Draw(VGui::Canvas& canvas) override;
  bool OnMouseDown(const VGui::MouseEvent& e) override;
  bool OnMouseMove(const VGui::MouseEvent& e) override;
  bool OnMouseUp(const VGui::MouseEvent& e) override;

 private:
  void MoveHandleTo(VGui::Point mouse);
  VGui::Point Clamped(VGui::Point handle) const;
  void Changed();
  void CreateLearnTargets();
  void PlaceLearnTargets();
  void OnBoundsChanged() override { PlaceLearnTargets(); }

  VGui::Point handle_{1, 2};
  bool dragging_ = false;
  bool learnDisplay_ = false;
  VGui::Ctrl* learnX_ = nullptr;
  VGui::Ctrl* learnY_ = nullptr;
};
