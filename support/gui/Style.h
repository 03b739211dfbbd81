// A named style from a skin: colours, font, geometry and an optional image, plus any further
// attributes a control class reads by name. Styles are shared by the controls that use them and
// live as long as the skin set that holds them.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "support/gui/Canvas.h"
#include "support/gui/Colour.h"

namespace VGui {

struct Style {
  std::string name;
  Colour background{0, 0, 0, 0};
  Colour border{0, 0, 0, 0};
  Colour text{230, 230, 230, 255};
  Colour accent{90, 170, 255, 255};  // value arcs, on-state fills, selections
  Colour hover{255, 255, 255, 24};   // laid over a control under the mouse
  Colour disabled{128, 128, 128, 255};
  float borderWidth = 0.0f;
  float radius = 0.0f;
  Font font;
  HAlign align = HAlign::kCentre;
  ImageSet image;  // background image or film strip
  int frames = 1;  // film strip frames, stacked vertically
  // Attributes no field above names, as the skin wrote them.
  std::map<std::string, std::string, std::less<>> extra;

  std::optional<std::string> Extra(std::string_view key) const {
    auto it = extra.find(key);
    if (it == extra.end()) return std::nullopt;
    return it->second;
  }
};

}  // namespace VGui
