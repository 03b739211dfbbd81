// The rotary knob's images, one set per knob size, in "Images/Smart/Knob/<style>/":
// "DialNoModBack" (shadow, groove and body), "DialModBack" (the groove lit in the modulation
// colour, shown inside the modulation range's pie), "DialTop" (value arc and pointer, a film
// strip), "DialMod" (the live modulated value as a dot on the groove, a film strip) and
// "DialModGlow" (a halo over a modulated knob).
#pragma once

#include <string>
#include <vector>

#include "tools/art/ArtImage.h"

namespace TavoArt {

struct KnobStyle {
  std::string folder;  // below Images/Smart/Knob/
  int size = 0;        // the knob control's width and height
};

// Frames of the film strips: a step of 2.8 degrees, finer than a mouse step at 1/300 per pixel
// shows on a 50 px knob.
constexpr int kKnobFrames = 101;

const std::vector<KnobStyle>& KnobStyles();

// The knob's geometry at a size, shared by the images so that they line up.
struct KnobGeometry {
  double centre;        // x and y of the centre
  double grooveRadius;  // centre line of the value groove
  double grooveWidth;
  double bodyRadius;
};
KnobGeometry KnobGeometryFor(int size);

std::vector<Picture> KnobPictures(const KnobStyle& style);

}  // namespace TavoArt
