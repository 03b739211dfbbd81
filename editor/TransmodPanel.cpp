// The Transmod selector's buttons, styles, menu and messages.
#include "editor/TransmodPanel.h"

#include <algorithm>
#include <cstdio>

#include "modulation/Transmod.h"
#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/gui/Binding.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/FlashingButton.h"

TransmodPanel::TransmodPanel() = default;
TransmodPanel::~TransmodPanel() = default;

void TransmodPanel::SkinLoaded(VGui::SkinSet& skins) {
  LoadSkin(skins);
}

bool TransmodPanel::LoadSkin(VGui::SkinSet& skins) {
  const bool loaded = VGui::LoadSkin(*this, kSkinFile, skins);
  if (!loaded) {
    VFoundation::Log("%s, Failed to load skin on path %s\n", "TransmodPanel::LoadSkin", kSkinFile);
  }
  for (int32_t source = 0; source < kNumButtons; ++source) {
    const std::string name = kButtonPrefix + std::to_string(source);
    buttons_[size_t(source)] = nullptr;
    VGui::BindControlByClass(buttons_[size_t(source)], *this, name, source, "CtrlButton", this);
  }
  ShowSelection();
  return loaded;
}

void TransmodPanel::AddDelegate(ITransmodDelegate* delegate) {
  if (delegate && std::find(delegates_.begin(), delegates_.end(), delegate) == delegates_.end()) {
    delegates_.push_back(delegate);
  }
}

void TransmodPanel::RemoveDelegate(ITransmodDelegate* delegate) {
  std::erase(delegates_, delegate);
}

VGui::Ctrl* TransmodPanel::SourceButton(int32_t source) const {
  if (source < 0 || source >= kNumButtons) return nullptr;
  return buttons_[size_t(source)];
}

void TransmodPanel::SelectSource(int32_t source) {
  if (source < 0 || source >= kNumButtons) return;
  selected_ = source;
  ShowSelection();
  for (ITransmodDelegate* delegate : delegates_) delegate->SelectedSourceChanged(source);
}

void TransmodPanel::ShowSelection() {
  for (int32_t source = 0; source < kNumButtons; ++source) {
    if (VGui::Ctrl* button = buttons_[size_t(source)]) {
      button->SetValue(source == selected_ ? 1.0f : 0.0f);
    }
  }
}

bool TransmodPanel::SourceUsed(int32_t source) const {
  return plugin_ && source > 0 && plugin_->Engine().IsSourceUsed(source);
}

void TransmodPanel::UpdateControls() {
  for (int32_t source = 0; source < kNumButtons; ++source) UpdateSource(source);
}

void TransmodPanel::UpdateSource(int32_t source) {
  if (source < 0) {
    UpdateControls();
    return;
  }
  VGui::Ctrl* button = SourceButton(source);
  VGui::CtrlRoot* root = Root();
  if (!button || !root) return;
  const auto style = root->Skins().FindStyle(SourceUsed(source) ? kUsedButtonStyle : kButtonStyle);
  if (style && style != button->StylePointer()) button->SetStyle(style);
}

void TransmodPanel::FlashSource(int32_t source) {
  if (source < 1 || source >= kNumButtons) return;
  const std::string name = kLightPrefix + std::to_string(source);
  if (auto* light = dynamic_cast<VGui::FlashingButton*>(FindDescendant(name))) light->Flash();
}

void TransmodPanel::HandleMessage(Message& message) {
  switch (message.Type()) {
    case MessageType::e_updatePresetLoaded:
      UpdateControls();
      break;
    case MessageType::e_updateFilterParameter:
      UpdateSource(message.Value(1).AsInt());
      break;
    default:
      break;
  }
}

int32_t TransmodPanel::SourceOf(const VGui::Ctrl& control) const {
  for (int32_t source = 0; source < kNumButtons; ++source) {
    if (buttons_[size_t(source)] == &control) return source;
  }
  return -1;
}

void TransmodPanel::ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) {
  const int32_t source = SourceOf(control);
  if (source < 0) return;
  if (kind == VGui::ControlEventKind::kValueChanged) {
    // A click on the selected button keeps it selected: one source is always chosen.
    SelectSource(source);
  } else if (kind == VGui::ControlEventKind::kRightButtonUp) {
    ShowSourceMenu(source);
  }
}

void TransmodPanel::ShowSourceMenu(int32_t source) {
  menuSource_ = source;
  menu_.Clear();
  const bool real = source > 0;
  const bool unipolar = !plugin_ || plugin_->Engine().IsUnipolar(source);
  menu_.AddItem("Uni-polar modulator", kUnipolar, source, real, unipolar);
  menu_.AddItem("Bi-polar modulator", kBipolar, source, real, !unipolar);
  menu_.AddSeparator();
  char text[128];
  const char* name = Transmod::SourceName(source);
  std::snprintf(text, sizeof text, "Remove all modulation destinations for %s", name ? name : "");
  menu_.AddItem(text, kRemoveSourceDestinations, source, real && SourceUsed(source));
  VGui::Ctrl* button = SourceButton(source);
  VGui::CtrlRoot* root = Root();
  if (!button || !root) return;
  const VGui::Rect at = button->RootBounds();
  root->ShowPopupMenu(menu_, {at.x, at.Bottom()}, this, button);
}

void TransmodPanel::CommandEvent(const VGui::CommandEvent* event) {
  if (!event) {
    VFoundation::Log("%s, Failed because the event is NULL\n", "TransmodPanel::CommandEvent");
    return;
  }
  if (!plugin_) return;
  MessagePort& port = plugin_->Port();
  const int32_t source = event->IntArgument(menuSource_);
  switch (event->id) {
    case kUnipolar:
    case kBipolar:
      port.PostMessageToSynth(MessageType::e_setModSourcePolarMode,
                              {source, event->id == kUnipolar});
      break;
    case kRemoveSourceDestinations:
      port.PostMessageToSynth(MessageType::e_removeModDestinations, {source});
      break;
    case kRemoveAllDestinations:
      port.PostMessageToSynth(MessageType::e_removeModDestinations, {-1});
      break;
    default:
      break;
  }
}
