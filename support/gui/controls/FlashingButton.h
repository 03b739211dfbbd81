// Indicator lights in the shape of a button: Flash() lights one fully and the root's 40 ms timer
// puts it out again. FlashingButton fades out over kFadeTicks ticks; SingleFlashButton stays fully
// lit for kSingleFlashTicks ticks and then goes out at once (one blink per event, for clocks);
// AutoHideFlashingButton fades like FlashingButton and is hidden whenever it is out. They show,
// they do not take clicks. A light joins the root's timer only while lit. UI thread.
#pragma once

#include "support/gui/controls/CtrlButton.h"

namespace VGui {

class CtrlRoot;

class FlashingButton : public CtrlButton, public CAutoTimerCallback {
 public:
  static constexpr const char* kClassName = "FlashingButton";
  const char* ClassName() const override { return kClassName; }

  // 8 ticks of 40 ms: a third of a second, short enough for a fast clock to blink apart.
  static constexpr int kFadeTicks = 8;

  FlashingButton() = default;
  ~FlashingButton() override;

  // Lights fully (again, when still lit) and starts the fade.
  void Flash();
  // Out at once.
  void PutOut();
  bool Lit() const { return brightness_ > 0.0f; }
  // 1 when just flashed, 0 when out.
  float Brightness() const { return brightness_; }

  void ATC_Tick() override;

  bool OnMouseDown(const MouseEvent&) override { return false; }
  bool OnMouseMove(const MouseEvent&) override { return false; }
  bool OnMouseUp(const MouseEvent&) override { return false; }

  void Draw(Canvas& canvas) override;

 protected:
  // The brightness after one more tick, given the ticks since the flash (1 on the first tick).
  virtual float BrightnessAfter(int ticks) const;
  // Told whenever the light goes on or out.
  virtual void LitChanged(bool lit);

 private:
  void SetBrightness(float brightness);
  void JoinTimer();
  void LeaveTimer();

  float brightness_ = 0.0f;
  int ticksSinceFlash_ = 0;
  CtrlRoot* timerRoot_ = nullptr;
};

class SingleFlashButton : public FlashingButton {
 public:
  static constexpr const char* kClassName = "SingleFlashButton";
  const char* ClassName() const override { return kClassName; }

  static constexpr int kSingleFlashTicks = 3;

 protected:
  float BrightnessAfter(int ticks) const override;
};

class AutoHideFlashingButton : public FlashingButton {
 public:
  static constexpr const char* kClassName = "AutoHideFlashingButton";
  const char* ClassName() const override { return kClassName; }

  AutoHideFlashingButton() { SetVisible(false); }

 protected:
  void LitChanged(bool lit) override;
};

}  // namespace VGui
