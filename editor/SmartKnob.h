// The synth panel's rotary control: the toolkit's knob plus the modulation fields of
// SmartControl. Drawn from the images of "Images/Smart/Knob/<knobStyle>/" (the skin's "knobStyle"
// attribute names the folder): the body, the value film strip (frame 0 at the top stands for 1.0)
// and the live-value film strip; vectorially, as the toolkit's knob, when they are missing.
// UI thread.
#pragma once

#include <string>

#include "editor/SmartControl.h"
#include "support/gui/Canvas.h"
#include "support/gui/controls/CtrlKnob.h"

class SmartKnob : public VGui::CtrlKnob, public SmartControl {
 public:
  static constexpr const char* kClassName = "SmartKnob";
  static constexpr const char* kBaseClassName = "CtrlKnob";
  static constexpr const char* kImageFolder = "Images/Smart/Knob/";
  const char* ClassName() const override { return kClassName; }

  const std::string& KnobStyleFolder() const { return styleFolder_; }
  // Whether the knob draws from its images (loaded at the first drawing). UI thread
  bool HasImages();

  void Draw(VGui::Canvas& canvas) override;
  // A left press also asks the listener to flash the sources that modulate the parameter.
  bool OnMouseDown(const VGui::MouseEvent& e) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const VGui::SkinSet& skins) override;

 private:
  void LoadImages();
  // The frame of a vertical film strip for a position 0..1 (the top frame stands for 1.0).
  void DrawStripFrame(VGui::Canvas& canvas, const VGui::ImageSet& strip, float position) const;

  std::string styleFolder_;
  bool imagesLoaded_ = false;
  VGui::ImageSet body_;
  VGui::ImageSet valueStrip_;
  VGui::ImageSet liveStrip_;
};
