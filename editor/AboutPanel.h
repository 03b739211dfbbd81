// The About panel: the product's version and build date, laid out by "About/AboutPanel.skin". A
// click anywhere on it closes it. UI thread.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "support/gui/controls/CtrlPanel.h"

namespace VGui {
class SkinSet;
}

class AboutPanel : public VGui::CtrlPanel {
 public:
  static constexpr const char* kClassName = "AboutPanel";
  static constexpr const char* kSkinFile = "About/AboutPanel.skin";
  const char* ClassName() const override { return kClassName; }

  // Loads the skin onto a new panel and fills "VersionLabel" and "DateLabel"; the panel is as
  // large as its controls (at least kMinimumSize) even when the skin is missing. UI thread
  static std::unique_ptr<AboutPanel> Create(VGui::SkinSet& skins, std::function<void()> close);

  // "Tavo v1.0.1 build 1" and the date this file was compiled. any thread
  static std::string VersionText();
  static std::string DateText();

  bool OnMouseDown(const VGui::MouseEvent& e) override;

 private:
  void FillLabels();
  void FitToChildren();

  std::function<void()> close_;
};
