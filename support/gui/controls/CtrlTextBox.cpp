// One-line text fields.
#include "support/gui/controls/CtrlTextBox.h"

#include <algorithm>
#include <cmath>

#include "support/gui/CtrlRoot.h"
#include "support/gui/controls/ControlAttributes.h"
#include "support/gui/controls/ControlTheme.h"
#include "support/gui/controls/Utf8.h"

namespace VGui {
namespace {

constexpr float kTextMargin = 4.0f;
constexpr uint8_t kSelectionAlpha = 110;

bool IsControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

void CtrlTextBox::SetText(std::string text) {
  text_ = std::move(text);
  caret_ = text_.size();
  boundaryX_.clear();
  Invalidate();
}

void CtrlTextBox::OnFocusGained() {
  editing_ = true;
  allSelected_ = !text_.empty();
  keepSelectionOnPress_ = true;
  caret_ = text_.size();
  Invalidate();
}

void CtrlTextBox::OnFocusLost() {
  allSelected_ = false;
  Invalidate();
  if (!editing_) return;
  editing_ = false;
  Notify(ControlEventKind::kEditEnded);
}

void CtrlTextBox::FinishEdit(ControlEventKind kind) {
  editing_ = false;
  allSelected_ = false;
  if (CtrlRoot* root = Root(); root && root->Focus() == this) root->SetFocus(nullptr);
  Invalidate();
  Notify(kind);
}

void CtrlTextBox::MoveCaret(size_t position) {
  caret_ = std::min(position, text_.size());
  allSelected_ = false;
  Invalidate();
}

void CtrlTextBox::Insert(std::string_view typed) {
  if (typed.empty() || IsControlCharacter(typed)) return;
  if (allSelected_) {
    text_.clear();
    caret_ = 0;
    allSelected_ = false;
  }
  text_.insert(caret_, typed);
  caret_ += typed.size();
  boundaryX_.clear();
  Invalidate();
}

void CtrlTextBox::EraseBackward() {
  if (allSelected_) {
    SetText({});
    allSelected_ = false;
    return;
  }
  const size_t start = Utf8::PreviousBoundary(text_, caret_);
  text_.erase(start, caret_ - start);
  caret_ = start;
  boundaryX_.clear();
  Invalidate();
}

void CtrlTextBox::EraseForward() {
  if (allSelected_) {
    SetText({});
    allSelected_ = false;
    return;
  }
  const size_t end = Utf8::NextBoundary(text_, caret_);
  text_.erase(caret_, end - caret_);
  boundaryX_.clear();
  Invalidate();
}

bool CtrlTextBox::OnKeyDown(const KeyEvent& e) {
  if (!editing_) return false;
  keepSelectionOnPress_ = false;
  switch (e.key) {
    case Key::kCharacter:
      Insert(e.text);
      return true;
    case Key::kBackspace:
      EraseBackward();
      return true;
    case Key::kDelete:
      EraseForward();
      return true;
    case Key::kLeft:
      MoveCaret(allSelected_ ? 0 : Utf8::PreviousBoundary(text_, caret_));
      return true;
    case Key::kRight:
      MoveCaret(allSelected_ ? text_.size() : Utf8::NextBoundary(text_, caret_));
      return true;
    case Key::kHome:
      MoveCaret(0);
      return true;
    case Key::kEnd:
      MoveCaret(text_.size());
      return true;
    case Key::kReturn:
      FinishEdit(ControlEventKind::kValueChanged);
      return true;
    case Key::kEscape:
      FinishEdit(ControlEventKind::kEditEnded);
      return true;
    default:
      return false;
  }
}

size_t CtrlTextBox::BoundaryNear(int x) const {
  if (boundaryX_.empty()) return text_.size();
  const auto nearest =
      std::min_element(boundaryX_.begin(), boundaryX_.end(), [x](const auto& a, const auto& b) {
        return std::abs(a.second - float(x)) < std::abs(b.second - float(x));
      });
  return nearest->first;
}

bool CtrlTextBox::OnMouseDown(const MouseEvent& e) {
  if (e.button != MouseButton::kLeft) return false;
  // Without a root nobody else hands out the focus.
  if (!Root() && !editing_) OnFocusGained();
  if (keepSelectionOnPress_) {
    keepSelectionOnPress_ = false;
    return true;
  }
  MoveCaret(BoundaryNear(e.position.x));
  return true;
}

void CtrlTextBox::Draw(Canvas& canvas) {
  const Style& style = CurrentStyle();
  const float edge = Theme::EdgeWidth(style);
  const float w = float(Bounds().width);
  const float h = float(Bounds().height);
  const RectF box(edge * 0.5f, edge * 0.5f, w - edge, h - edge);
  canvas.FillRoundedRect(box, Theme::Radius(style), Theme::Or(style.background, Theme::kTrack));
  const Colour border = editing_ ? Theme::AccentColour(style, Enabled()) : Theme::Edge(style);
  canvas.StrokeRoundedRect(box, Theme::Radius(style), edge, border);

  const float inner = std::max(0.0f, w - 2.0f * kTextMargin);
  // The caret stays inside the field: the text scrolls left as it grows past the right edge.
  const float textWidth = canvas.TextWidth(text_, style.font);
  const float caretWidth = canvas.TextWidth(std::string_view(text_).substr(0, caret_), style.font);
  if (caretWidth - scroll_ > inner) scroll_ = caretWidth - inner;
  if (caretWidth < scroll_) scroll_ = caretWidth;
  scroll_ = std::clamp(scroll_, 0.0f, std::max(0.0f, textWidth - inner));
  const float left = kTextMargin - scroll_;

  boundaryX_.clear();
  boundaryX_.emplace_back(0, left);
  for (size_t end : Utf8::CharacterEnds(text_)) {
    boundaryX_.emplace_back(end, left + canvas.TextWidth(text_.substr(0, end), style.font));
  }

  canvas.Save();
  canvas.ClipRect(RectF(kTextMargin, 0.0f, inner, h));
  const Colour accent = Theme::AccentColour(style, Enabled());
  if (editing_ && allSelected_) {
    const float lineHeight = style.font.size + 4.0f;
    canvas.FillRect(RectF(left, (h - lineHeight) * 0.5f, textWidth, lineHeight),
                    accent.WithAlpha(kSelectionAlpha));
  }
  const HAlign align = editing_ ? HAlign::kLeft : style.align;
  const RectF textBox = editing_ ? RectF(left, 0.0f, std::max(inner, textWidth) + 1.0f, h)
                                 : RectF(kTextMargin, 0.0f, inner, h);
  canvas.DrawText(text_, textBox, style.font, Theme::TextColour(style, Enabled()), align,
                  VAlign::kMiddle);
  if (editing_ && !allSelected_) {
    const float x = std::floor(left + caretWidth) + 0.5f;
    const float half = style.font.size * 0.5f + 1.0f;
    canvas.StrokeLine({x, h * 0.5f - half}, {x, h * 0.5f + half}, 1.0f, Theme::kCaret);
  }
  canvas.Restore();
}

void CtrlTextBox::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  Ctrl::ReadSkinAttributes(element, skins);
  if (auto text = ReadText(element, "text")) SetText(std::move(*text));
}

}  // namespace VGui
