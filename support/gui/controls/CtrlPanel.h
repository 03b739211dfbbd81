// A container control: its style's background, border and corner radius, and an optional title
// along its top edge (the "title" attribute) for a group of controls. UI thread.
#pragma once

#include <string>

#include "support/gui/Control.h"

namespace VGui {

class CtrlPanel : public Ctrl {
 public:
  static constexpr const char* kClassName = "CtrlPanel";
  const char* ClassName() const override { return kClassName; }

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title);

  // Height of the title strip in logical pixels: the font's size plus a margin above and below.
  float TitleHeight() const;

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 protected:
  virtual void DrawTitle(Canvas& canvas);

 private:
  std::string title_;
};

}  // namespace VGui
