// A linear control, horizontal or vertical (the "orientation" attribute, or the aspect: wider than
// high is horizontal). Dragging along it moves the value by the mouse's travel over the track, so
// the thumb stays under the mouse at normal speed. Drawn as a film strip when its style has an
// image, otherwise as a track, an accent fill up to the value and a thumb. UI thread.
#pragma once

#include "support/gui/controls/ControlAttributes.h"
#include "support/gui/controls/DragValueControl.h"

namespace VGui {

class CtrlSlider : public DragValueControl {
 public:
  static constexpr const char* kClassName = "CtrlSlider";
  const char* ClassName() const override { return kClassName; }

  // The thumb's length along the track, in logical pixels.
  static constexpr int kThumbLength = 10;

  Orientation GetOrientation() const { return orientation_; }
  void SetOrientation(Orientation orientation);
  bool Horizontal() const;

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 protected:
  float DragDelta(Point from, Point to) const override;
  // The track.
  virtual void DrawBody(Canvas& canvas);
  // The fill up to the value and the thumb.
  virtual void DrawValue(Canvas& canvas);

  // Pixels the thumb travels from the minimum to the maximum (at least 1).
  float Travel() const;
  // The thumb's rectangle for a position 0..1 (0 at the left or the bottom).
  RectF ThumbRect(float position) const;
  RectF TrackRect() const;
  float Position() const;

 private:
  Orientation orientation_ = Orientation::kAutomatic;
};

}  // namespace VGui
