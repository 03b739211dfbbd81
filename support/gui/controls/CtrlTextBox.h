// A one-line text field. It edits while it has the keyboard focus: gaining the focus selects the
// whole text (typing replaces it), characters insert at the caret, Backspace and Delete remove,
// Left, Right, Home and End move the caret. Return commits: the field gives up the focus and
// reports kValueChanged (the listener reads Text()). Escape, or the focus going elsewhere, ends
// the edit without a commit and reports kEditEnded. UI thread.
#pragma once

#include <string>
#include <vector>

#include "support/gui/Control.h"

namespace VGui {

class CtrlTextBox : public Ctrl {
 public:
  static constexpr const char* kClassName = "CtrlTextBox";
  const char* ClassName() const override { return kClassName; }

  const std::string& Text() const { return text_; }
  // Replaces the text; the caret goes to its end.
  void SetText(std::string text);
  // The caret's byte offset into Text(), always on a character boundary.
  size_t Caret() const { return caret_; }
  bool AllSelected() const { return allSelected_; }
  // Between gaining the focus and Return, Escape or the focus loss.
  bool Editing() const { return editing_; }

  bool AcceptsFocus() const override { return true; }
  void OnFocusGained() override;
  void OnFocusLost() override;
  bool OnKeyDown(const KeyEvent& e) override;
  bool OnMouseDown(const MouseEvent& e) override;

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 private:
  void Insert(std::string_view typed);
  void EraseBackward();
  void EraseForward();
  void MoveCaret(size_t position);
  // Ends the edit: gives up the focus (no kEditEnded from the focus loss) and reports kind.
  void FinishEdit(ControlEventKind kind);
  // The character boundary nearest to a local x, from the positions of the last drawing.
  size_t BoundaryNear(int x) const;

  std::string text_;
  size_t caret_ = 0;
  bool allSelected_ = false;
  bool editing_ = false;
  // The first press after the focus arrived keeps the selection, so that typing replaces it.
  bool keepSelectionOnPress_ = false;
  // Where each character boundary was drawn (local x), for placing the caret by mouse.
  std::vector<std::pair<size_t, float>> boundaryX_;
  float scroll_ = 0.0f;
};

}  // namespace VGui
