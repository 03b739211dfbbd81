// A rotary control: 280 degrees of travel around the top, dragged up and down (300 pixels for the
// whole range). Drawn as a film strip when its style has an image, otherwise as a track arc, a
// value arc in the accent colour (from the centre of travel when bipolar, for pans and offsets)
// and a pointer on a round face. UI thread.
#pragma once

#include "support/gui/controls/DragValueControl.h"

namespace VGui {

class CtrlKnob : public DragValueControl {
 public:
  static constexpr const char* kClassName = "CtrlKnob";
  const char* ClassName() const override { return kClassName; }

  static constexpr float kTravelDegrees = 280.0f;
  // A vertical drag this long moves the value across its whole range.
  static constexpr float kPixelsPerRange = 300.0f;

  bool Bipolar() const { return bipolar_; }
  void SetBipolar(bool bipolar);

  // The canvas angle (radians, clockwise from 3 o'clock) of a position 0..1 along the travel.
  static float AngleFor(float position);

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 protected:
  float DragDelta(Point from, Point to) const override;
  // The face and the unlit track.
  virtual void DrawBody(Canvas& canvas);
  // The value arc and the pointer.
  virtual void DrawValue(Canvas& canvas);

  PointF Centre() const;
  // The radius of the track's centre line.
  float TrackRadius() const;
  float TrackWidth() const;
  // Where along the travel the value sits, 0..1.
  float Position() const;

 private:
  bool bipolar_ = false;
};

}  // namespace VGui
