// The editor's control classes and their registration.
#include "editor/EditorControlClasses.h"

#include <functional>

#include "editor/AboutPanel.h"
#include "editor/PresetPanel.h"
#include "editor/SmartFader.h"
#include "editor/SmartKnob.h"
#include "editor/SynthEditor.h"
#include "editor/TransmodPanel.h"
#include "editor/UtilityControlsPanel.h"
#include "editor/VizPanel.h"
#include "editor/XYPad.h"
#include "support/Log.h"
#include "support/gui/ClassRegistry.h"
#include "support/gui/controls/CtrlLabel.h"
#include "support/gui/controls/CtrlLevelStrip.h"
#include "support/gui/controls/CtrlPanel.h"
#include "support/gui/controls/FlashingButton.h"
#include "support/gui/controls/RegisterStandardControls.h"

namespace {

// Classes a skin may name that this editor draws as their toolkit base: each keeps its own class
// name so the registry's is-a answers stay true.
template <class Base, const char* kName>
class NamedControl : public Base {
 public:
  const char* ClassName() const override { return kName; }
};

constexpr char kStyles[] = "Styles";
constexpr char kTempoBox[] = "TempoBox";
constexpr char kTapTempoBox[] = "TapTempoBox";
constexpr char kTabbedPanel[] = "TabbedPanel";
constexpr char kSplitView[] = "SplitView";
constexpr char kAutoBorderedPanel[] = "AutoBorderedPanel";
constexpr char kAutoBorderedPanelStyle[] = "AutoBorderedPanelStyle";
constexpr char kCursors[] = "Cursors";

struct ClassEntry {
  const char* name;
  std::function<bool()> registerClass;
};

template <class T>
std::function<bool()> As(const char* name, const char* base) {
  return [name, base] { return VGui::RegisterClass<T>(name, base); };
}

const std::vector<ClassEntry>& StartupClasses() {
  static const std::vector<ClassEntry> classes = {
      {kStyles, As<NamedControl<VGui::Ctrl, kStyles>>(kStyles, "Ctrl")},
      {"AutoShorteningLabel", As<VGui::AutoShorteningLabel>("AutoShorteningLabel", "CtrlLabel")},
      {kTempoBox, As<NamedControl<VGui::CtrlLabel, kTempoBox>>(kTempoBox, "CtrlLabel")},
      {kTapTempoBox, As<NamedControl<VGui::KickButton, kTapTempoBox>>(kTapTempoBox, "KickButton")},
      {kTabbedPanel, As<NamedControl<VGui::CtrlPanel, kTabbedPanel>>(kTabbedPanel, "CtrlPanel")},
      {kSplitView, As<NamedControl<VGui::CtrlPanel, kSplitView>>(kSplitView, "CtrlPanel")},
      {kAutoBorderedPanel,
       As<NamedControl<VGui::CtrlPanel, kAutoBorderedPanel>>(kAutoBorderedPanel, "CtrlPanel")},
      {kAutoBorderedPanelStyle,
       As<NamedControl<VGui::Ctrl, kAutoBorderedPanelStyle>>(kAutoBorderedPanelStyle, "Ctrl")},
      {"AutoHideFlashingButton",
       As<VGui::AutoHideFlashingButton>("AutoHideFlashingButton", "FlashingButton")},
      {"FlashingButton", As<VGui::FlashingButton>("FlashingButton", "CtrlButton")},
      {"KickButton", As<VGui::KickButton>("KickButton", "CtrlButton")},
      {"SingleFlashButton", As<VGui::SingleFlashButton>("SingleFlashButton", "FlashingButton")},
      {SmartKnob::kClassName, As<SmartKnob>(SmartKnob::kClassName, SmartKnob::kBaseClassName)},
      {SmartFader::kClassName, As<SmartFader>(SmartFader::kClassName, SmartFader::kBaseClassName)},
      {"VUMeter", As<VGui::VUMeter>("VUMeter", "CtrlLevelStrip")},
      {kCursors, As<NamedControl<VGui::Ctrl, kCursors>>(kCursors, "Ctrl")},
  };
  return classes;
}

// The panels the root and synth skins create by class name.
const std::vector<ClassEntry>& PanelClasses() {
  static const std::vector<ClassEntry> classes = {
      {VizPanel::kClassName, As<VizPanel>(VizPanel::kClassName, VizPanel::kBaseClassName)},
      {TransmodPanel::kClassName,
       As<TransmodPanel>(TransmodPanel::kClassName, TransmodPanel::kBaseClassName)},
      {XYPad::kClassName, As<XYPad>(XYPad::kClassName, XYPad::kBaseClassName)},
      {SynthEditor::kClassName,
       As<SynthEditor>(SynthEditor::kClassName, SynthEditor::kBaseClassName)},
      {UtilityControlsPanel::kClassName,
       As<UtilityControlsPanel>(UtilityControlsPanel::kClassName,
                                UtilityControlsPanel::kBaseClassName)},
      {PresetPanel::kClassName, As<PresetPanel>(PresetPanel::kClassName, "CtrlPanel")},
      {AboutPanel::kClassName, As<AboutPanel>(AboutPanel::kClassName, "CtrlPanel")},
  };
  return classes;
}

void RegisterAll(const std::vector<ClassEntry>& classes, std::vector<std::string>& failed) {
  for (const ClassEntry& entry : classes) {
    if (entry.registerClass()) continue;
    VFoundation::Log("%s failed to startup\n", entry.name);
    failed.emplace_back(entry.name);
  }
}

}  // namespace

const std::vector<std::string>& EditorControlClassNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const ClassEntry& entry : StartupClasses()) list.emplace_back(entry.name);
    return list;
  }();
  return names;
}

std::vector<std::string> RegisterEditorControlClasses() {
  std::vector<std::string> failed;
  // Its own failures are logged by the toolkit; the classes above it still register.
  VGui::RegisterStandardControls();
  RegisterAll(StartupClasses(), failed);
  RegisterAll(PanelClasses(), failed);
  return failed;
}
