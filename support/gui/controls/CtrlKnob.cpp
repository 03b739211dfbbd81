// Rotary knobs.
#include "support/gui/controls/CtrlKnob.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/XmlDocument.h"
#include "support/gui/controls/ControlTheme.h"

namespace VGui {
namespace {

constexpr float kDegreesToRadians = std::numbers::pi_v<float> / 180.0f;
// The travel's start, measured clockwise from 3 o'clock: 140 degrees before the top.
constexpr float kStartDegrees = -90.0f - CtrlKnob::kTravelDegrees * 0.5f;
// The face fills the inside of the track; the pointer runs from near the centre to its rim.
constexpr float kFaceShare = 0.70f;
constexpr float kPointerInnerShare = 0.25f;

}  // namespace

void CtrlKnob::SetBipolar(bool bipolar) {
  if (bipolar == bipolar_) return;
  bipolar_ = bipolar;
  Invalidate();
}

float CtrlKnob::AngleFor(float position) {
  const float clamped = std::clamp(position, 0.0f, 1.0f);
  return (kStartDegrees + clamped * kTravelDegrees) * kDegreesToRadians;
}

float CtrlKnob::DragDelta(Point from, Point to) const {
  return float(from.y - to.y) / kPixelsPerRange;
}

PointF CtrlKnob::Centre() const {
  return RectF(LocalBounds()).Centre();
}

float CtrlKnob::TrackWidth() const {
  const float size = float(std::min(Bounds().width, Bounds().height));
  return std::max(2.0f, size * 0.09f);
}

float CtrlKnob::TrackRadius() const {
  const float size = float(std::min(Bounds().width, Bounds().height));
  return std::max(0.0f, size * 0.5f - TrackWidth() * 0.5f - 1.0f);
}

float CtrlKnob::Position() const {
  const float range = MaxValue() - MinValue();
  return range > 0.0f ? (Value() - MinValue()) / range : 0.0f;
}

void CtrlKnob::Draw(Canvas& canvas) {
  Ctrl::Draw(canvas);
  if (!CurrentStyle().image.Empty()) return;
  DrawBody(canvas);
  DrawValue(canvas);
}

void CtrlKnob::DrawBody(Canvas& canvas) {
  const Style& style = CurrentStyle();
  const PointF centre = Centre();
  const float radius = TrackRadius();
  canvas.StrokeArc(centre, radius, AngleFor(0.0f), AngleFor(1.0f), TrackWidth(), Theme::kTrack);
  const float face = radius * kFaceShare;
  const RectF faceBox(centre.x - face, centre.y - face, 2.0f * face, 2.0f * face);
  canvas.FillEllipse(faceBox, Theme::kBody);
  canvas.StrokeEllipse(faceBox, Theme::kOutlineWidth, Theme::Edge(style));
  if (Hovered() || Dragging()) canvas.FillEllipse(faceBox, style.hover);
}

void CtrlKnob::DrawValue(Canvas& canvas) {
  const Style& style = CurrentStyle();
  const PointF centre = Centre();
  const float radius = TrackRadius();
  const float position = Position();
  const float from = bipolar_ ? 0.5f : 0.0f;
  const Colour accent = Theme::AccentColour(style, Enabled());
  if (position != from) {
    canvas.StrokeArc(centre, radius, AngleFor(std::min(from, position)),
                     AngleFor(std::max(from, position)), TrackWidth(), accent);
  }
  const float angle = AngleFor(position);
  const float inner = radius * kFaceShare * kPointerInnerShare;
  const float outer = radius * kFaceShare;
  const PointF a{centre.x + inner * std::cos(angle), centre.y + inner * std::sin(angle)};
  const PointF b{centre.x + outer * std::cos(angle), centre.y + outer * std::sin(angle)};
  const Colour pointer = Enabled() ? Theme::kPointer : style.disabled;
  canvas.StrokeLine(a, b, std::max(1.5f, TrackWidth() * 0.6f), pointer);
}

void CtrlKnob::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  DragValueControl::ReadSkinAttributes(element, skins);
  bool bipolar = bipolar_;
  if (element.ReadBool("bipolar", bipolar)) bipolar_ = bipolar;
}

}  // namespace VGui
