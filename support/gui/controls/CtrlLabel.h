// Text on one line in the style's font and text colour. CtrlLabel clips what does not fit;
// AutoShorteningLabel ends the text with "..." where it would not fit. UI thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "support/gui/Control.h"

namespace VGui {

class CtrlLabel : public Ctrl {
 public:
  static constexpr const char* kClassName = "CtrlLabel";
  const char* ClassName() const override { return kClassName; }

  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  // The "align" attribute, or the style's alignment when the skin gives none.
  HAlign Alignment() const { return align_ ? *align_ : CurrentStyle().align; }
  void SetAlignment(HAlign align);

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 protected:
  // The text as it is drawn into a box width wide.
  virtual std::string DisplayText(Canvas& canvas, float width) const;
  // The box the text is drawn in: the control less a small margin at each side.
  RectF TextBox() const;

 private:
  std::string text_;
  std::optional<HAlign> align_;
};

class AutoShorteningLabel : public CtrlLabel {
 public:
  static constexpr const char* kClassName = "AutoShorteningLabel";
  const char* ClassName() const override { return kClassName; }

 protected:
  std::string DisplayText(Canvas& canvas, float width) const override;
};

inline constexpr std::string_view kEllipsis = "...";

// The longest start of text (whole UTF-8 characters, trailing blanks dropped) that fits width with
// "..." appended; text itself when it fits; "..." alone (or nothing when even that is too wide)
// when no character fits. any thread
std::string ShortenToFit(std::string_view text, float width,
                         const std::function<float(std::string_view)>& measure);

}  // namespace VGui
