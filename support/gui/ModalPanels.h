// The toolkit's own question and alert boxes, for systems without native ones: a title, wrapped
// text and a row of buttons, drawn by the panel itself so it needs no control classes. The panel
// closes itself (through the root) when a button is chosen, then answers. UI thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Control.h"

namespace VGui {

// Colours of the toolkit's dialogs; a skin style "DialogPanelStyle" replaces them.
Style DialogStyle(const Ctrl& anyControlOfTheRoot);

// Helpers the dialog panels share.
namespace DialogDrawing {
inline constexpr int kButtonWidth = 84;
inline constexpr int kButtonHeight = 26;
inline constexpr int kMargin = 12;
inline constexpr int kTitleHeight = 28;
inline constexpr float kTextSize = 12.0f;
void Frame(Canvas& canvas, const Rect& box, const Style& style, std::string_view title);
void Button(Canvas& canvas, const Rect& r, std::string_view text, const Style& style, bool pressed,
            bool isDefault);
// Breaks text into lines that fit width (an estimate of the typeface's widths); "\n" breaks too.
std::vector<std::string> WrapText(std::string_view text, int width, float size);
}  // namespace DialogDrawing

class MessagePanel : public Ctrl {
 public:
  static constexpr const char* kClassName = "MessagePanel";
  const char* ClassName() const override { return kClassName; }
  static constexpr int kWidth = 380;

  // done gets the chosen button's index; Return picks the first button, Escape the last.
  MessagePanel(std::string title, std::string text, std::vector<std::string> buttons,
               std::function<void(int)> done);

  const std::string& Title() const { return title_; }
  const std::vector<std::string>& Lines() const { return lines_; }
  // Where button `index` lies (local coordinates).
  Rect ButtonRect(int index) const;
  // Closes the panel and answers index, as a click on that button does.
  void Choose(int index);

  void Draw(Canvas& canvas) override;
  bool OnMouseDown(const MouseEvent& e) override;
  bool OnMouseUp(const MouseEvent& e) override;
  bool OnKeyDown(const KeyEvent& e) override;
  bool AcceptsFocus() const override { return true; }

 private:
  int ButtonAt(Point p) const;

  std::string title_;
  std::vector<std::string> lines_;
  std::vector<std::string> buttons_;
  std::function<void(int)> done_;
  int pressed_ = -1;
};

// "Confirm:"-style Yes/No question: done(true) for Yes.
std::unique_ptr<MessagePanel> MakeQuestionPanel(std::string title, std::string text,
                                                std::function<void(bool yes)> done);
// An alert with an OK button.
std::unique_ptr<MessagePanel> MakeAlertPanel(std::string title, std::string text);

}  // namespace VGui
