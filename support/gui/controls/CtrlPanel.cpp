// Panels: a styled background with an optional title.
#include "support/gui/controls/CtrlPanel.h"

#include "support/gui/controls/ControlAttributes.h"

namespace VGui {
namespace {

// Room between the panel's edge and the title text.
constexpr float kTitleMargin = 4.0f;

}  // namespace

void CtrlPanel::SetTitle(std::string title) {
  if (title == title_) return;
  title_ = std::move(title);
  Invalidate();
}

float CtrlPanel::TitleHeight() const {
  return CurrentStyle().font.size + 2.0f * kTitleMargin;
}

void CtrlPanel::Draw(Canvas& canvas) {
  Ctrl::Draw(canvas);
  if (!title_.empty()) DrawTitle(canvas);
}

void CtrlPanel::DrawTitle(Canvas& canvas) {
  const Style& style = CurrentStyle();
  const float inset = kTitleMargin + style.borderWidth;
  const RectF box(inset, style.borderWidth, float(Bounds().width) - 2.0f * inset, TitleHeight());
  canvas.DrawText(title_, box, style.font, style.text, style.align, VAlign::kMiddle);
}

void CtrlPanel::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  Ctrl::ReadSkinAttributes(element, skins);
  if (auto title = ReadText(element, "title")) title_ = std::move(*title);
}

}  // namespace VGui
