// Linear sliders.
#include "support/gui/controls/CtrlSlider.h"

#include <algorithm>

#include "support/gui/controls/ControlTheme.h"

namespace VGui {
namespace {

// The track is a thin groove across the middle of the control.
constexpr float kTrackThickness = 4.0f;

}  // namespace

void CtrlSlider::SetOrientation(Orientation orientation) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  Invalidate();
}

bool CtrlSlider::Horizontal() const {
  return IsHorizontal(orientation_, Bounds().width, Bounds().height);
}

float CtrlSlider::Travel() const {
  const int length = Horizontal() ? Bounds().width : Bounds().height;
  return float(std::max(1, length - kThumbLength));
}

float CtrlSlider::DragDelta(Point from, Point to) const {
  const int pixels = Horizontal() ? to.x - from.x : from.y - to.y;
  return float(pixels) / Travel();
}

float CtrlSlider::Position() const {
  const float range = MaxValue() - MinValue();
  return range > 0.0f ? std::clamp((Value() - MinValue()) / range, 0.0f, 1.0f) : 0.0f;
}

RectF CtrlSlider::TrackRect() const {
  const float w = float(Bounds().width);
  const float h = float(Bounds().height);
  const float half = float(kThumbLength) * 0.5f;
  if (Horizontal()) return {half, (h - kTrackThickness) * 0.5f, w - 2.0f * half, kTrackThickness};
  return {(w - kTrackThickness) * 0.5f, half, kTrackThickness, h - 2.0f * half};
}

RectF CtrlSlider::ThumbRect(float position) const {
  const float offset = std::clamp(position, 0.0f, 1.0f) * Travel();
  const float w = float(Bounds().width);
  const float h = float(Bounds().height);
  if (Horizontal()) return {offset, 0.0f, float(kThumbLength), h};
  return {0.0f, h - float(kThumbLength) - offset, w, float(kThumbLength)};
}

void CtrlSlider::Draw(Canvas& canvas) {
  Ctrl::Draw(canvas);
  if (!CurrentStyle().image.Empty()) return;
  DrawBody(canvas);
  DrawValue(canvas);
}

void CtrlSlider::DrawBody(Canvas& canvas) {
  canvas.FillRoundedRect(TrackRect(), kTrackThickness * 0.5f, Theme::kTrack);
}

void CtrlSlider::DrawValue(Canvas& canvas) {
  const Style& style = CurrentStyle();
  const RectF track = TrackRect();
  const RectF thumb = ThumbRect(Position());
  const PointF middle = thumb.Centre();
  const RectF fill = Horizontal()
                         ? RectF(track.x, track.y, middle.x - track.x, track.height)
                         : RectF(track.x, middle.y, track.width, track.Bottom() - middle.y);
  if (fill.width > 0.0f && fill.height > 0.0f) {
    canvas.FillRoundedRect(fill, kTrackThickness * 0.5f, Theme::AccentColour(style, Enabled()));
  }
  const RectF face(thumb.x + 0.5f, thumb.y + 0.5f, thumb.width - 1.0f, thumb.height - 1.0f);
  canvas.FillRoundedRect(face, 2.0f, Enabled() ? Theme::kPointer : style.disabled);
  canvas.StrokeRoundedRect(face, 2.0f, Theme::kOutlineWidth, Theme::Edge(style));
  if (Hovered() || Dragging()) canvas.FillRoundedRect(face, 2.0f, style.hover);
}

void CtrlSlider::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  DragValueControl::ReadSkinAttributes(element, skins);
  ReadOrientation(element, *this, orientation_);
}

}  // namespace VGui
