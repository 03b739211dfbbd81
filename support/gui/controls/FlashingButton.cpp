// Indicator lights that flash and go out on the root's timer.
#include "support/gui/controls/FlashingButton.h"

#include <algorithm>

#include "support/gui/CtrlRoot.h"
#include "support/gui/controls/ControlTheme.h"

namespace VGui {

FlashingButton::~FlashingButton() {
  LeaveTimer();
}

void FlashingButton::Flash() {
  ticksSinceFlash_ = 0;
  SetBrightness(1.0f);
  JoinTimer();
}

void FlashingButton::PutOut() {
  ticksSinceFlash_ = 0;
  SetBrightness(0.0f);
  LeaveTimer();
}

void FlashingButton::ATC_Tick() {
  // A light taken out of its tree while lit goes out rather than tick for a root it left.
  if (Root() != timerRoot_) {
    PutOut();
    return;
  }
  ++ticksSinceFlash_;
  SetBrightness(BrightnessAfter(ticksSinceFlash_));
  if (!Lit()) LeaveTimer();
}

float FlashingButton::BrightnessAfter(int ticks) const {
  return std::max(0.0f, 1.0f - float(ticks) / float(kFadeTicks));
}

void FlashingButton::LitChanged(bool) {}

void FlashingButton::SetBrightness(float brightness) {
  if (brightness == brightness_) return;
  const bool wasLit = Lit();
  brightness_ = brightness;
  Invalidate();
  if (wasLit != Lit()) LitChanged(Lit());
}

void FlashingButton::JoinTimer() {
  if (timerRoot_) return;
  timerRoot_ = Root();
  if (timerRoot_) timerRoot_->AddTimerCallback(this);
}

void FlashingButton::LeaveTimer() {
  if (!timerRoot_) return;
  timerRoot_->RemoveTimerCallback(this);
  timerRoot_ = nullptr;
}

void FlashingButton::Draw(Canvas& canvas) {
  const Style& style = CurrentStyle();
  if (!style.image.Empty()) {
    // The strip's first frame is the light out, its last the light full on.
    Theme::DrawFrame(canvas, style, 0, LocalBounds());
    if (Lit()) Theme::DrawFrame(canvas, style, style.frames - 1, LocalBounds(), brightness_);
  } else {
    DrawFace(canvas, brightness_);
  }
  DrawLabel(canvas);
}

float SingleFlashButton::BrightnessAfter(int ticks) const {
  return ticks < kSingleFlashTicks ? 1.0f : 0.0f;
}

void AutoHideFlashingButton::LitChanged(bool lit) {
  SetVisible(lit);
}

}  // namespace VGui
