// The mouse cursors "Cursors/<Name>.png" and their hot spots "Cursors/Cursors.hotspots": white
// shapes with a black outline (visible on light and dark), teal where they stand for modulation.
#pragma once

#include <string>
#include <vector>

#include "tools/art/ArtImage.h"

namespace TavoArt {

constexpr int kCursorSize = 24;

struct CursorPicture {
  Picture picture;
  int hotSpotX = 0;  // logical pixels from the top left
  int hotSpotY = 0;
};

std::vector<CursorPicture> CursorPictures();

// The hot spots file: root element "root", an element "Hotspots" with one entry per cursor
// carrying "CursorName" (the file name without ".png") and "Hotspot" ("x y").
std::string HotSpotsXml(const std::vector<CursorPicture>& cursors);

}  // namespace TavoArt
