// The synth panel's vertical fader: the toolkit's slider plus the modulation fields of
// SmartControl. Drawn from "Images/Smart/Fader/" (the track) and "Images/Smart/Fader/Common/" (the
// cap and the live-value point): the cap travels the height less 19 pixels, 4 pixels below its
// position; vectorially, as the toolkit's slider, when the images are missing. UI thread.
#pragma once

#include "editor/SmartControl.h"
#include "support/gui/Canvas.h"
#include "support/gui/controls/CtrlSlider.h"

class SmartFader : public VGui::CtrlSlider, public SmartControl {
 public:
  static constexpr const char* kClassName = "SmartFader";
  static constexpr const char* kBaseClassName = "CtrlSlider";
  static constexpr const char* kImageFolder = "Images/Smart/Fader/";
  // The cap's travel is the fader's height less this.
  static constexpr int kTravelMargin = 19;
  const char* ClassName() const override { return kClassName; }

  // Whether the fader draws from its images (loaded at the first drawing). UI thread
  bool HasImages();
  // The cap's top for a value 0..1, in local pixels. UI thread
  float CapTop(float value) const;

  void Draw(VGui::Canvas& canvas) override;
  // A left press also asks the listener to flash the sources that modulate the parameter.
  bool OnMouseDown(const VGui::MouseEvent& e) override;

 private:
  void LoadImages();

  bool imagesLoaded_ = false;
  VGui::ImageSet track_;
  VGui::ImageSet cap_;
  VGui::ImageSet point_;
};
