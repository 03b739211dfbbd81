// The vertical fader's images. "Images/Smart/Fader/": "FaderTrack" (the slot with its scale, as
// tall as the fader) and "FaderTrackModFill" (the slot lit in the modulation colour, stretched
// over the modulation range). "Images/Smart/Fader/Common/": "FaderCap" (the value cap), its halves
// "FaderCapUp" and "FaderCapDown", the modulation target's halves "FaderModCapUp" and
// "FaderModCapDown", and "FaderModPoint" (the live modulated value).
#pragma once

#include <vector>

#include "tools/art/ArtImage.h"

namespace TavoArt {

// The fader control's size in the skins; its travel is the height less 19 pixels.
constexpr int kFaderWidth = 20;
constexpr int kFaderHeight = 70;
// The cap: 11 rows, split into an upper half of 5 and a lower half of 6 rows, which the control
// draws 4 and 9 pixels below the cap's position.
constexpr int kCapWidth = 18;
constexpr int kCapHeight = 11;
constexpr int kCapUpperRows = 5;
constexpr int kModPointHeight = 5;
// The fill is uniform from top to bottom, so the control may stretch it to any height.
constexpr int kModFillHeight = 8;

std::vector<Picture> FaderPictures();

}  // namespace TavoArt
