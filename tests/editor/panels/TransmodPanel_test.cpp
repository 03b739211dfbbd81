// The Transmod selector: source selection, the used-source styles, the source menu and its
// messages.
#include "editor/TransmodPanel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/gui/SkinSet.h"
#include "tests/editor/panels/PanelTestKit.h"

namespace {

using PanelTestKit::EditorTree;

class Delegate : public ITransmodDelegate {
 public:
  void SelectedSourceChanged(int32_t source) override { told.push_back(source); }
  std::vector<int32_t> told;
};

TEST(TransmodPanelTest, OneSourceIsAlwaysSelected) {
  EditorTree tree;
  TransmodPanel* panel = tree.synth->Transmod();
  ASSERT_NE(panel, nullptr);
  Delegate delegate;
  panel->AddDelegate(&delegate);
  for (int32_t source = 0; source < TransmodPanel::kNumButtons; ++source) {
    ASSERT_NE(panel->SourceButton(source), nullptr) << source;
  }
  panel->SourceButton(7)->SetValue(1.0f, true);
  panel->SourceButton(7)->SetValue(0.0f, true);  // a second click on the selected source
  EXPECT_EQ(panel->SelectedSource(), 7);
  EXPECT_EQ(delegate.told, (std::vector<int32_t>{7, 7}));
  for (int32_t source = 0; source < TransmodPanel::kNumButtons; ++source) {
    EXPECT_EQ(panel->SourceButton(source)->Value(), source == 7 ? 1.0f : 0.0f) << source;
  }
  panel->RemoveDelegate(&delegate);
}

TEST(TransmodPanelTest, UsedSourcesTakeTheUsedStyle) {
  EditorTree tree;
  TransmodPanel* panel = tree.synth->Transmod();
  tree.plugin->Port().SetEditorAttached(true);
  tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameter,
                                         {int32_t(54), int32_t(4), 0.25f});
  tree.RunEngine();
  tree.plugin->Port().ProcessEditorMessages();
  for (int32_t source = 0; source < TransmodPanel::kNumButtons; ++source) {
    const std::string& style = panel->SourceButton(source)->CurrentStyle().name;
    EXPECT_EQ(style, source == 4 ? TransmodPanel::kUsedButtonStyle : TransmodPanel::kButtonStyle)
        << source;
  }
  tree.plugin->Port().PostMessageToSynth(MessageType::e_removeModDestinations, {int32_t(-1)});
  tree.RunEngine();
  tree.plugin->Port().ProcessEditorMessages();
  EXPECT_EQ(panel->SourceButton(4)->CurrentStyle().name, TransmodPanel::kButtonStyle);
}

struct MenuCase {
  int32_t source;
  bool used;
  std::vector<bool> enabled;  // uni-polar, bi-polar, remove destinations
  const char* removeText;
};

TEST(TransmodPanelTest, SourceMenuAndItsEnablement) {
  const MenuCase cases[] = {
      {0, false, {false, false, false}, "Remove all modulation destinations for Source"},
      {2, false, {true, true, false}, "Remove all modulation destinations for LFO1"},
      {2, true, {true, true, true}, "Remove all modulation destinations for LFO1"},
      {11, true, {true, true, true}, "Remove all modulation destinations for XY Y"},
  };
  for (const MenuCase& c : cases) {
    EditorTree tree;
    if (c.used) {
      tree.plugin->Port().PostMessageToSynth(MessageType::e_setFilterParameter,
                                             {int32_t(3), c.source, 0.5f});
      tree.RunEngine();
    }
    TransmodPanel* panel = tree.synth->Transmod();
    const VGui::Rect r = panel->SourceButton(c.source)->RootBounds();
    VGui::MouseEvent right;
    right.position = {r.x + 5, r.y + 5};
    right.button = VGui::MouseButton::kRight;
    tree.root.MouseDown(right);
    tree.root.MouseUp(right);
    EXPECT_TRUE(tree.root.PopupMenuOpen());
    const auto& items = panel->ContextMenu().Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, "Uni-polar modulator");
    EXPECT_TRUE(items[0].checked);  // every source starts unipolar
    EXPECT_EQ(items[1].text, "Bi-polar modulator");
    EXPECT_FALSE(items[1].checked);
    EXPECT_TRUE(items[2].separator);
    EXPECT_EQ(items[3].text, c.removeText);
    EXPECT_EQ((std::vector<bool>{items[0].enabled, items[1].enabled, items[3].enabled}), c.enabled)
        << c.source;
  }
}

TEST(TransmodPanelTest, CommandsPostTheirMessages) {
  EditorTree tree;
  TransmodPanel* panel = tree.synth->Transmod();
  const VGui::CommandEvent commands[] = {
      {TransmodPanel::kBipolar, int32_t(3), nullptr},
      {TransmodPanel::kUnipolar, int32_t(3), nullptr},
      {TransmodPanel::kRemoveSourceDestinations, int32_t(6), nullptr},
      {TransmodPanel::kRemoveAllDestinations, {}, nullptr},
  };
  for (const auto& command : commands) panel->CommandEvent(&command);
  panel->CommandEvent(nullptr);
  tree.RunEngine();
  const auto& seen = tree.recorder.seen;
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].type, MessageType::e_setModSourcePolarMode);
  EXPECT_EQ(seen[0].values[0].AsInt(), 3);
  EXPECT_FALSE(seen[0].values[1].AsBool());
  EXPECT_TRUE(seen[1].values[1].AsBool());
  EXPECT_TRUE(tree.plugin->Engine().IsUnipolar(3));  // bi-polar, then back
  EXPECT_EQ(seen[2].type, MessageType::e_removeModDestinations);
  EXPECT_EQ(seen[2].values[0].AsInt(), 6);
  EXPECT_EQ(seen[3].values[0].AsInt(), -1);
}

}  // namespace
