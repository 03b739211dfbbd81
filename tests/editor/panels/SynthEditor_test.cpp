// The synth panel driven as a user and the engine drive it: drags, double clicks, menus, the
// value-entry field, engine notifications and the oversampling switch.
#include "editor/SynthEditor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/SmartControl.h"
#include "editor/XYPad.h"
#include "support/gui/Binding.h"
#include "support/gui/controls/FlashingButton.h"
#include "editor/VizPanel.h"
#include "plugin/ParameterTable.h"
#include "support/gui/controls/CtrlLabel.h"
#include "support/gui/controls/CtrlTextBox.h"
#include "tests/editor/panels/PanelTestKit.h"

namespace {

using PanelTestKit::EditorTree;
using PanelTestKit::HostCalls;
namespace PT = ParameterTable;

VGui::Point CentreOf(const VGui::Ctrl& control) {
  const VGui::Rect r = control.RootBounds();
  return {r.x + r.width / 2, r.y + r.height / 2};
}

VGui::MouseEvent Mouse(VGui::Point at, VGui::MouseButton button = VGui::MouseButton::kLeft,
                       int clicks = 1) {
  VGui::MouseEvent e;
  e.position = at;
  e.button = button;
  e.clickCount = clicks;
  return e;
}

// The engine takes the value as the editor's own commits do.
void SetEngineValue(EditorTree& tree, int32_t index, float value) {
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameterImmediate,
                                         {index, int32_t(0), value});
  tree.RunEngine();
  tree.recorder.seen.clear();
}

void Click(VGui::CtrlRoot& root, VGui::Point at, VGui::MouseButton button, int clicks = 1) {
  root.MouseDown(Mouse(at, button, clicks));
  root.MouseUp(Mouse(at, button, clicks));
}

// --- Drags and gestures ----------------------------------------------------------------------

TEST(SynthEditorTest, KnobDragPostsTheValueInsideOneHostGesture) {
  EditorTree tree;
  // What the engine has received is flushed into the log whenever the host hears of a gesture,
  // so the log shows which messages came between begin and end.
  std::vector<std::string> log;
  PanelTestKit::BeforeHostCall() = [&](int32_t opcode) {
    if (opcode != vst::audioMasterBeginEdit && opcode != vst::audioMasterEndEdit) return;
    tree.recorder.seen.clear();
    tree.RunEngine();
    for (const auto& seen : tree.recorder.OfType(MessageType::e_setFilterParameter)) {
      char text[64];
      std::snprintf(text, sizeof text, "14 %d %d %.4f", seen.values[0].AsInt(),
                    seen.values[1].AsInt(), seen.values[2].AsFloat());
      log.emplace_back(text);
    }
    log.push_back(opcode == vst::audioMasterBeginEdit ? "begin" : "end");
  };
  const VGui::Point start = CentreOf(tree.Control("Filter1Resonance"));
  tree.root.MouseDown(Mouse(start));
  tree.root.MouseMove(Mouse({start.x, start.y - 15}));
  tree.root.MouseMove(Mouse({start.x, start.y - 30}));
  tree.root.MouseUp(Mouse({start.x, start.y - 30}));
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front(), "begin");
  EXPECT_EQ(log.back(), "end");
  EXPECT_EQ(log[log.size() - 2], "14 35 0 0.1000");  // 30 px of a 300 px range
  EXPECT_EQ(std::count(log.begin(), log.end(), "begin"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "end"), 1);
  for (const auto& call : HostCalls()) {
    if (call.opcode == vst::audioMasterBeginEdit || call.opcode == vst::audioMasterEndEdit) {
      EXPECT_EQ(call.index, PT::kF1Res);
    }
  }
}

TEST(SynthEditorTest, NonSmartControlsSendTheirValue) {
  struct Case {
    const char* name;
    float controlValue;
    int32_t index;
    float sent;
  };
  const Case cases[] = {
      {"Filter1Type", 2.0f, PT::kF1Type, 2.0f * 0.33333334f},
      {"Filter2FMInputGroup", 3.0f, PT::kF2FMSource, 3.0f * 0.33333334f},
      {"FilterLink", 1.0f, PT::kFilterLink, 1.0f},
      {"LFO2Phase", 0.25f, PT::kLFO2Phase, 0.25f},
  };
  for (const Case& c : cases) {
    EditorTree tree;
    tree.Control(c.name).SetValue(c.controlValue, true);
    tree.RunEngine();
    const auto sent = tree.recorder.OfType(MessageType::e_setFilterParameter);
    ASSERT_EQ(sent.size(), 1u) << c.name;
    EXPECT_EQ(sent[0].values[0].AsInt(), c.index) << c.name;
    EXPECT_EQ(sent[0].values[1].AsInt(), 0) << c.name;
    EXPECT_FLOAT_EQ(sent[0].values[2].AsFloat(), c.sent) << c.name;
  }
}

// --- Double click ----------------------------------------------------------------------------

TEST(SynthEditorTest, DoubleClickResetsWithoutPreference) {
  EditorTree tree;
  EXPECT_EQ(SynthEditor::DoubleClickModeFromPreference(""), SynthEditor::DoubleClickMode::kReset);
  tree.synth->SetDoubleClickMode(SynthEditor::DoubleClickModeFromPreference(""));
  Click(tree.root, CentreOf(tree.Control("OutputLevel")), VGui::MouseButton::kLeft, 2);
  tree.RunEngine();
  const auto resets = tree.recorder.OfType(MessageType::e_setFilterParameterImmediate);
  ASSERT_EQ(resets.size(), 1u);
  EXPECT_EQ(resets[0].values[0].AsInt(), PT::kGain);
  EXPECT_FLOAT_EQ(resets[0].values[2].AsFloat(), PT::GetParameterDefaultValue(PT::kGain));
  EXPECT_FALSE(tree.Control("FieldEditor").Visible());
}

TEST(SynthEditorTest, DoubleClickEditsWithEditPreference) {
  EditorTree tree;
  tree.synth->SetDoubleClickMode(SynthEditor::DoubleClickModeFromPreference("Edit"));
  VGui::Ctrl& fader = tree.Control("LFO1Shape");
  Click(tree.root, CentreOf(fader), VGui::MouseButton::kLeft, 2);
  tree.RunEngine();
  EXPECT_TRUE(tree.recorder.OfType(MessageType::e_setFilterParameterImmediate).empty());
  auto* field = dynamic_cast<VGui::CtrlTextBox*>(&tree.Control("FieldEditor"));
  ASSERT_NE(field, nullptr);
  EXPECT_TRUE(field->Visible());
  EXPECT_EQ(field->Text(), "050%");
  EXPECT_EQ(tree.synth->FieldEditorControl(), &fader);
  EXPECT_EQ(tree.root.Focus(), field);
}

// --- Context menus ---------------------------------------------------------------------------

struct MenuCase {
  const char* control;
  std::vector<std::string> texts;  // "-" for a separator, "+" prefix for a submenu
  std::vector<bool> enabled;
};

std::vector<std::string> Texts(const VGui::PopupMenu& menu) {
  std::vector<std::string> texts;
  for (const auto& item : menu.Items()) {
    texts.push_back(item.separator ? "-" : (item.submenu ? "+" : "") + item.text);
  }
  return texts;
}

// The items' enablement, separators left out.
std::vector<bool> Enabled(const VGui::PopupMenu& menu) {
  std::vector<bool> enabled;
  for (const auto& item : menu.Items()) {
    if (!item.separator) enabled.push_back(item.enabled);
  }
  return enabled;
}

TEST(SynthEditorTest, RightClickMenusAndTheirEnablement) {
  const MenuCase cases[] = {
      {"Filter1Bypass", {"Edit value", "Reset control"}, {false, false}},
      {"Filter2Type", {"Edit value", "Reset control"}, {false, false}},
      {"Filter1FMInputGroup", {"Edit value", "Reset control"}, {false, false}},
      {"LFO1Phase", {"Edit value", "Reset control"}, {true, true}},
      {"Filter1Cutoff",
       {"Edit value", "Reset control", "-", "Remove Source modulation from Filter 1 Freq",
        "Remove all modulation from Filter 1 Freq"},
       {true, true, false, false}},
      {"Filter1Mode",
       {"+Filter 1 mode", "Edit value", "Reset control", "-",
        "Remove Source modulation from Filter 1 Mode", "Remove all modulation from Filter 1 Mode"},
       {true, true, true, false, false}},
      {"DriveMode",
       {"+Drive mode", "Edit value", "Reset control", "-",
        "Remove Source modulation from Distortion Mode",
        "Remove all modulation from Distortion Mode"},
       {true, true, true, false, false}},
  };
  for (const MenuCase& c : cases) {
    EditorTree tree;
    Click(tree.root, CentreOf(tree.Control(c.control)), VGui::MouseButton::kRight);
    EXPECT_TRUE(tree.root.PopupMenuOpen()) << c.control;
    EXPECT_EQ(Texts(tree.synth->ContextMenu()), c.texts) << c.control;
    EXPECT_EQ(Enabled(tree.synth->ContextMenu()), c.enabled) << c.control;
  }
}

TEST(SynthEditorTest, OversampleAndLearnButtonsOpenNoMenu) {
  for (const char* name : {"Oversample", "MIDILearn"}) {
    EditorTree tree;
    Click(tree.root, CentreOf(tree.Control(name)), VGui::MouseButton::kRight);
    EXPECT_FALSE(tree.root.PopupMenuOpen()) << name;
  }
}

TEST(SynthEditorTest, ModeSubmenusListTheModesOfTheCurrentType) {
  struct Case {
    const char* control;
    int32_t typeIndex;
    float typeValue;
    size_t modes;
    const char* first;
  };
  const Case cases[] = {
      {"Filter1Mode", PT::kF1Type, 0.0f, 22, "2 pole low pass (2L)"},
      {"Filter2Mode", PT::kF2Type, 1.0f / 3.0f, 10, "2 pole low pass (2L)"},
      {"Filter1Mode", PT::kF1Type, 2.0f / 3.0f, 4, "Low pass"},
      {"Filter2Mode", PT::kF2Type, 1.0f, 2, "Negative"},
      {"DriveMode", PT::kF1Type, 0.0f, 7, "Diode"},
  };
  for (const Case& c : cases) {
    EditorTree tree;
    SetEngineValue(tree, c.typeIndex, c.typeValue);
    tree.synth->ShowMenu(tree.Control(c.control));
    const auto& submenu = tree.synth->ContextMenu().Items().front().submenu;
    ASSERT_NE(submenu, nullptr) << c.control;
    EXPECT_EQ(submenu->Items().size(), c.modes) << c.control;
    EXPECT_EQ(submenu->Items().front().text, c.first) << c.control;
  }
}

TEST(SynthEditorTest, MenuCommandsPostTheirMessages) {
  EditorTree tree;
  VGui::Ctrl& cutoff = tree.Control("Filter2Cutoff");
  const VGui::CommandEvent commands[] = {
      {SynthEditor::kResetControl, {}, &cutoff},
      {SynthEditor::kRemoveAllModulation, {}, &cutoff},
      {SynthEditor::kFilter2ModeChoice, int32_t(9), &tree.Control("Filter2Mode")},
      {SynthEditor::kDriveModeChoice, int32_t(3), &tree.Control("DriveMode")},
  };
  for (const auto& command : commands) tree.synth->CommandEvent(&command);
  tree.synth->CommandEvent(nullptr);
  tree.RunEngine();
  const auto& seen = tree.recorder.seen;
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].type, MessageType::e_setFilterParameterImmediate);
  EXPECT_FLOAT_EQ(seen[0].values[2].AsFloat(), 1.0f);
  EXPECT_EQ(seen[1].type, MessageType::e_removeModFromParameter);
  EXPECT_EQ(seen[1].values[0].AsInt(), PT::kF2Cutoff);
  EXPECT_EQ(seen[1].values[1].AsInt(), -1);
  EXPECT_EQ(seen[2].values[0].AsInt(), PT::kF2Mode);
  EXPECT_FLOAT_EQ(seen[2].values[2].AsFloat(), 9.0f / 21.0f);
  EXPECT_EQ(seen[3].values[0].AsInt(), PT::kDriveMode);
  EXPECT_FLOAT_EQ(seen[3].values[2].AsFloat(), 0.5f);
}

// --- Value-entry field -----------------------------------------------------------------------

TEST(SynthEditorTest, FieldOverALeftEdgeControlStartsAtZeroAndCommitsImmediate) {
  EditorTree tree;
  VGui::Ctrl& knob = tree.Control("DriveAmount");
  ASSERT_LT(knob.RootBounds().x + knob.RootBounds().width / 2,
            tree.Control("FieldEditor").Bounds().width / 2);
  tree.synth->StartFieldEditor(knob);
  VGui::Ctrl& field = tree.Control("FieldEditor");
  EXPECT_TRUE(field.Visible());
  EXPECT_EQ(field.RootBounds().x, 0);
  // The field is centred vertically on the knob.
  EXPECT_EQ(field.RootBounds().y + field.Bounds().height / 2,
            knob.RootBounds().y + knob.Bounds().height / 2);
  auto& text = dynamic_cast<VGui::CtrlTextBox&>(field);
  text.SetText("25 dB");
  VGui::KeyEvent enter;
  enter.key = VGui::Key::kReturn;
  tree.root.KeyDown(enter);
  tree.RunEngine();
  const auto committed = tree.recorder.OfType(MessageType::e_setFilterParameterImmediate);
  ASSERT_EQ(committed.size(), 1u);
  EXPECT_EQ(committed[0].values[0].AsInt(), PT::kDriveAmount);
  // 25 dB through the drive law (1 + 5.812921 v^2)^3.
  const float v = committed[0].values[2].AsFloat();
  EXPECT_NEAR(60.0 * std::log10(1.0 + 5.812921 * v * v), 25.0, 0.01);
  EXPECT_FALSE(field.Visible());
  EXPECT_EQ(tree.synth->FieldEditorControl(), nullptr);
}

TEST(SynthEditorTest, FieldFocusLossHidesWithoutCommit) {
  EditorTree tree;
  tree.synth->StartFieldEditor(tree.Control("Mix"));
  auto& field = dynamic_cast<VGui::CtrlTextBox&>(tree.Control("FieldEditor"));
  EXPECT_EQ(field.Text(), "100%");
  field.SetText("10%");
  tree.root.SetFocus(nullptr);
  tree.RunEngine();
  EXPECT_TRUE(tree.recorder.seen.empty());
  EXPECT_FALSE(field.Visible());
}

// --- Tooltips --------------------------------------------------------------------------------

TEST(SynthEditorTest, TooltipsShowNameAndValueOrTheStateWord) {
  struct Case {
    const char* control;
    int32_t index;
    float value;
    const char* text;
  };
  const Case cases[] = {
      {"PrePostButton", PT::kDrivePre, 1.0f, "Distortion Pre: Pre"},
      {"PrePostButton", PT::kDrivePre, 0.0f, "Distortion Pre: Post"},
      {"CompMode", PT::kCompMode, 0.0f, "Compressor Mode: Soft"},
      {"EnvVel", PT::kEnvVelRespond, 1.0f, "Envelope responds to velocity: Scaled by velocity"},
      {"FilterLayout", PT::kFilterLayout, 1.0f, "Filter Layout: Parallel"},
      {"Filter1Cutoff", PT::kF1Cutoff, 0.5f,
       "Filter 1 Freq: 440.00 Hz\nShift-drag: fine, Ctrl-drag: value only"},
      {"Compress", PT::kComp, 0.342499f,
       "Compression: 034%\nShift-drag: fine, Ctrl-drag: value only"},
  };
  for (const Case& c : cases) {
    EditorTree tree;
    SetEngineValue(tree, c.index, c.value);
    EXPECT_EQ(tree.synth->GetToolTipText(tree.Control(c.control)), c.text);
    tree.synth->UpdateControlForEngineParameter(c.index);
    EXPECT_EQ(tree.Control(c.control).Tooltip(), c.text);
  }
}

// --- Engine notifications --------------------------------------------------------------------

TEST(SynthEditorTest, EngineAnswersMoveTheControls) {
  EditorTree tree;
  tree.plugin->Port().SetEditorAttached(true);
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameterImmediate,
                                         {int32_t(PT::kF2Type), int32_t(0), 1.0f});
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameterImmediate,
                                         {int32_t(PT::kLFO1Sync), int32_t(0), 0.0f});
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameterImmediate,
                                         {int32_t(PT::kMix), int32_t(0), 0.25f});
  tree.RunEngine();
  tree.plugin->Port().ProcessEditorMessages();
  EXPECT_EQ(tree.Control("Filter2Type").Value(), 3.0f);
  EXPECT_EQ(tree.Control("LFO1Sync").Value(), 0.0f);
  EXPECT_FLOAT_EQ(tree.Control("Mix").Value(), 0.25f);
  EXPECT_EQ(dynamic_cast<VGui::CtrlLabel&>(tree.Control("Filter2TypeLabel")).Text(), "Negative");
}

TEST(SynthEditorTest, OversampleButtonFollowsTheFactorOnPresetLoad) {
  EditorTree tree;
  for (int32_t factor : {4, 2, 8, 1}) {
    tree.plugin->Port().PostMessageToSynth(MessageType::e_setOversampling, {factor});
    tree.RunEngine();
    Message loaded;
    loaded.SetType(MessageType::e_updatePresetLoaded);
    tree.synth->HandleMessage(loaded);
    EXPECT_EQ(tree.Control("Oversample").Value(), factor >= 3 ? 1.0f : 0.0f) << factor;
  }
}

TEST(SynthEditorTest, MetersShowTheOutputLevels) {
  EditorTree tree;
  tree.synth->ATC_Tick();  // nothing played: silence
  EXPECT_EQ(tree.Control("MasterVULeft").Value(), 0.0f);
  EXPECT_EQ(tree.Control("MasterVURight").Value(), 0.0f);
}

// --- Oversampling switch ---------------------------------------------------------------------

TEST(SynthEditorTest, OversamplingSwitchWithAnEngineThatLocks) {
  EditorTree tree;
  tree.acknowledgeLock = true;
  tree.Control("Oversample").SetValue(1.0f, true);
  EXPECT_EQ(tree.sleeps, 1);
  EXPECT_TRUE(tree.plugin->IsSynthLocked());
  tree.recorder.seen.clear();
  tree.RunEngine();
  ASSERT_EQ(tree.recorder.seen.size(), 2u);
  EXPECT_EQ(tree.recorder.seen[0].type, MessageType::e_setOversampling);
  EXPECT_EQ(tree.recorder.seen[0].values[0].AsInt(), 4);
  EXPECT_EQ(tree.recorder.seen[1].type, MessageType::e_unlockSynthThread);
  EXPECT_FALSE(tree.plugin->IsSynthLocked());
  EXPECT_EQ(tree.plugin->OversamplingFactor(), 4);

  tree.Control("Oversample").SetValue(0.0f, true);
  tree.RunEngine();
  EXPECT_EQ(tree.plugin->OversamplingFactor(), 2);
}

TEST(SynthEditorTest, OversamplingSwitchGivesUpOnAnEngineThatNeverLocks) {
  EditorTree tree;
  const int32_t before = tree.plugin->OversamplingFactor();
  tree.Control("Oversample").SetValue(1.0f, true);
  EXPECT_EQ(tree.sleeps, SynthEditor::kLockPolls);
  tree.RunEngine();
  ASSERT_EQ(tree.recorder.seen.size(), 2u);
  EXPECT_EQ(tree.recorder.seen[0].type, MessageType::e_lockSynthThread);
  EXPECT_EQ(tree.recorder.seen[1].type, MessageType::e_unlockSynthThread);
  EXPECT_TRUE(tree.recorder.OfType(MessageType::e_setOversampling).empty());
  EXPECT_EQ(tree.plugin->OversamplingFactor(), before);
  EXPECT_FALSE(tree.plugin->IsSynthLocked());
  EXPECT_EQ(tree.Control("Oversample").Value(), before >= 3 ? 1.0f : 0.0f);
}

// --- Transmod --------------------------------------------------------------------------------

TEST(SynthEditorTest, SelectingASourceReachesEveryKnobAndFader) {
  EditorTree tree;
  TransmodPanel* transmod = tree.synth->Transmod();
  ASSERT_NE(transmod, nullptr);
  Click(tree.root, CentreOf(*transmod->SourceButton(2)), VGui::MouseButton::kLeft);
  EXPECT_EQ(transmod->SelectedSource(), 2);
  EXPECT_EQ(tree.synth->SelectedSource(), 2);
  EXPECT_EQ(transmod->SourceButton(2)->Value(), 1.0f);
  EXPECT_EQ(transmod->SourceButton(0)->Value(), 0.0f);
  for (VGui::Ctrl* control : tree.synth->ModulationAwareControls()) {
    EXPECT_EQ(dynamic_cast<SmartControl*>(control)->ModulationSource(), 2) << control->Name();
  }
  tree.synth->ShowMenu(tree.Control("Filter1Cutoff"));
  EXPECT_EQ(Texts(tree.synth->ContextMenu())[3], "Remove LFO1 modulation from Filter 1 Freq");
}

// --- Skins with parts missing ----------------------------------------------------------------

// A copy of the shipped resources whose synth skin lacks the lines naming `without`.
std::filesystem::path ResourcesWithout(const std::string& without) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("tavo-panels-" + without + "-" +
                       std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::remove_all(folder);
  std::filesystem::copy(PanelTestKit::SourceResources(), folder,
                        std::filesystem::copy_options::recursive);
  const auto skin = folder / "Synth" / "SynthControls.skin";
  std::ifstream in(skin);
  std::stringstream kept;
  for (std::string line; std::getline(in, line);) {
    if (line.find("name=\"" + without + "\"") == std::string::npos) kept << line << "\n";
  }
  in.close();
  std::ofstream(skin) << kept.str();
  return folder;
}

TEST(SynthEditorTest, OpensWithoutTheFieldEditor) {
  const auto resources = ResourcesWithout("FieldEditor");
  {
    EditorTree tree(resources);
    ASSERT_NE(tree.synth, nullptr);
    ASSERT_EQ(tree.synth->BindProblems().size(), 1u);
    EXPECT_EQ(tree.synth->BindProblems()[0], "Failed to find control named FieldEditor");
    tree.synth->SetDoubleClickMode(SynthEditor::DoubleClickMode::kEdit);
    Click(tree.root, CentreOf(tree.Control("Mix")), VGui::MouseButton::kLeft, 2);
    EXPECT_EQ(tree.synth->FieldEditorControl(), nullptr);
    EXPECT_NE(tree.synth->BoundControl("Mix"), nullptr);
  }
  std::filesystem::remove_all(resources);
}

TEST(SynthEditorTest, OpensWithoutAVisualisationPlaceholder) {
  const auto resources = ResourcesWithout("F2Viz");
  {
    EditorTree tree(resources);
    ASSERT_NE(tree.synth, nullptr);
    EXPECT_TRUE(tree.synth->BindProblems().empty());
    EXPECT_EQ(tree.synth->VizPanels()[1], nullptr);
    EXPECT_NE(tree.synth->VizPanels()[0], nullptr);
    EXPECT_NE(tree.synth->VizPanels()[8], nullptr);
  }
  std::filesystem::remove_all(resources);
}

// --- Learn, flashes and the XY pad -----------------------------------------------------------

TEST(SynthEditorTest, LearnBindingCarriesTheParameterAndTheSelectedSource) {
  struct Case {
    int32_t source;
    const char* name;
    float min;
  };
  const Case cases[] = {{0, "Filter 2 Resonance", 0.0f},
                        {5, "Filter 2 Resonance (Envelope follower)", -1.0f}};
  for (const Case& c : cases) {
    EditorTree tree;
    tree.synth->Transmod()->SelectSource(c.source);
    Binding binding;
    ASSERT_TRUE(tree.synth->GetBindingForControl(tree.Control("Filter2Resonance"), binding));
    EXPECT_STREQ(binding.Name(), c.name);
    EXPECT_STREQ(binding.Path(), "Synth");
    EXPECT_EQ(binding.Min(), c.min);
    EXPECT_EQ(binding.Max(), 1.0f);
    EXPECT_EQ(binding.Prototype().Type(), MessageType::e_setFilterParameter);
    EXPECT_EQ(binding.Prototype().Value(0).AsInt(), PT::kF2Res);
    EXPECT_EQ(binding.Prototype().Value(1).AsInt(), c.source);
  }
  EditorTree tree;
  Binding none;
  EXPECT_FALSE(tree.synth->GetBindingForControl(tree.Control("Transmod"), none));
}

TEST(SynthEditorTest, NoteTriggersFlashTheirLight) {
  const char* lights[] = {"EnvFlasher", "LFO1Flasher", "LFO2Flasher"};
  for (int32_t which = 0; which < 3; ++which) {
    EditorTree tree;
    Message trigger;
    trigger.SetType(MessageType::e_updateMIDITrigger);
    trigger.SetValue(0, which);
    tree.synth->HandleMessage(trigger);
    for (int32_t other = 0; other < 3; ++other) {
      auto& light = dynamic_cast<VGui::FlashingButton&>(tree.Control(lights[other]));
      EXPECT_EQ(light.Lit(), other == which) << lights[other];
    }
  }
}

TEST(SynthEditorTest, PressingAKnobFlashesTheSourcesThatModulateIt) {
  EditorTree tree;
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameter,
                                         {int32_t(PT::kF1Cutoff), int32_t(2), -0.3f});
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameter,
                                         {int32_t(PT::kF1Cutoff), int32_t(9), 0.5f});
  tree.RunEngine();
  const VGui::Point at = CentreOf(tree.Control("Filter1Cutoff"));
  tree.root.MouseDown(Mouse(at));
  tree.root.MouseUp(Mouse(at));
  for (int32_t source = 1; source < TransmodPanel::kNumButtons; ++source) {
    const std::string name = TransmodPanel::kLightPrefix + std::to_string(source);
    auto* light = dynamic_cast<VGui::FlashingButton*>(tree.synth->FindDescendant(name));
    ASSERT_NE(light, nullptr) << name;
    EXPECT_EQ(light->Lit(), source == 2 || source == 9) << name;
  }
}

TEST(SynthEditorTest, XYPadFollowsTheEngineAndPostsThroughThePanel) {
  EditorTree tree;
  XYPad* pad = nullptr;
  ASSERT_TRUE(VGui::ReplaceControl(pad, *tree.synth->FindDescendant("XYControllerPanel"), "XYPad",
                                   5678, tree.synth));
  pad->SetEditorDelegate(tree.plugin.get());
  EXPECT_EQ(tree.synth->Pad(), pad);
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterMacroValue, {0.5f, int32_t(0)});
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterMacroValue, {1.0f, int32_t(1)});
  tree.RunEngine();
  Message moved;
  moved.SetType(MessageType::e_updateFilterMacroValue);
  tree.synth->HandleMessage(moved);
  const int w = pad->Bounds().width;
  EXPECT_EQ(pad->Handle(), (VGui::Point{w / 2 - 5, 2}));
  tree.recorder.seen.clear();
  const VGui::Rect r = pad->RootBounds();
  Click(tree.root, {r.x + 20, r.y + 40}, VGui::MouseButton::kLeft);
  tree.RunEngine();
  const auto sent = tree.recorder.OfType(MessageType::e_setFilterMacroValue);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].values[1].AsInt(), 0);
  EXPECT_EQ(sent[1].values[1].AsInt(), 1);
  Message learning;
  learning.SetType(MessageType::e_updateMIDILearnStateChanged);
  learning.SetValue(0, true);
  tree.synth->HandleMessage(learning);
  EXPECT_TRUE(pad->LearnDisplay());
}

}  // namespace
