// Tooltip placement and drawing.
#include "support/gui/Tooltip.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "support/gui/PopupMenuView.h"

namespace VGui {

namespace {

// A tooltip may hold a second line (the keys of a control); each line is one row of the box.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

void Tooltip::Show(std::string text, Point mouse, const Rect& bounds) {
  text_ = std::move(text);
  const std::vector<std::string_view> lines = Lines(text_);
  int widest = 0;
  for (std::string_view line : lines) {
    widest = std::max(widest, PopupMenuView::EstimateTextWidth(line, kFontSize));
  }
  const int width = std::min(widest + 12, std::max(bounds.width, 1));
  const int height = kHeight * int(lines.size());
  int x = mouse.x + kOffset.x;
  int y = mouse.y + kOffset.y;
  if (x + width > bounds.Right()) x = bounds.Right() - width;
  // No room below the mouse: above it, so the box never hides what it describes.
  if (y + height > bounds.Bottom()) y = mouse.y - height - 4;
  area_ = {std::max(x, bounds.x), std::max(y, bounds.y), width, height};
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
  float top = float(area_.y);
  for (std::string_view line : Lines(text_)) {
    canvas.DrawText(line, RectF(float(area_.x), top, float(area_.width), float(kHeight)),
                    Font{kFontSize, false}, ink_, HAlign::kCentre);
    top += float(kHeight);
  }
}

}  // namespace VGui
