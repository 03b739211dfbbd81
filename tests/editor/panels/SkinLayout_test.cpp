// The shipped skins: every file loads without a problem, every control of the control table is
// bound, and the layout keeps every control inside the window and clear of its siblings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/ParameterControls.h"
#include "editor/TransmodPanel.h"
#include "editor/VizPanel.h"
#include "support/gui/ClassRegistry.h"
#include "support/gui/controls/CtrlComboBox.h"
#include "support/gui/controls/CtrlLabel.h"
#include "tests/editor/panels/PanelTestKit.h"

namespace {

using PanelTestKit::EditorTree;

class SkinFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SkinFileTest, LoadsWithoutProblems) {
  EditorTree tree;  // registers the classes and the global styles
  VGui::CtrlPanel scratch;
  VGui::SkinLoadReport report;
  ASSERT_TRUE(VGui::LoadSkin(scratch, GetParam(), tree.root.Skins(), &report));
  EXPECT_TRUE(report.problems.empty()) << GetParam() << ": " << report.problems.front();
  EXPECT_GT(report.controls + report.styles, 0);
}

INSTANTIATE_TEST_SUITE_P(ShippedSkins, SkinFileTest,
                         ::testing::Values("GlobalStyles.skin", "RootSkin.skin",
                                           "Synth/SynthControls.skin", "Synth/Transmod.skin",
                                           "Global/UtilityControls.skin", "About/AboutPanel.skin"));

TEST(SkinLayoutTest, GlobalStylesNameWhatTheEditorLooksUp) {
  EditorTree tree;
  EXPECT_TRUE(tree.stylesReport.problems.empty());
  for (const char* colour :
       {"LearnOverlayColour", "LearnTargetColour", "DragAndDropOverlayColour"}) {
    EXPECT_TRUE(tree.root.Skins().FindColour(colour).has_value()) << colour;
  }
  for (const char* style :
       {"MIDIClearButtonStyle", "ModalPanelBackgroundStyle", "ModalTitleLabelStyle",
        TransmodPanel::kButtonStyle, TransmodPanel::kUsedButtonStyle}) {
    EXPECT_NE(tree.root.Skins().FindStyle(style), nullptr) << style;
  }
}

TEST(SkinLayoutTest, EveryRowOfTheControlTableIsBound) {
  EditorTree tree;
  ASSERT_TRUE(tree.rootLoaded);
  ASSERT_NE(tree.synth, nullptr);
  EXPECT_TRUE(tree.synth->BindProblems().empty()) << tree.synth->BindProblems().front();
  for (const ParameterControls::ControlRow& row : ParameterControls::SynthControlRows()) {
    VGui::Ctrl* control = tree.synth->BoundControl(row.skinName);
    ASSERT_NE(control, nullptr) << row.skinName;
    EXPECT_TRUE(VGui::IsA(*control, row.className)) << row.skinName;
    EXPECT_EQ(control->Id(), row.id) << row.skinName;
    EXPECT_EQ(control->Listener(), row.listened ? tree.synth : nullptr) << row.skinName;
  }
}

TEST(SkinLayoutTest, VisualisationPanelsFillTheirPlaceholders) {
  EditorTree tree;
  ASSERT_NE(tree.synth, nullptr);
  for (size_t i = 0; i < ParameterControls::kVizPlaceholders.size(); ++i) {
    VizPanel* viz = tree.synth->VizPanels()[i];
    ASSERT_NE(viz, nullptr) << ParameterControls::kVizPlaceholders[i];
    EXPECT_EQ(viz->Id(), SynthEditor::kVizId);
    EXPECT_EQ(viz->Parent()->Name(), ParameterControls::kVizPlaceholders[i]);
    EXPECT_EQ(viz->Bounds(), viz->Parent()->LocalBounds());
  }
}

TEST(SkinLayoutTest, FMInputCombosOfferTheFourSources) {
  EditorTree tree;
  for (const char* name : {"Filter1FMInputGroup", "Filter2FMInputGroup"}) {
    auto* combo = dynamic_cast<VGui::CtrlComboBox*>(&tree.Control(name));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Items(), (std::vector<std::string>{"LFO1", "LFO2", "IN", "SC"})) << name;
  }
}

TEST(SkinLayoutTest, StartsWithTheFieldHiddenAndTheFlashersOut) {
  EditorTree tree;
  EXPECT_FALSE(tree.Control("FieldEditor").Visible());
  EXPECT_TRUE(tree.Control("Transmod").Visible());
  for (const char* name : ParameterControls::kFlashers) {
    EXPECT_LT(tree.Control(name).Value(), 0.5f) << name;
  }
  EXPECT_EQ(tree.synth->ModulationAwareControls().size(), 19u + 20u);
}

// Every visible control, with its rectangle in the window's coordinates.
void CollectShowing(const VGui::Ctrl& control, std::vector<const VGui::Ctrl*>& out) {
  for (const auto& child : control.Children()) {
    if (!child->Visible()) continue;
    out.push_back(child.get());
    CollectShowing(*child, out);
  }
}

TEST(SkinLayoutTest, EveryControlLiesInsideTheWindowAndItsParent) {
  EditorTree tree;
  std::vector<const VGui::Ctrl*> showing;
  CollectShowing(*tree.mainPanel, showing);
  ASSERT_GT(showing.size(), 150u);
  const VGui::Rect window{0, 0, 962, 438};
  for (const VGui::Ctrl* control : showing) {
    const VGui::Rect r = control->RootBounds();
    EXPECT_FALSE(r.Empty()) << control->Name();
    EXPECT_TRUE(window.Contains(r)) << control->Name();
    EXPECT_TRUE(control->Parent()->RootBounds().Contains(r)) << control->Name();
  }
}

TEST(SkinLayoutTest, NoTwoSiblingsOverlap) {
  EditorTree tree;
  std::vector<const VGui::Ctrl*> parents{tree.mainPanel};
  CollectShowing(*tree.mainPanel, parents);
  int pairs = 0;
  for (const VGui::Ctrl* parent : parents) {
    const auto& children = parent->Children();
    for (size_t a = 0; a < children.size(); ++a) {
      for (size_t b = a + 1; b < children.size(); ++b) {
        if (!children[a]->Visible() || !children[b]->Visible()) continue;
        ++pairs;
        EXPECT_TRUE(VGui::Intersection(children[a]->Bounds(), children[b]->Bounds()).Empty())
            << children[a]->Name() << " overlaps " << children[b]->Name();
      }
    }
  }
  EXPECT_GT(pairs, 500);
}

TEST(SkinLayoutTest, EveryLabelIsLegible) {
  EditorTree tree;
  std::vector<const VGui::Ctrl*> showing;
  CollectShowing(*tree.mainPanel, showing);
  int labels = 0;
  for (const VGui::Ctrl* control : showing) {
    if (!dynamic_cast<const VGui::CtrlLabel*>(control)) continue;
    ++labels;
    EXPECT_GE(control->CurrentStyle().font.size, 9.0f) << control->Name();
    EXPECT_GE(control->Bounds().height, 11) << control->Name();
  }
  EXPECT_GT(labels, 50);
}

}  // namespace
