// Labels and the shortening of text to a width.
#include "support/gui/controls/CtrlLabel.h"

#include "support/XmlDocument.h"
#include "support/gui/controls/ControlAttributes.h"
#include "support/gui/controls/ControlTheme.h"
#include "support/gui/controls/Utf8.h"

namespace VGui {
namespace {

// Keeps text off the edges so that a bordered label does not touch its frame.
constexpr float kTextMargin = 2.0f;

}  // namespace

void CtrlLabel::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  Invalidate();
}

void CtrlLabel::SetAlignment(HAlign align) {
  align_ = align;
  Invalidate();
}

RectF CtrlLabel::TextBox() const {
  return {kTextMargin, 0.0f, float(Bounds().width) - 2.0f * kTextMargin, float(Bounds().height)};
}

std::string CtrlLabel::DisplayText(Canvas&, float) const {
  return text_;
}

void CtrlLabel::Draw(Canvas& canvas) {
  Ctrl::Draw(canvas);
  if (text_.empty()) return;
  const Style& style = CurrentStyle();
  const RectF box = TextBox();
  const std::string shown = DisplayText(canvas, box.width);
  canvas.DrawText(shown, box, style.font, Theme::TextColour(style, Enabled()), Alignment(),
                  VAlign::kMiddle);
}

void CtrlLabel::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  Ctrl::ReadSkinAttributes(element, skins);
  if (auto text = ReadText(element, "text")) text_ = std::move(*text);
  if (auto align = ReadText(element, "align")) {
    if (const auto parsed = ParseAlign(*align)) {
      align_ = *parsed;
    } else {
      LogBadAttribute(*this, "align", *align);
    }
  }
}

std::string AutoShorteningLabel::DisplayText(Canvas& canvas, float width) const {
  const Font& font = CurrentStyle().font;
  return ShortenToFit(Text(), width,
                      [&canvas, &font](std::string_view s) { return canvas.TextWidth(s, font); });
}

std::string ShortenToFit(std::string_view text, float width,
                         const std::function<float(std::string_view)>& measure) {
  if (measure(text) <= width) return std::string(text);
  if (measure(kEllipsis) > width) return {};
  // Widths grow with the number of characters kept, so a binary search over the character
  // boundaries finds the longest start that fits.
  const std::vector<size_t> ends = Utf8::CharacterEnds(text);
  auto fits = [&](size_t count) {
    std::string candidate(text.substr(0, count == 0 ? 0 : ends[count - 1]));
    while (!candidate.empty() && candidate.back() == ' ') candidate.pop_back();
    return measure(candidate + std::string(kEllipsis)) <= width;
  };
  size_t low = 0;  // always fits
  size_t high = ends.size();
  while (high - low > 1) {
    const size_t middle = (low + high) / 2;
    if (fits(middle)) {
      low = middle;
    } else {
      high = middle;
    }
  }
  std::string kept(text.substr(0, low == 0 ? 0 : ends[low - 1]));
  while (!kept.empty() && kept.back() == ' ') kept.pop_back();
  return kept + std::string(kEllipsis);
}

}  // namespace VGui
