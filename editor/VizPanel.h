// A visualisation panel in place of one of the synth skin's placeholders: the drive's curve, a
// filter's response, an LFO's wave, the envelope, the compressor's curve, or a scrolling history
// of the sample-and-hold output or the follower level (VizCurves computes them). Every 40 ms tick
// it takes the engine's live parameter values and repaints only when its curve can have changed;
// the histories scroll on every tick. UI thread.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/EditorDelegateUser.h"
#include "editor/VizCurves.h"
#include "support/gui/Events.h"
#include "support/gui/controls/CtrlPanel.h"

namespace VGui {
class CtrlRoot;
class SkinSet;
}  // namespace VGui

class VizPanel : public VGui::CtrlPanel,
                 public EditorDelegateUser,
                 public VGui::CAutoTimerCallback {
 public:
  static constexpr const char* kClassName = "VizPanel";
  static constexpr const char* kBaseClassName = "CtrlPanel";
  const char* ClassName() const override { return kClassName; }

  static constexpr const char* kDisplayColourName = "DisplayColour";
  static constexpr const char* kStyleName = "EmptyPanelStyle";
  // A filter display whose slot is switched off draws its curve at this alpha.
  static constexpr uint8_t kBypassedAlpha = 120;
  static constexpr float kLineWidth = 2.0f;

  // A panel of no kind: it draws its background only. UI thread
  VizPanel() = default;
  // Kind 0-8 (VizCurves::Kind); the display colour and the style come from the skins. UI thread
  VizPanel(int32_t kind, const VGui::SkinSet& skins);
  ~VizPanel() override;

  int32_t Kind() const { return kind_; }
  VGui::Colour DisplayColour() const { return displayColour_; }

  // Joins the root's timer while connected to a plug-in. UI thread
  void SetEditorDelegate(Norv* plugin) override;
  // Reads the engine's live values (and the history source) and hands them to GetParameters.
  // UI thread
  void ATC_Tick() override;
  // The tick's decision: the live values become the current snapshot (the old one the previous),
  // a history kind appends `historyValue`, and the panel is invalidated when a redraw is due
  // (answered). Non-finite values read as 0, the rest is limited to 0..1. UI thread
  bool GetParameters(const VizCurves::Snapshot& live, float historyValue);
  // The next GetParameters redraws whatever changed. UI thread
  void RedrawOnce() { redrawOnce_ = true; }

  void Draw(VGui::Canvas& canvas) override;

  // What the last Draw plotted: the curve values, the polyline and its colour. UI thread
  const std::vector<float>& Curve() const { return curve_; }
  const std::vector<VGui::PointF>& Points() const { return points_; }
  VGui::Colour LineColour() const { return lineColour_; }
  const std::vector<float>& History() const { return history_; }
  const VizCurves::Snapshot& CurrentSnapshot() const { return current_; }

 protected:
  void OnBoundsChanged() override;

 private:
  void ComputeCurve();
  void PlotDistortion();
  void PlotFilter();
  void PlotSampleAndHold();
  void PlotLFO1();
  void PlotLFO2();
  void PlotEnvelope();
  void PlotEnvelopeFollower();
  void PlotCompressor();
  void PlotHistory();
  void AppendHistory(float value);
  int32_t Columns() const;
  void LeaveTimer();

  int32_t kind_ = VizCurves::kNoKind;
  VGui::Colour displayColour_{242, 160, 61, 255};
  VizCurves::Snapshot current_{};
  VizCurves::Snapshot previous_{};
  std::vector<float> curve_;
  std::vector<VGui::PointF> points_;
  std::vector<VGui::PointF> stroke_;
  std::vector<float> history_;
  VGui::Colour lineColour_{};
  VGui::CtrlRoot* timerRoot_ = nullptr;
  bool redrawOnce_ = true;
  bool curveStale_ = true;
  bool reportedBadValue_ = false;
  bool reportedEmpty_ = false;
};
