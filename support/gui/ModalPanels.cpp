// The toolkit's own question and alert panels.
#include "support/gui/ModalPanels.h"

#include <algorithm>

#include "support/gui/CtrlRoot.h"
#include "support/gui/PopupMenuView.h"
#include "support/gui/SkinSet.h"

namespace VGui {

Style DialogStyle(const Ctrl& anyControlOfTheRoot) {
  if (const CtrlRoot* root = anyControlOfTheRoot.Root()) {
    if (auto style = root->Skins().FindStyle("DialogPanelStyle")) return *style;
  }
  Style style;
  style.background = {36, 38, 43, 255};
  style.border = {96, 100, 110, 255};
  style.text = {232, 232, 232, 255};
  style.accent = {90, 170, 255, 255};
  style.hover = {60, 64, 72, 255};
  style.disabled = {130, 132, 138, 255};
  style.radius = 5.0f;
  return style;
}

namespace DialogDrawing {

void Frame(Canvas& canvas, const Rect& box, const Style& style, std::string_view title) {
  canvas.FillRoundedRect(box, style.radius, style.background);
  canvas.StrokeRoundedRect(RectF(float(box.x) + 0.5f, float(box.y) + 0.5f, float(box.width) - 1.0f,
                                 float(box.height) - 1.0f),
                           style.radius, 1.0f, style.border);
  canvas.DrawText(title,
                  RectF(float(kMargin), 0.0f, float(box.width - 2 * kMargin), float(kTitleHeight)),
                  Font{kTextSize + 1.0f, true}, style.text);
  canvas.StrokeLine({float(kMargin), float(kTitleHeight)},
                    {float(box.width - kMargin), float(kTitleHeight)}, 1.0f, style.border);
}

void Button(Canvas& canvas, const Rect& r, std::string_view text, const Style& style, bool pressed,
            bool isDefault) {
  canvas.FillRoundedRect(r, 4.0f, pressed ? style.accent.WithAlpha(150) : style.hover);
  canvas.StrokeRoundedRect(
      RectF(float(r.x) + 0.5f, float(r.y) + 0.5f, float(r.width) - 1.0f, float(r.height) - 1.0f),
      4.0f, isDefault ? 1.5f : 1.0f, isDefault ? style.accent : style.border);
  canvas.DrawText(text, r, Font{kTextSize, false}, style.text, HAlign::kCentre);
}

std::vector<std::string> WrapText(std::string_view text, int width, float size) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    std::string_view paragraph = text.substr(start, end - start);
    std::string line;
    size_t word = 0;
    while (word < paragraph.size()) {
      size_t next = paragraph.find(' ', word);
      if (next == std::string_view::npos) next = paragraph.size();
      const std::string_view piece = paragraph.substr(word, next - word);
      const std::string candidate =
          line.empty() ? std::string(piece) : line + " " + std::string(piece);
      if (!line.empty() && PopupMenuView::EstimateTextWidth(candidate, size) > width) {
        lines.push_back(line);
        line = std::string(piece);
      } else {
        line = candidate;
      }
      word = next + 1;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace DialogDrawing

using namespace DialogDrawing;

MessagePanel::MessagePanel(std::string title, std::string text, std::vector<std::string> buttons,
                           std::function<void(int)> done)
    : title_(std::move(title)), buttons_(std::move(buttons)), done_(std::move(done)) {
  lines_ = WrapText(text, kWidth - 2 * kMargin, kTextSize);
  const int textHeight = int(lines_.size()) * 17;
  SetBounds(
      {0, 0, kWidth, kTitleHeight + kMargin + textHeight + kMargin + kButtonHeight + kMargin});
  SetName(title_);
}

Rect MessagePanel::ButtonRect(int index) const {
  const int count = int(buttons_.size());
  if (index < 0 || index >= count) return {};
  const int x = Bounds().width - kMargin - (count - index) * (kButtonWidth + 8) + 8;
  return {x, Bounds().height - kMargin - kButtonHeight, kButtonWidth, kButtonHeight};
}

int MessagePanel::ButtonAt(Point p) const {
  for (int i = 0; i < int(buttons_.size()); ++i) {
    if (ButtonRect(i).Contains(p)) return i;
  }
  return -1;
}

void MessagePanel::Choose(int index) {
  // The answer may open another panel or tear down the editor's state: take what is needed off
  // this panel before it goes.
  auto done = std::move(done_);
  done_ = nullptr;
  if (CtrlRoot* root = Root()) root->CloseModal(this);
  if (done) done(index);
}

void MessagePanel::Draw(Canvas& canvas) {
  const Style style = DialogStyle(*this);
  Frame(canvas, LocalBounds(), style, title_);
  for (size_t i = 0; i < lines_.size(); ++i) {
    canvas.DrawText(lines_[i],
                    RectF(float(kMargin), float(kTitleHeight + kMargin + int(i) * 17),
                          float(kWidth - 2 * kMargin), 17.0f),
                    Font{kTextSize, false}, style.text);
  }
  for (int i = 0; i < int(buttons_.size()); ++i) {
    Button(canvas, ButtonRect(i), buttons_[size_t(i)], style, i == pressed_, i == 0);
  }
}

bool MessagePanel::OnMouseDown(const MouseEvent& e) {
  pressed_ = ButtonAt(e.position);
  Invalidate();
  return true;
}

bool MessagePanel::OnMouseUp(const MouseEvent& e) {
  const int chosen = ButtonAt(e.position);
  const bool same = chosen >= 0 && chosen == pressed_;
  pressed_ = -1;
  Invalidate();
  if (same) Choose(chosen);
  return true;
}

bool MessagePanel::OnKeyDown(const KeyEvent& e) {
  if (buttons_.empty()) return false;
  if (e.key == Key::kReturn) {
    Choose(0);
    return true;
  }
  if (e.key == Key::kEscape) {
    Choose(int(buttons_.size()) - 1);
    return true;
  }
  return false;
}

std::unique_ptr<MessagePanel> MakeQuestionPanel(std::string title, std::string text,
                                                std::function<void(bool yes)> done) {
  return std::make_unique<MessagePanel>(std::move(title), std::move(text),
                                        std::vector<std::string>{"Yes", "No"},
                                        [done = std::move(done)](int index) {
                                          if (done) done(index == 0);
                                        });
}

std::unique_ptr<MessagePanel> MakeAlertPanel(std::string title, std::string text) {
  return std::make_unique<MessagePanel>(std::move(title), std::move(text),
                                        std::vector<std::string>{"OK"}, nullptr);
}

}  // namespace VGui
