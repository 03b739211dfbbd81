// The About panel.
#include "editor/AboutPanel.h"

#include <algorithm>

#include "plugin/SynthBase.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/controls/CtrlLabel.h"

namespace {

constexpr VGui::Size kMinimumSize{240, 90};
constexpr int kMargin = 10;

}  // namespace

std::unique_ptr<AboutPanel> AboutPanel::Create(VGui::SkinSet& skins, std::function<void()> close) {
  auto panel = std::make_unique<AboutPanel>();
  panel->SetName("AboutPanel");
  panel->close_ = std::move(close);
  VGui::LoadSkin(*panel, kSkinFile, skins);
  panel->FillLabels();
  panel->FitToChildren();
  return panel;
}

std::string AboutPanel::VersionText() {
  return SynthBase::VersionText("Tavo", true);
}

std::string AboutPanel::DateText() {
  return __DATE__;
}

void AboutPanel::FillLabels() {
  if (auto* version = dynamic_cast<VGui::CtrlLabel*>(FindDescendant("VersionLabel"))) {
    version->SetText(VersionText());
  }
  if (auto* date = dynamic_cast<VGui::CtrlLabel*>(FindDescendant("DateLabel"))) {
    date->SetText(DateText());
  }
}

void AboutPanel::FitToChildren() {
  VGui::Rect extent{0, 0, kMinimumSize.width, kMinimumSize.height};
  for (const auto& child : Children()) {
    extent.width = std::max(extent.width, child->Bounds().Right() + kMargin);
    extent.height = std::max(extent.height, child->Bounds().Bottom() + kMargin);
  }
  SetBounds({0, 0, extent.width, extent.height});
}

bool AboutPanel::OnMouseDown(const VGui::MouseEvent&) {
  if (close_) close_();
  return true;
}
