// The synth panel: binding, engine notifications, control events, menus, the value-entry field
// and the oversampling switch.
#include "editor/SynthEditor.h"

#include <cmath>
#include <cstdio>
#include <thread>

#include "editor/SmartControl.h"
#include "editor/VizPanel.h"
#include "editor/XYPad.h"
#include "modulation/Transmod.h"
#include "plugin/Norv.h"
#include "plugin/ParameterTable.h"
#include "support/Log.h"
#include "support/Options.h"
#include "support/gui/Binding.h"
#include "support/gui/ClassRegistry.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/Dialogs.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/controls/CtrlButton.h"
#include "support/gui/controls/CtrlComboBox.h"
#include "support/gui/controls/CtrlLabel.h"
#include "support/gui/controls/CtrlTextBox.h"
#include "support/gui/controls/FlashingButton.h"

namespace {

using ParameterControls::ControlRow;
namespace PT = ParameterTable;

constexpr float kDepthResolution = 0.000001f;

bool IsParameter(int32_t index) {
  return index >= 0 && index < PT::kNumFixedParameters;
}

bool IsItemControl(const VGui::Ctrl& control) {
  return VGui::IsA(control, "CtrlButtonGroup") || VGui::IsA(control, "CtrlComboBox");
}

bool IsSwitchControl(const VGui::Ctrl& control) {
  return VGui::IsA(control, "CtrlButton");
}

bool IsSmart(const VGui::Ctrl& control) {
  return dynamic_cast<const SmartControl*>(&control) != nullptr;
}

std::string Format(const char* format, const char* a, const char* b = "") {
  char text[256];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// Mode lists of the slots whose mode knob opens a submenu.
struct ModeKnob {
  std::string_view skinName;
  const char* title;
  int32_t command;
  int32_t modeIndex;
};

constexpr ModeKnob kModeKnobs[] = {
    {"Filter1Mode", "Filter 1 mode", SynthEditor::kFilter1ModeChoice, PT::kF1Mode},
    {"Filter2Mode", "Filter 2 mode", SynthEditor::kFilter2ModeChoice, PT::kF2Mode},
    {"DriveMode", "Drive mode", SynthEditor::kDriveModeChoice, PT::kDriveMode},
};

}  // namespace

SynthEditor::SynthEditor()
    : bound_(ParameterControls::SynthControlRows().size(), nullptr),
      sleeper_([](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); }) {}

SynthEditor::~SynthEditor() {
  if (plugin_ && handlerRegistered_) plugin_->Port().UnregisterEditorHandler(this);
  if (timerRoot_ && Root() == timerRoot_) timerRoot_->RemoveTimerCallback(this);
  if (TransmodPanel* transmod = Transmod()) transmod->RemoveDelegate(this);
}

// --- Building --------------------------------------------------------------------------------

void SynthEditor::SkinLoaded(VGui::SkinSet& skins) {
  LoadSkin(skins);
}

bool SynthEditor::LoadSkin(VGui::SkinSet& skins) {
  bindProblems_.clear();
  std::fill(bound_.begin(), bound_.end(), nullptr);
  const bool loaded = VGui::LoadSkin(*this, kSkinFile, skins);
  if (!loaded) {
    VFoundation::Log("%s, Failed to load skin on path %s\n", "SynthEditor::LoadSkin", kSkinFile);
    bindProblems_.push_back(std::string("Failed to load skin ") + kSkinFile);
  }
  BindRows(false);
  CreateVizPanels(skins);
  ConnectTransmod();
  PutFlashersOut();
  FillFMCombos();
  if (VGui::Ctrl* field = BoundControl("FieldEditor")) field->SetVisible(false);
  CollectModulationAwareControls();
  doubleClickMode_ =
      DoubleClickModeFromPreference(VApplication::Options::ReadString("DoubleClickMode", ""));
  return loaded;
}

void SynthEditor::BindRows(bool lateRowsOnly) {
  const auto rows = ParameterControls::SynthControlRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    const ControlRow& row = rows[i];
    if (bound_[i]) continue;
    const bool utility = ParameterControls::IsUtilityRow(row.skinName);
    if (lateRowsOnly && !utility) continue;
    // The utility panel may load its skin after this panel; its rows are bound again later.
    if (!lateRowsOnly && utility && !FindDescendant(row.skinName)) continue;
    std::string error;
    VGui::Ctrl* found = nullptr;
    if (VGui::BindControlByClass(found, *this, row.skinName, row.id, row.className,
                                 row.listened ? this : nullptr, &error)) {
      bound_[i] = found;
    } else {
      bindProblems_.push_back(std::move(error));
    }
  }
}

void SynthEditor::CreateVizPanels(const VGui::SkinSet& skins) {
  for (size_t i = 0; i < ParameterControls::kVizPlaceholders.size(); ++i) {
    vizPanels_[i] = nullptr;
    const char* name = ParameterControls::kVizPlaceholders[i];
    VGui::Ctrl* placeholder = FindDescendant(name);
    if (!placeholder) continue;
    auto panel = std::make_unique<VizPanel>(VizCurves::KindForPlaceholder(name), skins);
    panel->SetId(kVizId);
    panel->SetBounds(placeholder->LocalBounds());
    if (!panel->StylePointer()) panel->SetStyle(placeholder->StylePointer());
    vizPanels_[i] = static_cast<VizPanel*>(placeholder->AddChild(std::move(panel)));
  }
}

void SynthEditor::ConnectTransmod() {
  TransmodPanel* transmod = Transmod();
  if (!transmod) return;
  transmod->AddDelegate(this);
  transmod->SetVisible(true);
}

void SynthEditor::PutFlashersOut() {
  for (const char* name : ParameterControls::kFlashers) {
    if (auto* flasher = dynamic_cast<VGui::FlashingButton*>(BoundControl(name))) flasher->PutOut();
  }
}

void SynthEditor::FillFMCombos() {
  for (const char* name : {"Filter1FMInputGroup", "Filter2FMInputGroup"}) {
    auto* combo = dynamic_cast<VGui::CtrlComboBox*>(BoundControl(name));
    if (!combo) continue;
    combo->SetItems(
        {ParameterControls::kFMInputItems.begin(), ParameterControls::kFMInputItems.end()});
  }
}

void SynthEditor::CollectModulationAwareControls() {
  smartControls_.clear();
  for (VGui::Ctrl* control : bound_) {
    if (control && IsSmart(*control)) smartControls_.push_back(control);
  }
}

void SynthEditor::SetEditorDelegate(Norv* plugin) {
  if (plugin_ && handlerRegistered_) plugin_->Port().UnregisterEditorHandler(this);
  handlerRegistered_ = false;
  EditorDelegateUser::SetEditorDelegate(plugin);
  if (TransmodPanel* transmod = Transmod()) transmod->SetEditorDelegate(plugin);
  if (XYPad* pad = Pad(); pad && !pad->EditorDelegate()) pad->SetEditorDelegate(plugin);
  for (VizPanel* viz : vizPanels_) {
    if (viz) viz->SetEditorDelegate(plugin);
  }
  if (!plugin) {
    if (timerRoot_ && Root() == timerRoot_) timerRoot_->RemoveTimerCallback(this);
    timerRoot_ = nullptr;
    return;
  }
  handlerRegistered_ = plugin->Port().RegisterEditorHandler(kMessageClass, this);
  VGui::CtrlRoot* root = Root();
  if (root && root != timerRoot_) {
    if (timerRoot_) timerRoot_->RemoveTimerCallback(this);
    root->AddTimerCallback(this);
    timerRoot_ = root;
  }
  if (auto* learning = dynamic_cast<ILearningController*>(root)) {
    for (VGui::Ctrl* control : bound_) {
      if (control && IsParameter(control->Id())) learning->AddLearnableControl(control, this);
    }
  }
}

void SynthEditor::PostMessagingInitialized() {
  BindRows(true);
  UpdateAllControls();
  RefreshOversampleButton();
  if (TransmodPanel* transmod = Transmod()) transmod->UpdateControls();
}

// --- Engine notifications --------------------------------------------------------------------

void SynthEditor::HandleMessage(Message& message) {
  TransmodPanel* transmod = Transmod();
  switch (message.Type()) {
    case MessageType::e_updatePresetLoaded:
      UpdateAllControls();
      RefreshOversampleButton();
      if (transmod) transmod->HandleMessage(message);
      break;
    case MessageType::e_updateMIDILearnStateChanged: {
      XYPad* pad = Pad();
      if (!pad) break;
      const auto* learning = dynamic_cast<const ILearningController*>(Root());
      const bool on = !message.Value(0).IsEmpty() ? message.Value(0).AsBool()
                                                  : (learning && learning->IsMIDILearnOn());
      pad->SetLearnDisplay(on);
      break;
    }
    case MessageType::e_updateFilterParameter: {
      const int32_t index = message.Value(0).AsInt();
      if (index < 0) {
        UpdateAllControls();
      } else {
        UpdateControlForEngineParameter(index);
      }
      if (transmod) transmod->HandleMessage(message);
      break;
    }
    case MessageType::e_updateFilterMacroValue:
      MoveXYHandleToPlugin();
      break;
    case MessageType::e_updateMIDITrigger:
      FlashTrigger(message.Value(0).AsInt());
      break;
    default:
      break;
  }
}

float SynthEditor::PluginValue(int32_t index) const {
  if (!plugin_) return PT::GetParameterDefaultValue(index);
  return plugin_->Engine().Target(index);
}

ConvertorContext SynthEditor::Context() const {
  if (!plugin_) return ConvertorContext{};
  return ParameterControls::ContextFor(*plugin_);
}

void SynthEditor::UpdateControlForEngineParameter(int32_t index) {
  if (!IsParameter(index)) return;
  if (index == PT::kF1Type || index == PT::kF1Mode) UpdateFilterTypeLabel(1);
  if (index == PT::kF2Type || index == PT::kF2Mode) UpdateFilterTypeLabel(2);
  VGui::Ctrl* control = ControlForParameter(index);
  if (!control) return;
  const float value = PluginValue(index);
  if (IsItemControl(*control)) {
    control->SetValue(float(PT::ItemFromValue(value, PT::kNumFilterTypes)));
  } else if (IsSwitchControl(*control)) {
    control->SetValue(value >= 0.5f ? 1.0f : 0.0f);
  } else {
    control->SetValue(value);
  }
  if (auto* smart = dynamic_cast<SmartControl*>(control)) {
    const float depth =
        plugin_ && selectedSource_ > 0 ? plugin_->Engine().Depth(index, selectedSource_) : 0.0f;
    smart->SetModulationSource(selectedSource_, selectedSource_ > 0);
    smart->SetModulationTarget(value + depth);
  }
  control->SetTooltip(GetToolTipText(*control));
}

void SynthEditor::UpdateAllControls() {
  for (int32_t index = 0; index < PT::kNumFixedParameters; ++index) {
    UpdateControlForEngineParameter(index);
  }
  MoveXYHandleToPlugin();
}

void SynthEditor::UpdateFilterTypeLabel(int32_t slot) {
  auto* label = dynamic_cast<VGui::CtrlLabel*>(
      BoundControl(slot == 1 ? "Filter1TypeLabel" : "Filter2TypeLabel"));
  if (!label) return;
  const int32_t typeIndex = slot == 1 ? PT::kF1Type : PT::kF2Type;
  const int32_t modeIndex = slot == 1 ? PT::kF1Mode : PT::kF2Mode;
  const int32_t type = PT::FilterTypeItem(PluginValue(typeIndex));
  const int32_t mode = PT::ItemFromValue(PluginValue(modeIndex), PT::FilterModeCount(type));
  label->SetText(PT::FilterModeName(type, mode));
}

void SynthEditor::RefreshOversampleButton() {
  VGui::Ctrl* button = BoundControl("Oversample");
  if (!button || !plugin_) return;
  button->SetValue(plugin_->OversamplingFactor() >= 3 ? 1.0f : 0.0f);
}

void SynthEditor::MoveXYHandleToPlugin() {
  XYPad* pad = Pad();
  if (!pad || !plugin_) return;
  pad->SetValues(plugin_->Engine().MacroValue(0), plugin_->Engine().MacroValue(1));
}

void SynthEditor::FlashTrigger(int32_t which) {
  if (which < 0 || which >= int32_t(ParameterControls::kFlashers.size())) return;
  if (auto* flasher = dynamic_cast<VGui::SingleFlashButton*>(
          BoundControl(ParameterControls::kFlashers[which]))) {
    flasher->Flash();
  }
}

// --- Timer -----------------------------------------------------------------------------------

void SynthEditor::ATC_Tick() {
  if (!plugin_) return;
  UpdateMeters();
  for (VGui::Ctrl* control : smartControls_) {
    auto* smart = dynamic_cast<SmartControl*>(control);
    if (smart && smart->TakeLiveValue(plugin_->Engine().ModulatedValue(control->Id()))) {
      control->Invalidate();
    }
  }
}

void SynthEditor::UpdateMeters() {
  const char* names[2] = {"MasterVULeft", "MasterVURight"};
  for (int32_t channel = 0; channel < 2; ++channel) {
    const float position = ParameterControls::MeterPosition(plugin_->TakeOutputMeter(channel));
    if (VGui::Ctrl* meter = BoundControl(names[channel])) meter->SetValue(position);
  }
}

// --- Control events --------------------------------------------------------------------------

void SynthEditor::ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) {
  using Kind = VGui::ControlEventKind;
  const std::string& name = control.Name();
  switch (kind) {
    case Kind::kLeftButtonDown:
      if (IsSmart(control)) {
        HandleSmartControlMouseDown(control);
      } else if (name != "FieldEditor" && name != "MIDILearn") {
        HandleNonSmartControlMouseDown(control);
      }
      break;
    case Kind::kLeftButtonUp:
      pendingStartValue_.reset();
      break;
    case Kind::kDoubleClick:
      if ((IsSmart(control) || VGui::IsA(control, "CtrlSlider")) && name != "MIDILearn") {
        HandleDoubleClick(control);
      }
      break;
    case Kind::kRightButtonUp:
      if (name != "Oversample" && name != "MIDILearn") ShowMenu(control);
      break;
    case Kind::kPressFlash:
      if (IsSmart(control)) FlashTransmod(control);
      break;
    case Kind::kValueChanged:
      if (IsSmart(control)) {
        HandleSmartControlValueChange(control);
      } else {
        HandleNonSmartControlValueChange(control);
      }
      break;
    case Kind::kEditEnded:
      if (&control == BoundControl("FieldEditor")) {
        fieldEditorTarget_ = nullptr;
        control.SetVisible(false);
        Invalidate();
      }
      break;
    case Kind::kBeginGesture:
    case Kind::kEndGesture:
      HandleGesture(control, kind == Kind::kBeginGesture);
      break;
    default:
      break;
  }
}

void SynthEditor::HandleSmartControlMouseDown(VGui::Ctrl& control) {
  const auto* smart = dynamic_cast<const SmartControl*>(&control);
  pendingStartValue_ = smart->ActiveHandle() == SmartControl::kModulationHandle
                           ? smart->ModulationTarget() - control.Value()
                           : control.Value();
}

void SynthEditor::HandleNonSmartControlMouseDown(VGui::Ctrl& control) {
  pendingStartValue_ = control.Value();
}

void SynthEditor::HandleSmartControlValueChange(VGui::Ctrl& control) {
  const int32_t index = ParameterOf(control);
  if (index < 0) return;
  const auto* smart = dynamic_cast<const SmartControl*>(&control);
  const bool depth = smart->ActiveHandle() == SmartControl::kModulationHandle;
  const int32_t source = depth ? selectedSource_ : 0;
  const float value =
      depth ? smart->ModulationTarget() - control.Value() : std::clamp(control.Value(), 0.0f, 1.0f);
  if (depth) {
    Post(MessageType::e_setFilterParameter, {index, source, value});
  } else {
    PostParameterEdit(index, value);
  }
  control.SetTooltip(GetToolTipText(control));
  if (host_ && !depth) host_->ParameterValueChanged(index, value);
}

void SynthEditor::HandleNonSmartControlValueChange(VGui::Ctrl& control) {
  const std::string& name = control.Name();
  if (name == "Oversample") {
    SwitchOversampling(control.Value() >= 0.5f);
  } else if (name == "FieldEditor") {
    StopFieldEditor();
  } else if (name == "MIDILearn") {
    HandleMIDILearnChange(control);
  } else if (auto* pad = dynamic_cast<XYPad*>(&control)) {
    pad->PostValues();
  } else if (IsItemControl(control)) {
    SendNonSmartValueChange(control, control.Value() * ParameterControls::kItemStep);
  } else if (IsSwitchControl(control) || VGui::IsA(control, "CtrlSlider")) {
    SendNonSmartValueChange(control, control.Value());
  }
}

void SynthEditor::SendNonSmartValueChange(VGui::Ctrl& control, float value) {
  const int32_t index = ParameterOf(control);
  if (index < 0) return;
  PostParameterEdit(index, value);
  control.SetTooltip(GetToolTipText(control));
  if (host_) host_->ParameterValueChanged(index, value);
}

void SynthEditor::HandleDoubleClick(VGui::Ctrl& control) {
  const VGui::CommandEvent event{
      doubleClickMode_ == DoubleClickMode::kEdit ? kEditValue : kResetControl, {}, &control};
  CommandEvent(&event);
}

void SynthEditor::HandleGesture(VGui::Ctrl& control, bool begin) {
  const int32_t index = ParameterOf(control);
  if (!plugin_ || index < 0) return;
  plugin_->SetHeldParameter(begin ? index : -1);
  if (auto* learning = dynamic_cast<ILearningController*>(Root())) {
    if (begin) {
      learning->ControlEditBegins(control);
    } else {
      learning->ControlEditEnds(control);
    }
  } else if (begin) {
    plugin_->BeginUserGesture(index);
  } else {
    plugin_->EndUserGesture(index);
  }
}

void SynthEditor::HandleMIDILearnChange(VGui::Ctrl& control) {
  const bool on = control.Value() >= 0.5f;
  if (auto* learning = dynamic_cast<ILearningController*>(Root())) learning->SetMIDILearnState(on);
  if (plugin_)
    plugin_->Port().PostMessageToEditor(MessageType::e_updateMIDILearnStateChanged, {on});
}

void SynthEditor::FlashTransmod(VGui::Ctrl& control) {
  TransmodPanel* transmod = Transmod();
  const int32_t index = ParameterOf(control);
  if (!transmod || !plugin_ || index < 0) return;
  for (int32_t source = 1; source < TransmodPanel::kNumButtons; ++source) {
    if (std::fabs(plugin_->Engine().Depth(index, source)) >= kDepthResolution) {
      transmod->FlashSource(source);
    }
  }
}

void SynthEditor::SelectedSourceChanged(int32_t source) {
  selectedSource_ = source;
  for (VGui::Ctrl* control : smartControls_) UpdateControlForEngineParameter(control->Id());
}

bool SynthEditor::GetBindingForControl(const VGui::Ctrl& control, Binding& binding) {
  const int32_t index = ParameterOf(control);
  if (index < 0) return false;
  const char* parameterName = PT::ParameterToUserString(index, false);
  binding.SetPath("Synth");
  binding.SetType(BindingType::kContinuous);
  binding.SetEnterTargetMode(true);
  binding.SetStuffer(Binding::StuffToValue2);
  binding.SetPopper(Binding::GetValueFromValue2);
  if (selectedSource_ > 0) {
    binding.SetName(Format("%s (%s)", parameterName, Transmod::SourceName(selectedSource_)));
    binding.SetRange(-1.0f, 1.0f);
  } else {
    binding.SetName(parameterName);
    binding.SetRange(0.0f, 1.0f);
  }
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, index);
  prototype.SetValue(1, selectedSource_);
  binding.SetPrototype(prototype);
  return true;
}

// --- Commands and menus ----------------------------------------------------------------------

void SynthEditor::CommandEvent(const VGui::CommandEvent* event) {
  if (!event) {
    VFoundation::Log("%s, Failed because the event is NULL\n", "SynthEditor::CommandEvent");
    return;
  }
  VGui::Ctrl* control = event->control;
  const int32_t index = control ? ParameterOf(*control) : -1;
  switch (event->id) {
    case kEditValue:
      if (control) StartFieldEditor(*control);
      break;
    case kResetControl:
      if (control) HandleControlReset(*control);
      break;
    case kRemoveSourceModulation:
      if (index >= 0) Post(MessageType::e_removeModFromParameter, {index, selectedSource_});
      break;
    case kRemoveAllModulation:
      if (index >= 0) Post(MessageType::e_removeModFromParameter, {index, -1});
      break;
    case kShowControl: {
      const auto* name = std::get_if<std::string>(&event->argument);
      VGui::Ctrl* shown = name ? FindDescendant(*name) : control;
      if (!shown) break;
      shown->SetVisible(true);
      if (VGui::CtrlRoot* root = Root()) root->SetFocus(shown);
      break;
    }
    case kFilter1ModeChoice:
    case kFilter2ModeChoice: {
      const bool first = event->id == kFilter1ModeChoice;
      const int32_t type = PT::FilterTypeItem(PluginValue(first ? PT::kF1Type : PT::kF2Type));
      const float value = PT::ValueFromItem(event->IntArgument(), PT::FilterModeCount(type));
      Post(MessageType::e_setFilterParameter, {first ? PT::kF1Mode : PT::kF2Mode, 0, value});
      break;
    }
    case kDriveModeChoice:
      Post(MessageType::e_setFilterParameter,
           {PT::kDriveMode, 0, PT::ValueFromItem(event->IntArgument(), PT::kNumDriveModes)});
      break;
    default:
      break;
  }
}

void SynthEditor::ShowMenu(VGui::Ctrl& control) {
  menu_.Clear();
  AddModeSubmenu(control);
  const bool editable = !IsSwitchControl(control) && !IsItemControl(control);
  menu_.AddItem("Edit value", kEditValue, 0, editable);
  menu_.AddItem("Reset control", kResetControl, 0, editable);
  if (IsSmart(control)) AddModulationItems(control);
  VGui::CtrlRoot* root = Root();
  if (!root) return;
  const VGui::Rect at = control.RootBounds();
  root->ShowPopupMenu(menu_, {at.x + at.width / 2, at.y + at.height / 2}, this, &control);
}

void SynthEditor::AddModeSubmenu(VGui::Ctrl& control) {
  for (const ModeKnob& knob : kModeKnobs) {
    if (control.Name() != knob.skinName) continue;
    const bool drive = knob.modeIndex == PT::kDriveMode;
    // The type index divided by 3 is the normalised type value that selects the mode list.
    const int32_t type = drive ? 0
                               : PT::FilterTypeItem(PluginValue(
                                     knob.modeIndex == PT::kF1Mode ? PT::kF1Type : PT::kF2Type));
    const int32_t count = drive ? PT::kNumDriveModes : PT::FilterModeCount(type);
    const int32_t current = PT::ItemFromValue(PluginValue(knob.modeIndex), count);
    VGui::PopupMenu& submenu = menu_.AddSubmenu(knob.title);
    for (int32_t item = 0; item < count; ++item) {
      const char* text = drive ? PT::kDriveModeNames[size_t(item)] : PT::FilterModeName(type, item);
      submenu.AddItem(text, knob.command, item, true, item == current);
    }
  }
}

void SynthEditor::AddModulationItems(VGui::Ctrl& control) {
  const int32_t index = ParameterOf(control);
  if (index < 0) return;
  const char* parameterName = PT::ParameterToUserString(index, false);
  const bool modulated = plugin_ && plugin_->Engine().IsModulated(index);
  menu_.AddSeparator();
  const char* sourceName = Transmod::SourceName(selectedSource_);
  menu_.AddItem(Format("Remove %s modulation from %s", sourceName ? sourceName : "", parameterName),
                kRemoveSourceModulation, 0,
                modulated && selectedSource_ > 0 && !IsSwitchControl(control));
  menu_.AddItem(Format("Remove all modulation from %s", parameterName), kRemoveAllModulation, 0,
                modulated);
}

void SynthEditor::HandleControlReset(const VGui::Ctrl& control) {
  const int32_t index = ParameterOf(control);
  if (index < 0) return;
  Post(MessageType::e_setFilterParameterImmediate, {index, 0, PT::GetParameterDefaultValue(index)});
}

SynthEditor::DoubleClickMode SynthEditor::DoubleClickModeFromPreference(std::string_view text) {
  return text == "Edit" ? DoubleClickMode::kEdit : DoubleClickMode::kReset;
}

// --- Value-entry field -----------------------------------------------------------------------

void SynthEditor::StartFieldEditor(VGui::Ctrl& control) {
  auto* field = dynamic_cast<VGui::CtrlTextBox*>(BoundControl("FieldEditor"));
  if (!field || ParameterOf(control) < 0) return;
  fieldEditorTarget_ = &control;
  const VGui::Rect panel = RootBounds();
  const VGui::Rect controlRect = control.RootBounds().Offset(-panel.x, -panel.y);
  const VGui::Rect placed = ParameterControls::PlaceFieldEditor(
      controlRect, {field->Bounds().width, field->Bounds().height}, LocalBounds().width);
  // The field's rectangle is relative to its parent, which need not be this panel.
  const VGui::Rect parentRect = field->Parent() ? field->Parent()->RootBounds() : VGui::Rect{};
  field->SetBounds(placed.Offset(panel.x - parentRect.x, panel.y - parentRect.y));
  field->SetText(GetFieldEditorTextForControl(control));
  field->SetVisible(true);
  if (VGui::CtrlRoot* root = Root()) root->SetFocus(field);
}

void SynthEditor::StopFieldEditor() {
  auto* field = dynamic_cast<VGui::CtrlTextBox*>(BoundControl("FieldEditor"));
  VGui::Ctrl* target = fieldEditorTarget_;
  fieldEditorTarget_ = nullptr;
  if (field && target) {
    const int32_t index = ParameterOf(*target);
    if (const std::optional<float> value = GetValueForFieldEditorText(*target, field->Text())) {
      if (index >= 0 && index < PT::kNumFixedParameters) {
        Post(MessageType::e_setFilterParameterImmediate, {index, 0, *value});
        if (host_) host_->ParameterValueChanged(index, *value);
      } else {
        SendNonSmartValueChange(*target, *value);
      }
    }
  }
  if (field) field->SetVisible(false);
  Invalidate();
}

std::string SynthEditor::GetFieldEditorTextForControl(const VGui::Ctrl& control) const {
  const int32_t index = ParameterOf(control);
  if (index < 0) return {};
  return ParameterConvertor::ValueText(index, PluginValue(index), "", Context());
}

std::optional<float> SynthEditor::GetValueForFieldEditorText(const VGui::Ctrl& control,
                                                             std::string_view text) const {
  const int32_t index = ParameterOf(control);
  if (index < 0) return std::nullopt;
  return ParameterConvertor::TextValue(index, text, Context());
}

std::string SynthEditor::GetToolTipText(const VGui::Ctrl& control) const {
  const int32_t index = ParameterOf(control);
  if (index < 0) return control.Tooltip();
  const std::string prefix = Format("%s: ", PT::ParameterToUserString(index, false));
  const float value = PluginValue(index);
  if (const auto word = ParameterControls::TwoStateWord(control.Name(), value >= 0.5f)) {
    return prefix + std::string(*word);
  }
  std::string text = ParameterConvertor::ValueText(index, value, prefix, Context());
  // The keys that change a drag are not visible anywhere else.
  if (IsSmart(control)) text.append("\n").append(SmartControl::KeyHint());
  return text;
}

// --- Oversampling ----------------------------------------------------------------------------

bool SynthEditor::LockSynthThread() {
  if (!plugin_) return false;
  Post(MessageType::e_lockSynthThread, {});
  for (int poll = 0; poll < kLockPolls; ++poll) {
    if (plugin_->IsSynthLocked()) return true;
    sleeper_(kLockPollInterval);
  }
  if (plugin_->IsSynthLocked()) return true;
  Post(MessageType::e_unlockSynthThread, {});
  return false;
}

void SynthEditor::UnlockSynthThread() {
  if (!plugin_) return;
  MessagePort& port = plugin_->Port();
  auto alert = [this](const char* text) {
    if (VGui::CtrlRoot* root = Root()) {
      VGui::Dialogs::Alert(*root, text);
    } else {
      VFoundation::LogAlert(text);
    }
  };
  Message* unlock = port.GetAllocatableMessage();
  if (!unlock) {
    alert("Unable to unlock the synth thread (unlock messages queue is empty)");
    return;
  }
  unlock->SetType(MessageType::e_unlockSynthThread);
  port.PostMessageToSynth(unlock);
  Message* dialog = port.GetAllocatableMessage();
  if (!dialog) {
    alert("Unable to unlock the synth thread (dialog messages queue is empty)");
    return;
  }
  dialog->SetType(MessageType::e_removeDialog);
  port.PostMessageToEditor(dialog);
}

void SynthEditor::SwitchOversampling(bool on) {
  if (!plugin_) return;
  if (LockSynthThread()) {
    Post(MessageType::e_setOversampling, {on ? kOversamplingOn : kOversamplingOff});
    UnlockSynthThread();
  } else {
    RefreshOversampleButton();
  }
}

// --- Lookups ---------------------------------------------------------------------------------

bool SynthEditor::Post(MessageType type, std::initializer_list<MessageValue> values) {
  if (!plugin_) return false;
  return plugin_->Port().PostMessageToSynth(type, values);
}

bool SynthEditor::PostParameterEdit(int32_t index, float value) {
  if (!plugin_) return false;
  if (index < 0 || index >= PT::kNumFixedParameters) {
    return Post(MessageType::e_setFilterParameter, {index, 0, value});
  }
  MessagePort& port = plugin_->Port();
  Message* message = port.GetMessage();
  if (!message) return false;
  message->SetType(MessageType::e_setFilterParameter);
  message->SetValue(0, index);
  message->SetValue(1, 0);
  message->SetValue(2, value);
  message->SetHostToldBySender(host_ && host_->TellHostOfEdit(index, value));
  return port.PostMessageToSynth(message);
}

VGui::Ctrl* SynthEditor::BoundControl(std::string_view skinName) const {
  const auto rows = ParameterControls::SynthControlRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (skinName == rows[i].skinName) return bound_[i];
  }
  return nullptr;
}

VGui::Ctrl* SynthEditor::ControlForParameter(int32_t index) const {
  if (!IsParameter(index)) return nullptr;
  const auto rows = ParameterControls::SynthControlRows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].id == index && rows[i].listened) return bound_[i];
  }
  return nullptr;
}

int32_t SynthEditor::ParameterOf(const VGui::Ctrl& control) const {
  return ControlForParameter(control.Id()) == &control ? control.Id() : -1;
}

TransmodPanel* SynthEditor::Transmod() const {
  return dynamic_cast<TransmodPanel*>(BoundControl("Transmod"));
}

XYPad* SynthEditor::Pad() const {
  return dynamic_cast<XYPad*>(FindDescendant("XYPad"));
}
