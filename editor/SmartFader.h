// The synth panel's vertical fader: the toolkit's slider with a modulation range. Drawn from
// "Images/Smart/Fader/" (the track and the range fill) and "Images/Smart/Fader/Common/" (the caps
// and the live-value point): the cap travels the height less 19 pixels, 4 pixels below its
// position. With a range showing, the cap splits in two halves, one at the value and one at the
// target, the range filled between them; vectorially, as the toolkit's slider with the range
// beside its track, when the images are missing.
// A press on the value's cap moves value and range (Ctrl: the value alone), as the centre of a
// knob does; a press anywhere else on the fader moves the range's end, as a knob's ring does: the
// target's half cap is too small to be the only place to grab. UI thread.
#pragma once

#include "editor/SmartControl.h"
#include "support/gui/Canvas.h"
#include "support/gui/controls/CtrlSlider.h"

class SmartFader : public SmartDragControl<VGui::CtrlSlider> {
 public:
  static constexpr const char* kClassName = "SmartFader";
  static constexpr const char* kBaseClassName = "CtrlSlider";
  static constexpr const char* kImageFolder = "Images/Smart/Fader/";
  // The cap's travel is the fader's height less this.
  static constexpr int kTravelMargin = 19;
  // Near the ends the halves keep their places instead of swapping as the target crosses.
  static constexpr float kLowEnd = 0.05f;
  static constexpr float kHighEnd = 0.95f;
  const char* ClassName() const override { return kClassName; }

  // Whether the fader draws from its images (loaded at the first drawing). UI thread
  bool HasImages();
  // The cap's top for a value 0..1, in local pixels. UI thread
  float CapTop(float value) const;
  // Whether a range shows now (else the one whole cap). UI thread
  bool ShowsModulationRange() const;
  // Whether the range's end hangs below the value's half cap (the value's half is the cap's
  // upper one): when the target is below the value, always near the top, never near the bottom.
  // any thread
  static bool RangeHangsDown(float value, float target);
  // Where a press takes the value's handle, in local pixels. UI thread
  VGui::RectF ValueCapArea() const;

  void Draw(VGui::Canvas& canvas) override;

 protected:
  bool OnValueHandle(VGui::Point local) const override;
  bool UpDown() const override { return true; }

 private:
  void LoadImages();
  void DrawImages(VGui::Canvas& canvas);
  void DrawVector(VGui::Canvas& canvas);
  // Draws the image with its top at y, centred across the fader; stretched to height when given.
  void DrawCentred(VGui::Canvas& canvas, const VGui::ImageSet& image, float y,
                   float height = -1.0f) const;
  void DrawLivePoint(VGui::Canvas& canvas) const;

  bool imagesLoaded_ = false;
  VGui::ImageSet track_;
  VGui::ImageSet fill_;
  VGui::ImageSet cap_;
  VGui::ImageSet capUp_;
  VGui::ImageSet capDown_;
  VGui::ImageSet modCapUp_;
  VGui::ImageSet modCapDown_;
  VGui::ImageSet point_;
};
