// The control table and the small rules of the synth panel's controls.
#include "editor/ParameterControls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "plugin/ParameterTable.h"

namespace {

using namespace ParameterControls;

TEST(ParameterControlsTest, EveryParameterHasExactlyOneControl) {
  std::multiset<int32_t> parameters;
  std::set<std::string> names;
  for (const ControlRow& row : SynthControlRows()) {
    EXPECT_TRUE(names.insert(row.skinName).second) << row.skinName;
    if (row.id >= 0 && row.id < ParameterTable::kNumFixedParameters) parameters.insert(row.id);
  }
  for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
    EXPECT_EQ(parameters.count(index), 1u) << ParameterTable::ParameterToString(index);
  }
  EXPECT_EQ(SynthControlRows().size(), 71u);
}

TEST(ParameterControlsTest, RowsAreFoundByName) {
  struct Case {
    const char* name;
    const char* className;
    int32_t id;
    bool listened;
  };
  const Case cases[] = {
      {"Transmod", "TransmodPanel", 860, false},
      {"MasterVURight", "CtrlLevelStrip", 860, false},
      {"LFO1PWM", "SmartFader", ParameterTable::kLFO1Swing, true},
      {"OutputLevel", "SmartKnob", ParameterTable::kGain, true},
      {"LFO2Phase", "CtrlSlider", ParameterTable::kLFO2Phase, true},
      {"Filter2TypeLabel", "CtrlLabel", 369, false},
      {"SAndHSync", "CtrlButton", ParameterTable::kSandHSync, true},
      {"Filter2FMInputGroup", "CtrlComboBox", ParameterTable::kF2FMSource, true},
      {"LFO2Flasher", "SingleFlashButton", 660, true},
      {"MIDILearn", "CtrlButton", 1260, true},
  };
  for (const Case& c : cases) {
    const ControlRow* row = FindRow(c.name);
    ASSERT_NE(row, nullptr) << c.name;
    EXPECT_STREQ(row->className, c.className);
    EXPECT_EQ(row->id, c.id) << c.name;
    EXPECT_EQ(row->listened, c.listened) << c.name;
  }
  EXPECT_EQ(FindRow("Filter3Cutoff"), nullptr);
}

TEST(ParameterControlsTest, TwoStateWords) {
  struct Case {
    const char* name;
    bool on;
    const char* word;
  };
  const Case cases[] = {
      {"PrePostButton", true, "Pre"},
      {"PrePostButton", false, "Post"},
      {"CompMode", true, "Hard"},
      {"CompMode", false, "Soft"},
      {"SandHSource", true, "In 3+4"},
      {"SandHSource", false, "Noise Generator"},
      {"FollowSource", true, "In 3+4"},
      {"FollowSource", false, "In 1+2"},
      {"FilterLayout", true, "Parallel"},
      {"FilterLayout", false, "Serial"},
      {"FilterLink", true, "Linked"},
      {"FilterLink", false, "Unlinked"},
      {"EnvVel", true, "Scaled by velocity"},
      {"EnvVel", false, "Independent of velocity"},
  };
  for (const Case& c : cases) {
    const auto word = TwoStateWord(c.name, c.on);
    ASSERT_TRUE(word.has_value()) << c.name;
    EXPECT_EQ(*word, c.word) << c.name;
  }
  EXPECT_FALSE(TwoStateWord("LFO1Sync", true).has_value());
  EXPECT_FALSE(TwoStateWord("Filter1Cutoff", false).has_value());
}

TEST(ParameterControlsTest, FieldPlacement) {
  struct Case {
    VGui::Rect control;
    VGui::Rect expected;
  };
  const VGui::Size field{100, 20};
  const int panelWidth = 962;
  const Case cases[] = {
      {{400, 100, 40, 40}, {370, 110, 100, 20}},  // centred on the control
      {{6, 50, 36, 36}, {0, 58, 100, 20}},        // left edge: moved right to 0
      {{-40, 0, 20, 20}, {0, 0, 100, 20}},        // beyond the left edge
      {{940, 10, 2000, 20}, {961, 10, 100, 20}},  // left edge beyond the panel: moved left
      {{900, 300, 40, 40}, {870, 310, 100, 20}},  // right side kept: only the left edge counts
      {{10, -30, 20, 10}, {0, -35, 100, 20}},     // the top is not adjusted
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlaceFieldEditor(c.control, field, panelWidth), c.expected)
        << c.control.x << "," << c.control.y;
  }
}

TEST(ParameterControlsTest, MeterPositions) {
  struct Case {
    float level;
    float position;
  };
  const Case cases[] = {
      {1.0f, 0.8f},                                   // 0 dB
      {2.0f, 0.8f * std::exp(6.0206f * 0.0371908f)},  // +6 dB: about the top
      {0.5f, 0.8f * std::exp(-6.0206f * 0.0371908f)},
      {0.001f, 0.8f * std::exp(-60.0f * 0.0371908f)},
      {0.0f, 0.0f},
      {-1.0f, 0.0f},
      {1e-30f, 0.8f * float(std::exp(-600.0 * 0.03719083333333333))},
      {std::nanf(""), 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(MeterPosition(c.level), c.position, 1e-5f) << c.level;
  }
  EXPECT_NEAR(MeterPosition(2.0f), 1.0f, 0.002f);
}

}  // namespace
