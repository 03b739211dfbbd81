// The host's view of the editor and what every editor view shares.
#include "editor/SynthEditorBase.h"

#include <array>

#include "plugin/Norv.h"
#include "plugin/ParameterConvertor.h"
#include "plugin/ParameterTable.h"
#include "support/Log.h"
#include "support/gui/SkinSet.h"

namespace {

std::shared_ptr<const VGui::Style> MakeDialogPanelStyle() {
  VGui::Style style;
  style.name = "DialogPanelStyle";
  style.background = SynthEditorBase::kDialogPanelColour;
  return std::make_shared<const VGui::Style>(std::move(style));
}

}  // namespace

SynthEditorBase::SynthEditorBase(Norv& plugin, const std::filesystem::path& resources)
    : plugin_(plugin),
      root_(std::make_unique<RootControl>(resources)),
      dialogStyle_(MakeDialogPanelStyle()),
      clock_([] { return VFoundation::NowSeconds(); }) {
  createdSeconds_ = clock_();
  root_->SetBounds({0, 0, kWidth, kHeight});
}

SynthEditorBase::~SynthEditorBase() {
  ShutdownBase();
}

bool SynthEditorBase::getRect(vst::ERect** rect) {
  if (!rect) return false;
  rect_ = vst::ERect{0, 0, kHeight, kWidth};
  *rect = &rect_;
  return true;
}

void SynthEditorBase::SetClock(std::function<double()> clock) {
  clock_ = std::move(clock);
  createdSeconds_ = clock_();
}

std::string SynthEditorBase::ParameterText(int32_t index) const {
  std::array<float, ParameterTable::kNumFixedParameters> values{};
  for (int32_t i = 0; i < ParameterTable::kNumFixedParameters; ++i) {
    values[size_t(i)] = plugin_.getParameter(i);
  }
  const ConvertorContext context =
      ConvertorContext::FromValues(values.data(), plugin_.SampleRate());
  std::string text = midiLearn_ ? "LEARN: " : "";
  text += ParameterTable::ParameterToUserString(index, false);
  text += ' ';
  text += ParameterConvertor::ValueText(index, plugin_.getParameter(index), "", context);
  char label[64] = {};
  plugin_.getParameterLabel(index, label);
  if (label[0] != '\0') {
    text += ' ';
    text += label;
  }
  return text;
}

bool SynthEditorBase::DisplayParameterText(int32_t index) {
  if (!showParameterText_ || !parameterTextDisplay_) return false;
  if (clock_() - createdSeconds_ <= kParameterTextDelaySeconds) return false;
  parameterTextDisplay_(ParameterText(index));
  return true;
}

void SynthEditorBase::ApplyTooltipColours() {
  const VGui::SkinSet& skins = root_->Skins();
  root_->SetTooltipColours(skins.ColourOr("TooltipBackgroundColour", {24, 26, 30, 235}),
                           skins.ColourOr("TooltipTextColour", {230, 232, 236, 255}));
}

void SynthEditorBase::ControlEvent(VGui::Ctrl&, VGui::ControlEventKind) {}

void SynthEditorBase::CommandEvent(const VGui::CommandEvent* event) {
  if (!event) {
    VFoundation::Log("%s, Failed because the event is NULL\n", "SynthEditorBase::CommandEvent");
  }
}

void SynthEditorBase::CloseBase() {
  VFoundation::Log("%s\n", "SynthEditorBase::close");
  systemWindow_ = 0;
}

void SynthEditorBase::ShutdownBase() {
  if (!root_) return;
  VFoundation::Log("Releasing Dialog Panel...\n");
  if (dialogPanel_) root_->CloseModal(dialogPanel_);
  dialogPanel_ = nullptr;
  dialogFrame_ = nullptr;
  VFoundation::Log("Shutting down notifications...\n");
  root_->DetachFromPlugin();
  VFoundation::Log("Shutting down message center...\n");
  plugin_.Port().SetEditorAttached(false);
  plugin_.Port().ClearAllMessages(PortQueue::kEditor);
  VFoundation::Log("Releasing ctrlRoot...\n");
  root_.reset();
  VFoundation::Log("disposed of CtrlRoot...\n");
}
