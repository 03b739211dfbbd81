// Level meter strips with a peak hold.
#include "support/gui/controls/CtrlLevelStrip.h"

#include <algorithm>
#include <cmath>

#include "support/XmlDocument.h"
#include "support/gui/controls/ControlTheme.h"

namespace VGui {
namespace {

constexpr float kPeakThickness = 2.0f;

}  // namespace

void CtrlLevelStrip::ResetPeak() {
  peak_ = Value();
  holdUpdates_ = 0;
  Invalidate();
}

void CtrlLevelStrip::SetHotPosition(float position) {
  if (!std::isfinite(position)) return;
  hot_ = std::clamp(position, 0.0f, 1.0f);
  Invalidate();
}

void CtrlLevelStrip::SetOrientation(Orientation orientation) {
  orientation_ = orientation;
  Invalidate();
}

bool CtrlLevelStrip::Horizontal() const {
  return IsHorizontal(orientation_, Bounds().width, Bounds().height);
}

void CtrlLevelStrip::UpdatePeak(float value) {
  const float before = peak_;
  if (value >= peak_) {
    peak_ = value;
    holdUpdates_ = kPeakHoldUpdates;
  } else if (holdUpdates_ > 0) {
    --holdUpdates_;
  } else {
    peak_ = std::max(value, peak_ - kPeakFallPerUpdate);
  }
  if (peak_ != before) Invalidate();
}

void CtrlLevelStrip::SetValue(float value, bool notify) {
  if (std::isnan(value)) return;
  const float clamped = std::clamp(value, MinValue(), MaxValue());
  UpdatePeak(clamped);
  Ctrl::SetValue(clamped, notify);
}

RectF CtrlLevelStrip::Portion(float from, float to) const {
  const float w = float(Bounds().width);
  const float h = float(Bounds().height);
  const float a = std::clamp(from, 0.0f, 1.0f);
  const float b = std::clamp(to, 0.0f, 1.0f);
  if (Horizontal()) return {a * w, 0.0f, (b - a) * w, h};
  return {0.0f, h - b * h, w, (b - a) * h};
}

void CtrlLevelStrip::Draw(Canvas& canvas) {
  const Style& style = CurrentStyle();
  canvas.FillRect(RectF(LocalBounds()), Theme::Or(style.background, Theme::kTrack));
  const float value = Value();
  const RectF cool = Portion(0.0f, std::min(value, hot_));
  if (cool.width > 0.0f && cool.height > 0.0f) canvas.FillRect(cool, style.accent);
  if (value > hot_) canvas.FillRect(Portion(hot_, value), Theme::kHot);
  if (peak_ > 0.0f) {
    const float w = float(Bounds().width);
    const float h = float(Bounds().height);
    const float thickness = kPeakThickness / std::max(1.0f, Horizontal() ? w : h);
    const float end = std::max(peak_, thickness);
    canvas.FillRect(Portion(end - thickness, end), peak_ > hot_ ? Theme::kHot : Theme::kPeak);
  }
  if (style.borderWidth > 0.0f && !style.border.Transparent()) {
    const float half = style.borderWidth * 0.5f;
    const RectF frame(half, half, float(Bounds().width) - style.borderWidth,
                      float(Bounds().height) - style.borderWidth);
    canvas.StrokeRoundedRect(frame, style.radius, style.borderWidth, style.border);
  }
}

void CtrlLevelStrip::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  Ctrl::ReadSkinAttributes(element, skins);
  ReadOrientation(element, *this, orientation_);
  float hot = hot_;
  if (element.Has("hot")) {
    if (element.ReadFloat("hot", hot) && std::isfinite(hot) && hot >= 0.0f && hot <= 1.0f) {
      hot_ = hot;
    } else {
      LogBadAttribute(*this, "hot", ReadText(element, "hot").value_or(""));
    }
  }
}

}  // namespace VGui
