// The fixed parameter table: keys, names, defaults, kinds and the enumerated item tables.
#include "plugin/ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <string_view>

namespace {

using namespace ParameterTable;

TEST(ParameterTableTest, Counts) {
  EXPECT_EQ(kNumFixedParameters, 60);
  EXPECT_EQ(kNumHostParameters, 62);
  EXPECT_EQ(kCompMode, 59);
  EXPECT_EQ(static_cast<int32_t>(kParameters.size()), kNumFixedParameters);
}

struct RowCase {
  int32_t index;
  const char* key;
  const char* shortName;
  const char* longName;
  float defaultValue;
};

TEST(ParameterTableTest, SpotRows) {
  const RowCase cases[] = {
      {kLFO1Rate, "LFO1Rate", "L1 Rate", "LFO 1 Rate", 0.5f},
      {kLFO1Swing, "LFO1Swing", "L1 Mrph", "LFO 1 Morph", 0.5f},
      {kLFO2Sync, "LFO2Sync", "L2 Sync", "LFO 2 Sync", 1.0f},
      {kEnvCurve, "EnvCurve", "Env Crv", "Envelope Curve", 0.1f},
      {kEnvVelRespond, "EnvVelRespond", "Env Vel", "Envelope responds to velocity", 0.0f},
      {kSandHSource, "SandHSource", "SH Src", "Sample and Hold Source", 0.0f},
      {kEnvFollowThresh, "EnvFollowThresh", "EVF Lev", "Envelope Follower Level", 0.5f},
      {kDriveAmount, "DriveAmount", "Dst Amt", "Distortion Amount", 0.0f},
      {kFilterLayout, "FilterLayout", "Paralle", "Filter Layout", 0.0f},
      {kFilterLink, "FilterLink", "Link", "Filter Freq Link", 0.0f},
      {kF1Cutoff, "F1Cutoff", "F1 Freq", "Filter 1 Freq", 1.0f},
      {kF1GainPost, "F1GainPost", "F1 Post", "Filter 1 Gain Post", 0.58f},
      {kF1FM, "F1FM", "F1 FM D", "Filter 1 FM Depth", 0.0f},
      {kF2Res, "F2Res", "F2 Rez", "Filter 2 Resonance", 0.0f},
      {kF2FMSource, "F2FMSource", "F2 FM S", "Filter 2 FM Source", 0.0f},
      {kF2Pan, "F2Pan", "F2 Pan", "Filter 2 Pan", 0.5f},
      {kGain, "Gain", "Gain", "Gain", 0.7937005f},
      {kComp, "Comp", "Comp", "Compression", 0.342499f},
      {kHPSC, "HPSC", "HPSC", "Hi-pass filter inputs 3+4", 0.0f},
      {kBypass, "Bypass", "Bypass", "Plugin Bypass", 1.0f},
      {kCompMode, "CompMode", "Co Mode", "Compressor Mode", 0.0f},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_STREQ(ParameterToString(c.index), c.key);
    EXPECT_STREQ(ParameterToUserString(c.index, true), c.shortName);
    EXPECT_STREQ(ParameterToUserString(c.index, false), c.longName);
    EXPECT_FLOAT_EQ(GetParameterDefaultValue(c.index), c.defaultValue);
  }
}

TEST(ParameterTableTest, OutsideTheTable) {
  for (const int32_t index : {-1, 60, 61, 62, 1000}) {
    EXPECT_STREQ(ParameterToString(index), "Unknown");
    EXPECT_STREQ(ParameterToUserString(index, true), "Unknown");
    EXPECT_STREQ(ParameterToUserString(index, false), "Unknown");
    EXPECT_EQ(GetParameterDefaultValue(index), 0.0f);
    EXPECT_EQ(Info(index), nullptr);
  }
}

TEST(ParameterTableTest, EveryRowIsWellFormed) {
  std::set<std::string> keys;
  for (int32_t index = 0; index < kNumFixedParameters; ++index) {
    const ParameterInfo& info = kParameters[static_cast<size_t>(index)];
    SCOPED_TRACE(info.key);
    EXPECT_TRUE(keys.insert(info.key).second) << "duplicate key";
    EXPECT_EQ(FindParameter(info.key), index);
    EXPECT_LE(std::string_view(info.shortName).size(), 7u);
    EXPECT_FALSE(std::string_view(info.shortName).empty());
    EXPECT_FALSE(std::string_view(info.longName).empty());
    EXPECT_GE(info.defaultValue, 0.0f);
    EXPECT_LE(info.defaultValue, 1.0f);
    const bool isSwitch = info.kind == Kind::kSyncSwitch || info.kind == Kind::kActiveSwitch ||
                          info.kind == Kind::kSwitch;
    EXPECT_EQ(isSwitch, info.items == 2);
    EXPECT_EQ(isSwitch, info.offWord != nullptr && info.onWord != nullptr);
  }
  EXPECT_EQ(FindParameter("Unknown"), -1);
  EXPECT_EQ(FindParameter("lfo1rate"), -1);
}

TEST(ParameterTableTest, RulesReferToTheRightCompanions) {
  EXPECT_EQ(kParameters[kLFO1Rate].companion, kLFO1Sync);
  EXPECT_EQ(kParameters[kLFO2Rate].companion, kLFO2Sync);
  EXPECT_EQ(kParameters[kSandHRate].companion, kSandHSync);
  EXPECT_EQ(kParameters[kF1Mode].companion, kF1Type);
  EXPECT_EQ(kParameters[kF2Mode].companion, kF2Type);
  EXPECT_EQ(kParameters[kEnvAttack].companion, 0);
  EXPECT_EQ(kParameters[kEnvHold].companion, 1);
  EXPECT_EQ(kParameters[kEnvDecay].companion, 2);
  EXPECT_EQ(kParameters[kF2Cutoff].kind, Kind::kCutoff);
  EXPECT_EQ(kParameters[kF2GainPre].kind, Kind::kStageGain);
  EXPECT_EQ(kParameters[kGain].kind, Kind::kOutputGain);
  EXPECT_EQ(kParameters[kDriveActive].kind, Kind::kActiveSwitch);
  EXPECT_EQ(kParameters[kSandHSync].kind, Kind::kSyncSwitch);
  EXPECT_EQ(kParameters[kCompMode].kind, Kind::kSwitch);
}

// Every parameter shown as items or a switch takes a new value at once; the rest glide.
TEST(ParameterTableTest, SteppedParametersAreTheItemsAndSwitches) {
  const std::set<int32_t> stepped = {
      kLFO1Sync,   kLFO2Sync,    kEnvVelRespond, kSandHSync,    kSandHSource, kEnvFollowSource,
      kDriveMode,  kDriveActive, kDrivePre,      kFilterLayout, kFilterLink,  kF1Active,
      kF1Mode,     kF1Type,      kF1FMSource,    kF2Active,     kF2Mode,      kF2Type,
      kF2FMSource, kHPSC,        kBypass,        kCompMode,
  };
  for (int32_t index = 0; index < kNumFixedParameters; ++index) {
    EXPECT_EQ(IsStepped(index), stepped.count(index) == 1) << ParameterToString(index);
  }
  for (const int32_t index : {-1, 60, 61}) EXPECT_FALSE(IsStepped(index)) << index;
}

struct ItemCase {
  float value;
  int32_t items;
  int32_t expected;
};

TEST(ParameterTableTest, ItemRounding) {
  const ItemCase cases[] = {
      {0.5f, 4, 2},   // filter type 0.5 is "Fatty": 1.5 + 0.5 = 2
      {0.5f, 10, 5},  // S.V.F mode 0.5 is item 5
      {0.49f, 2, 0},  // switches turn at 0.5
      {0.5f, 2, 1},          {1.0f / 3.0f, 4, 1}, {2.0f / 3.0f, 4, 2}, {9.0f / 21.0f, 22, 9},
      {1.0f, 22, 21},        {1.0f / 6.0f, 7, 1}, {-0.3f, 7, 0},       {1.7f, 7, 6},
      {std::nanf(""), 4, 0}, {0.7f, 1, 0},
  };
  for (const ItemCase& c : cases) {
    EXPECT_EQ(ItemFromValue(c.value, c.items), c.expected) << c.value << " of " << c.items;
  }
  EXPECT_FLOAT_EQ(ValueFromItem(9, 22), 9.0f / 21.0f);
  EXPECT_FLOAT_EQ(ValueFromItem(1, 7), 1.0f / 6.0f);
  EXPECT_FLOAT_EQ(ValueFromItem(1, 2), 1.0f);
  EXPECT_FLOAT_EQ(ValueFromItem(9, 4), 1.0f);
  EXPECT_FLOAT_EQ(ValueFromItem(3, 1), 0.0f);
  for (int32_t items = 2; items <= 22; ++items) {
    for (int32_t item = 0; item < items; ++item) {
      ASSERT_EQ(ItemFromValue(ValueFromItem(item, items), items), item);
    }
  }
}

TEST(ParameterTableTest, FilterTypesAndModes) {
  EXPECT_STREQ(kFilterTypes[0].display, "Japan");
  EXPECT_STREQ(kFilterTypes[1].display, "S.V.F");
  EXPECT_STREQ(kFilterTypes[2].display, "Fatty");
  EXPECT_STREQ(kFilterTypes[3].display, "Comb");
  EXPECT_EQ(FilterModeCount(0), 22);
  EXPECT_EQ(FilterModeCount(1), 10);
  EXPECT_EQ(FilterModeCount(2), 4);
  EXPECT_EQ(FilterModeCount(3), 2);
  EXPECT_EQ(FilterModeCount(9), 2);
  EXPECT_EQ(FilterTypeItem(0.5f), 2);
  EXPECT_STREQ(FilterModeName(0, 9), "2N + 2L (8ve)");
  EXPECT_STREQ(FilterModeName(0, 21), "2N + 2N (-8ve)");
  EXPECT_STREQ(FilterModeName(1, 5), "4 pole band pass (4B)");
  EXPECT_STREQ(FilterModeName(2, 3), "Notch");
  EXPECT_STREQ(FilterModeName(3, 1), "Positive");
  EXPECT_STREQ(FilterModeName(2, 40), "Notch");
  EXPECT_STREQ(FilterModeName(-1, -1), "2 pole low pass (2L)");
}

TEST(ParameterTableTest, DriveModesAndFMSources) {
  EXPECT_STREQ(kDriveModeNames[0], "Diode");
  EXPECT_STREQ(kDriveModeNames[1], "OTA");
  EXPECT_STREQ(kDriveModeNames[3], "Half rectifier");
  EXPECT_STREQ(kDriveModeNames[6], "Tannin");
  EXPECT_STREQ(kFMSourceNames[0], "LFO1");
  EXPECT_STREQ(kFMSourceNames[2], "IN1+2");
  EXPECT_STREQ(kFMSourceNames[3], "IN3+4");
}

}  // namespace
