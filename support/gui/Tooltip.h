// The root's tooltip: one line of text in a box near the mouse, kept inside the root. UI thread.
#pragma once

#include <string>

#include "support/gui/Canvas.h"
#include "support/gui/Geometry.h"

namespace VGui {

class Tooltip {
 public:
  static constexpr float kFontSize = 11.0f;
  static constexpr int kHeight = 20;
  // Below and right of the mouse, clear of a typical arrow cursor.
  static constexpr Point kOffset{12, 20};

  // Places the box for text near mouse inside bounds. UI thread
  void Show(std::string text, Point mouse, const Rect& bounds);
  void Hide();
  bool Shown() const { return !text_.empty(); }
  const std::string& Text() const { return text_; }
  const Rect& Area() const { return area_; }
  void SetColours(Colour background, Colour text) {
    background_ = background;
    ink_ = text;
  }
  void Draw(Canvas& canvas) const;

 private:
  std::string text_;
  Rect area_;
  Colour background_{43, 45, 49, 240};
  Colour ink_{230, 230, 230, 255};
};

}  // namespace VGui
