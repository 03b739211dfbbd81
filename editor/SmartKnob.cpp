// The knob's hit test and its drawing from images or vectors.
#include "editor/SmartKnob.h"

#include <algorithm>
#include <cmath>

#include "support/Log.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/ControlAttributes.h"

namespace {

bool UsableStrip(const VGui::ImageSet& strip) {
  const VGui::Size size = strip.LogicalSize();
  return size.width > 0 && size.height >= size.width && size.height % size.width == 0;
}

}  // namespace

void SmartKnob::ReadSkinAttributes(const VFoundation::XmlNode& element,
                                   const VGui::SkinSet& skins) {
  CtrlKnob::ReadSkinAttributes(element, skins);
  if (auto folder = VGui::ReadText(element, "knobStyle")) SetKnobStyleFolder(std::move(*folder));
}

void SmartKnob::SetKnobStyleFolder(std::string folder) {
  styleFolder_ = std::move(folder);
  imagesLoaded_ = false;
  body_ = rangeBack_ = valueStrip_ = liveStrip_ = glow_ = {};
  Invalidate();
}

void SmartKnob::CheckStrip(VGui::ImageSet& strip, const char* file) {
  if (strip.Empty() || UsableStrip(strip)) return;
  const VGui::Size size = strip.LogicalSize();
  VFoundation::Log("%s, %s%s/%s is %dx%d: not a strip of square frames, left out\n",
                   "SmartKnob::LoadImages", kImageFolder, styleFolder_.c_str(), file, size.width,
                   size.height);
  strip = {};
}

void SmartKnob::LoadImages() {
  if (imagesLoaded_) return;
  VGui::CtrlRoot* root = Root();
  if (!root) return;
  imagesLoaded_ = true;
  if (styleFolder_.empty()) return;
  const std::string folder = std::string(kImageFolder) + styleFolder_ + "/";
  VGui::SkinSet& skins = root->Skins();
  body_ = skins.LoadImage(folder + "DialNoModBack.png");
  rangeBack_ = skins.LoadImage(folder + "DialModBack.png");
  valueStrip_ = skins.LoadImage(folder + "DialTop.png");
  liveStrip_ = skins.LoadImage(folder + "DialMod.png");
  glow_ = skins.LoadImage(folder + "DialModGlow.png");
  CheckStrip(valueStrip_, "DialTop.png");
  CheckStrip(liveStrip_, "DialMod.png");
}

bool SmartKnob::HasImages() {
  LoadImages();
  const bool has = !body_.Empty() && !valueStrip_.Empty();
  if (!has && imagesLoaded_ && !styleFolder_.empty()) {
    LogOnce(loggedNoImages_, "SmartKnob::HasImages, no usable knob images, drawn as vectors\n");
  }
  return has;
}

bool SmartKnob::ShowsModulationRange() const {
  return ShowsRange(ModulationEnabled(), Value(), ModulationTarget());
}

bool SmartKnob::OnValueHandle(VGui::Point local) const {
  const float w = float(Bounds().width);
  const float dx = float(local.x) - w * 0.5f;
  const float dy = float(local.y) - w * 0.5f;
  return std::sqrt(dx * dx + dy * dy) < kCentreShare * w;
}

void SmartKnob::Draw(VGui::Canvas& canvas) {
  if (HasImages()) {
    DrawImages(canvas);
  } else {
    DrawVector(canvas);
  }
}

void SmartKnob::DrawWhole(VGui::Canvas& canvas, const VGui::ImageSet& image) const {
  const VGui::Size size = image.LogicalSize();
  if (size.width <= 0 || size.height <= 0) return;
  canvas.DrawImage(image, {0.0f, 0.0f, float(size.width), float(size.height)}, LocalBounds());
}

void SmartKnob::DrawStripFrame(VGui::Canvas& canvas, const VGui::ImageSet& strip,
                               float position) const {
  const VGui::Size size = strip.LogicalSize();
  if (size.width <= 0) return;
  const int frames = std::max(1, size.height / size.width);
  const int frame = int((1.0f - Clamp01(position)) * float(frames - 1));
  const float side = float(size.width);
  canvas.DrawImage(strip, {0.0f, float(frame) * side, side, side}, LocalBounds());
}

void SmartKnob::DrawImages(VGui::Canvas& canvas) {
  const float v = Clamp01(Value());
  const float m = Clamp01(ModulationTarget());
  const bool range = ShowsModulationRange();
  DrawWhole(canvas, body_);
  if (range && !rangeBack_.Empty()) {
    const VGui::RectF area = LocalBounds();
    canvas.Save();
    // The pie is swept from the value towards the target, the short way along the travel.
    canvas.ClipPie({area.width * 0.5f, area.height * 0.5f}, area.width * 0.5f, AngleFor(v),
                   AngleFor(m));
    DrawWhole(canvas, rangeBack_);
    canvas.Restore();
  }
  DrawStripFrame(canvas, valueStrip_, v);
  if (!liveStrip_.Empty() && HasLiveValue()) DrawStripFrame(canvas, liveStrip_, LiveValue());
  if (range && !glow_.Empty()) DrawWhole(canvas, glow_);
  if ((Hovered() || Dragging()) && !CurrentStyle().hover.Transparent()) {
    const VGui::RectF area = LocalBounds();
    const float inset = area.width * 0.22f;
    canvas.FillEllipse({inset, inset, area.width - 2 * inset, area.height - 2 * inset},
                       CurrentStyle().hover);
  }
}

void SmartKnob::DrawVector(VGui::Canvas& canvas) {
  CtrlKnob::Draw(canvas);
  if (!ShowsModulationRange()) return;
  // A thinner arc on the outer half of the track, so the value arc stays readable inside it.
  const float width = TrackWidth() * 0.5f;
  canvas.StrokeArc(Centre(), TrackRadius() + width * 0.5f, AngleFor(Clamp01(Value())),
                   AngleFor(Clamp01(ModulationTarget())), width, kVectorRangeColour);
}
