// The knob's drawing from its images.
#include "editor/SmartKnob.h"

#include <algorithm>
#include <cmath>

#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/ControlAttributes.h"

namespace {

// A live value this close to the knob's own value is hidden under its pointer.
constexpr float kLiveValueShown = 0.01f;

}  // namespace

void SmartKnob::ReadSkinAttributes(const VFoundation::XmlNode& element,
                                   const VGui::SkinSet& skins) {
  CtrlKnob::ReadSkinAttributes(element, skins);
  if (auto folder = VGui::ReadText(element, "knobStyle")) styleFolder_ = std::move(*folder);
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
  valueStrip_ = skins.LoadImage(folder + "DialTop.png");
  liveStrip_ = skins.LoadImage(folder + "DialMod.png");
}

bool SmartKnob::HasImages() {
  LoadImages();
  return !body_.Empty() && !valueStrip_.Empty();
}

void SmartKnob::DrawStripFrame(VGui::Canvas& canvas, const VGui::ImageSet& strip,
                               float position) const {
  const VGui::Size size = strip.LogicalSize();
  if (size.width <= 0) return;
  const int frames = std::max(1, size.height / size.width);
  const float clamped = std::isfinite(position) ? std::clamp(position, 0.0f, 1.0f) : 0.0f;
  const int frame = int((1.0f - clamped) * float(frames - 1));
  const float side = float(size.width);
  canvas.DrawImage(strip, {0.0f, float(frame) * side, side, side}, LocalBounds());
}

void SmartKnob::Draw(VGui::Canvas& canvas) {
  if (!HasImages()) {
    CtrlKnob::Draw(canvas);
    return;
  }
  const VGui::Size bodySize = body_.LogicalSize();
  canvas.DrawImage(body_, {0.0f, 0.0f, float(bodySize.width), float(bodySize.height)},
                   LocalBounds());
  DrawStripFrame(canvas, valueStrip_, Value());
  if (!liveStrip_.Empty() && std::fabs(LiveValue() - Value()) >= kLiveValueShown) {
    DrawStripFrame(canvas, liveStrip_, LiveValue());
  }
  if ((Hovered() || Dragging()) && !CurrentStyle().hover.Transparent()) {
    const VGui::RectF area = LocalBounds();
    const float inset = area.width * 0.22f;
    canvas.FillEllipse({inset, inset, area.width - 2 * inset, area.height - 2 * inset},
                       CurrentStyle().hover);
  }
}

bool SmartKnob::OnMouseDown(const VGui::MouseEvent& e) {
  const bool handled = CtrlKnob::OnMouseDown(e);
  if (handled && e.button == VGui::MouseButton::kLeft) Notify(VGui::ControlEventKind::kPressFlash);
  return handled;
}
