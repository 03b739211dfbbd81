// The synth panel's rotary control: the toolkit's knob with a modulation range. Drawn from the
// images of "Images/Smart/Knob/<knobStyle>/" (the skin's "knobStyle" attribute names the folder):
// the body, the range background clipped to the pie between value and target, the value film
// strip (frame 0 at the top stands for 1.0), the live-value film strip and a glow while a range
// shows. Without usable images it is the toolkit's vector knob with the range on its rim.
// A press within a fifth of the width from the centre moves value and range (Ctrl: the value
// alone); a press on the ring moves the range's end. UI thread.
#pragma once

#include <string>

#include "editor/SmartControl.h"
#include "support/gui/Canvas.h"
#include "support/gui/controls/CtrlKnob.h"

class SmartKnob : public SmartDragControl<VGui::CtrlKnob> {
 public:
  static constexpr const char* kClassName = "SmartKnob";
  static constexpr const char* kBaseClassName = "CtrlKnob";
  static constexpr const char* kImageFolder = "Images/Smart/Knob/";
  // The share of the width around the centre that is the value's handle.
  static constexpr float kCentreShare = 0.2f;
  const char* ClassName() const override { return kClassName; }

  const std::string& KnobStyleFolder() const { return styleFolder_; }
  // The folder below kImageFolder; the images are loaded again at the next drawing. UI thread
  void SetKnobStyleFolder(std::string folder);
  // Whether the knob draws from its images (loaded at the first drawing). UI thread
  bool HasImages();
  // Whether the drawing shows a modulation range now. UI thread
  bool ShowsModulationRange() const;

  void Draw(VGui::Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const VGui::SkinSet& skins) override;

 protected:
  bool OnValueHandle(VGui::Point local) const override;
  bool UpDown() const override { return false; }

 private:
  void LoadImages();
  // Drops a film strip whose height is not a whole number of square frames (logged).
  void CheckStrip(VGui::ImageSet& strip, const char* file);
  void DrawImages(VGui::Canvas& canvas);
  void DrawVector(VGui::Canvas& canvas);
  void DrawWhole(VGui::Canvas& canvas, const VGui::ImageSet& image) const;
  // The frame of a vertical film strip for a position 0..1 (the top frame stands for 1.0).
  void DrawStripFrame(VGui::Canvas& canvas, const VGui::ImageSet& strip, float position) const;

  std::string styleFolder_;
  bool imagesLoaded_ = false;
  bool loggedNoImages_ = false;
  VGui::ImageSet body_;
  VGui::ImageSet rangeBack_;
  VGui::ImageSet valueStrip_;
  VGui::ImageSet liveStrip_;
  VGui::ImageSet glow_;
};
