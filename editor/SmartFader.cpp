// The fader's drawing from its images.
#include "editor/SmartFader.h"

#include <algorithm>
#include <cmath>

#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinSet.h"

namespace {

// The cap sits this far below its travel position; the live point's travel is inset likewise.
constexpr float kCapOffset = 4.0f;
constexpr float kPointMargin = 9.0f;
// A live value this close to the fader's own value is hidden under its cap.
constexpr float kLiveValueShown = 0.01f;

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
  track_ = skins.LoadImage(folder + "FaderTrack.png");
  cap_ = skins.LoadImage(folder + "Common/FaderCap.png");
  point_ = skins.LoadImage(folder + "Common/FaderModPoint.png");
}

bool SmartFader::HasImages() {
  LoadImages();
  return !track_.Empty() && !cap_.Empty();
}

float SmartFader::CapTop(float value) const {
  const float travel = float(std::max(1, Bounds().height - kTravelMargin));
  return (1.0f - Clamp01(value)) * travel + kCapOffset;
}

void SmartFader::Draw(VGui::Canvas& canvas) {
  if (!HasImages()) {
    CtrlSlider::Draw(canvas);
    return;
  }
  const float width = float(Bounds().width);
  const float height = float(Bounds().height);
  canvas.DrawImage(track_, Whole(track_), LocalBounds());
  if (!point_.Empty() && std::fabs(LiveValue() - Value()) >= kLiveValueShown) {
    const VGui::RectF point = Whole(point_);
    const float y = (height - kPointMargin - point.height) * (1.0f - LiveValue()) + kCapOffset;
    canvas.DrawImage(point_, point,
                     {width * 0.5f - point.width * 0.5f, y, point.width, point.height});
  }
  const VGui::RectF cap = Whole(cap_);
  const VGui::RectF placed{std::floor(width * 0.5f - cap.width * 0.5f), CapTop(Value()), cap.width,
                           cap.height};
  canvas.DrawImage(cap_, cap, placed);
  if ((Hovered() || Dragging()) && !CurrentStyle().hover.Transparent()) {
    canvas.FillRoundedRect(placed, 2.0f, CurrentStyle().hover);
  }
}

bool SmartFader::OnMouseDown(const VGui::MouseEvent& e) {
  const bool handled = CtrlSlider::OnMouseDown(e);
  if (handled && e.button == VGui::MouseButton::kLeft) Notify(VGui::ControlEventKind::kPressFlash);
  return handled;
}
