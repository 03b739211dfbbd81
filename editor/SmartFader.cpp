// The fader's layout, hit test and drawing from images or vectors.
#include "editor/SmartFader.h"

#include <algorithm>
#include <cmath>

#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinSet.h"

namespace {

// The cap sits this far below its travel position; its lower half this far.
constexpr float kCapOffset = 4.0f;
constexpr float kLowerHalfOffset = 9.0f;
// The whole cap's height, and how far the value's half cap reaches for the mouse beyond its edge
// away from the target's half.
constexpr float kCapHeight = 11.0f;
constexpr float kGrabMargin = 3.0f;
// The live point's travel leaves this much of the height out.
constexpr float kPointMargin = 9.0f;
// The fill reaches this far past the caps' edges so that it meets them without a gap.
constexpr float kFillOverlapDown = 2.0f;
constexpr float kFillOverlapUp = 11.0f;
constexpr float kVectorRangeWidth = 3.0f;

VGui::RectF Whole(const VGui::ImageSet& image) {
  const VGui::Size size = image.LogicalSize();
  return {0.0f, 0.0f, float(size.width), float(size.height)};
}

}  // namespace

void SmartFader::LoadImages() {
  if (imagesLoaded_) return;
  VGui::CtrlRoot* root = Root();
  if (!root) return;
  imagesLoaded_ = true;
  VGui::SkinSet& skins = root->Skins();
  const std::string folder = kImageFolder;
  const std::string common = folder + "Common/";
  track_ = skins.LoadImage(folder + "FaderTrack.png");
  fill_ = skins.LoadImage(folder + "FaderTrackModFill.png");
  cap_ = skins.LoadImage(common + "FaderCap.png");
  capUp_ = skins.LoadImage(common + "FaderCapUp.png");
  capDown_ = skins.LoadImage(common + "FaderCapDown.png");
  modCapUp_ = skins.LoadImage(common + "FaderModCapUp.png");
  modCapDown_ = skins.LoadImage(common + "FaderModCapDown.png");
  point_ = skins.LoadImage(common + "FaderModPoint.png");
}

bool SmartFader::HasImages() {
  LoadImages();
  return !track_.Empty() && !cap_.Empty();
}

float SmartFader::CapTop(float value) const {
  const float travel = float(std::max(1, Bounds().height - kTravelMargin));
  return (1.0f - Clamp01(value)) * travel + kCapOffset;
}

bool SmartFader::ShowsModulationRange() const {
  return ModulationEnabled() &&
         std::fabs(Clamp01(Value()) - Clamp01(ModulationTarget())) >= kRangeResolution;
}

bool SmartFader::RangeHangsDown(float value, float target) {
  const float v = Clamp01(value);
  const float m = Clamp01(target);
  if (v < kLowEnd && m < kLowEnd) return false;
  if (v > kHighEnd && m > kHighEnd) return true;
  return m < v;
}

VGui::RectF SmartFader::ValueCapArea() const {
  const float width = float(Bounds().width);
  const float top = CapTop(Value());
  if (!ShowsModulationRange()) return {0.0f, top, width, kCapHeight};
  const float split = top - kCapOffset + kLowerHalfOffset;
  if (RangeHangsDown(Value(), ModulationTarget())) {
    return {0.0f, top - kGrabMargin, width, split - top + kGrabMargin};
  }
  return {0.0f, split, width, top + kCapHeight + kGrabMargin - split};
}

bool SmartFader::OnValueHandle(VGui::Point local) const {
  const VGui::RectF area = ValueCapArea();
  const float x = float(local.x);
  const float y = float(local.y);
  return x >= area.x && x < area.Right() && y >= area.y && y < area.Bottom();
}

void SmartFader::Draw(VGui::Canvas& canvas) {
  if (HasImages()) {
    DrawImages(canvas);
  } else {
    DrawVector(canvas);
  }
}

void SmartFader::DrawCentred(VGui::Canvas& canvas, const VGui::ImageSet& image, float y,
                             float height) const {
  if (image.Empty()) return;
  const VGui::RectF source = Whole(image);
  const float h = height < 0.0f ? source.height : height;
  if (source.width <= 0.0f || source.height <= 0.0f || h <= 0.0f) return;
  const float x = std::floor(float(Bounds().width) * 0.5f - source.width * 0.5f);
  canvas.DrawImage(image, source, {x, y, source.width, h});
}

void SmartFader::DrawLivePoint(VGui::Canvas& canvas) const {
  if (!HasLiveValue()) return;
  const float pointHeight = Whole(point_).height;
  const float y =
      (float(Bounds().height) - kPointMargin - pointHeight) * (1.0f - LiveValue()) + kCapOffset;
  DrawCentred(canvas, point_, y);
}

void SmartFader::DrawImages(VGui::Canvas& canvas) {
  canvas.DrawImage(track_, Whole(track_), LocalBounds());
  // Both positions of the travel, without the cap's offset.
  const float valueY = CapTop(Value()) - kCapOffset;
  const float targetY = CapTop(ModulationTarget()) - kCapOffset;
  if (!ShowsModulationRange()) {
    DrawLivePoint(canvas);
    DrawCentred(canvas, cap_, valueY + kCapOffset);
  } else if (RangeHangsDown(Value(), ModulationTarget())) {
    const float top = valueY + kCapOffset;
    DrawCentred(canvas, fill_, top, (targetY + kLowerHalfOffset) - top + kFillOverlapDown);
    DrawLivePoint(canvas);
    DrawCentred(canvas, modCapDown_, targetY + kLowerHalfOffset);
    DrawCentred(canvas, capUp_, valueY + kCapOffset);
  } else {
    const float top = targetY + kCapOffset;
    DrawCentred(canvas, fill_, top, (valueY - top) + kFillOverlapUp);
    DrawLivePoint(canvas);
    DrawCentred(canvas, capDown_, valueY + kLowerHalfOffset);
    DrawCentred(canvas, modCapUp_, targetY + kCapOffset);
  }
  if ((Hovered() || Dragging()) && !CurrentStyle().hover.Transparent()) {
    const VGui::RectF cap = Whole(cap_);
    const VGui::RectF placed{std::floor(float(Bounds().width) * 0.5f - cap.width * 0.5f),
                             valueY + kCapOffset, cap.width, cap.height};
    canvas.FillRoundedRect(placed, 2.0f, CurrentStyle().hover);
  }
}

void SmartFader::DrawVector(VGui::Canvas& canvas) {
  CtrlSlider::Draw(canvas);
  if (!ShowsModulationRange() || Horizontal()) return;
  const float a = ThumbRect(Clamp01(Value())).Centre().y;
  const float b = ThumbRect(Clamp01(ModulationTarget())).Centre().y;
  const float x = float(Bounds().width) - kVectorRangeWidth;
  canvas.FillRect({x, std::min(a, b), kVectorRangeWidth, std::fabs(b - a)}, kVectorRangeColour);
}
