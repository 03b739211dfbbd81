// Tooltip placement and drawing.
#include "support/gui/Tooltip.h"

#include <algorithm>

#include "support/gui/PopupMenuView.h"

namespace VGui {

void Tooltip::Show(std::string text, Point mouse, const Rect& bounds) {
  text_ = std::move(text);
  const int width =
      std::min(PopupMenuView::EstimateTextWidth(text_, kFontSize) + 12, std::max(bounds.width, 1));
  int x = mouse.x + kOffset.x;
  int y = mouse.y + kOffset.y;
  if (x + width > bounds.Right()) x = bounds.Right() - width;
  // No room below the mouse: above it, so the box never hides what it describes.
  if (y + kHeight > bounds.Bottom()) y = mouse.y - kHeight - 4;
  area_ = {std::max(x, bounds.x), std::max(y, bounds.y), width, kHeight};
}

void Tooltip::Hide() {
  text_.clear();
  area_ = {};
}

void Tooltip::Draw(Canvas& canvas) const {
  if (!Shown()) return;
  canvas.FillRoundedRect(area_, 3.0f, background_);
  canvas.StrokeRoundedRect(RectF(float(area_.x) + 0.5f, float(area_.y) + 0.5f,
                                 float(area_.width) - 1.0f, float(area_.height) - 1.0f),
                           3.0f, 1.0f, ink_.WithAlpha(80));
  canvas.DrawText(text_, RectF(float(area_.x), float(area_.y), float(area_.width), float(kHeight)),
                  Font{kFontSize, false}, ink_, HAlign::kCentre);
}

}  // namespace VGui
