// A level meter strip: the value (0..1, a display position the caller computes from the level)
// drawn as a bar from the bottom (or the left, when wider than high or "orientation" says so),
// in the accent colour up to the "hot" position (0.8 unless the skin says otherwise: full scale
// on the editor's meters) and in red above it, with a peak line that holds for a second of updates
// and then falls. The meter is fed once per 40 ms tick; each SetValue is one update. VUMeter is
// the same meter under the name the skins of older layouts use. UI thread.
#pragma once

#include "support/gui/Control.h"
#include "support/gui/controls/ControlAttributes.h"

namespace VGui {

class CtrlLevelStrip : public Ctrl {
 public:
  static constexpr const char* kClassName = "CtrlLevelStrip";
  const char* ClassName() const override { return kClassName; }

  // 25 updates of 40 ms: the peak holds for a second.
  static constexpr int kPeakHoldUpdates = 25;
  // After the hold the peak falls this far per update: the whole strip in 3.2 s.
  static constexpr float kPeakFallPerUpdate = 0.0125f;
  static constexpr float kDefaultHotPosition = 0.8f;

  float Peak() const { return peak_; }
  void ResetPeak();
  float HotPosition() const { return hot_; }
  void SetHotPosition(float position);
  Orientation GetOrientation() const { return orientation_; }
  void SetOrientation(Orientation orientation);
  bool Horizontal() const;

  // One meter update: clamps to 0..1 (NaN keeps the old value), moves the peak.
  void SetValue(float value, bool notify = false) override;

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 protected:
  // The part of the strip from 0 to position 0..1 (from the bottom or the left).
  RectF Portion(float from, float to) const;

 private:
  void UpdatePeak(float value);

  float peak_ = 0.0f;
  int holdUpdates_ = 0;
  float hot_ = kDefaultHotPosition;
  Orientation orientation_ = Orientation::kAutomatic;
};

class VUMeter : public CtrlLevelStrip {
 public:
  static constexpr const char* kClassName = "VUMeter";
  const char* ClassName() const override { return kClassName; }
};

}  // namespace VGui
