// Display texts and typed-text values of the fixed parameters.
#include "plugin/ParameterConvertor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "plugin/ParameterTable.h"

namespace {

using namespace ParameterTable;

ConvertorContext Free() {
  ConvertorContext context;
  context.lfo1Sync = 0.0f;
  context.lfo2Sync = 0.0f;
  context.sandHSync = 0.0f;
  return context;
}

ConvertorContext WithTypes(float type1, float type2) {
  ConvertorContext context;
  context.filter1Type = type1;
  context.filter2Type = type2;
  return context;
}

struct DisplayCase {
  int32_t index;
  float value;
  ConvertorContext context;
  const char* expected;
};

TEST(ParameterConvertorTest, DisplayTexts) {
  const ConvertorContext synced;
  const DisplayCase cases[] = {
      // Percent
      {kComp, 0.342499f, synced, "034%"},
      {kMix, 0.5f, synced, "050%"},
      {kMix, 1.0f, synced, "100%"},
      {kMix, 0.0f, synced, "000%"},
      {kF1Res, 0.29f, synced, "029%"},
      {kMix, std::nanf(""), synced, "000%"},
      {kMix, 3.0f, synced, "100%"},
      // Degrees
      {kLFO1Phase, 0.0f, synced, "000 degrees"},
      {kLFO1Phase, 0.25f, synced, "090 degrees"},
      {kLFO2Phase, 1.0f, synced, "360 degrees"},
      // Rate, free and synced, each after its own sync switch
      {kLFO1Rate, 0.0f, Free(), "0.25 Hz"},
      {kLFO1Rate, 0.5f, Free(), "16.00 Hz"},
      {kLFO1Rate, 1.0f, Free(), "1024.00 Hz"},
      {kLFO1Rate, 0.5f, synced, "1 bar"},
      {kLFO1Rate, 1.0f, synced, "1/64 bar (triplet)"},
      {kLFO2Rate, 0.0f, synced, "64 bars (dotted)"},
      {kSandHRate, 0.5f, Free(), "16.00 Hz"},
      {kSandHRate, 25.0f / 38.0f, synced, "1/4 bar"},
      // Cutoff
      {kF1Cutoff, 0.5f, synced, "440.00 Hz"},
      {kF1Cutoff, 0.75f, synced, "3.52 kHz"},
      {kF2Cutoff, 1.0f, synced, "28.16 kHz"},
      {kF2Cutoff, 0.25f, synced, "55.00 Hz"},
      // Stage gain
      {kF1GainPre, 0.0f, synced, "-oo dB"},
      {kF1GainPre, 0.5f, synced, "-6.31 dB"},
      {kF1GainPost, 0.58f, synced, "-1.37 dB"},
      {kF2GainPost, 1.0f, synced, "24.00 dB"},
      // Drive
      {kDriveAmount, 0.0f, synced, "0.00 dB"},
      {kDriveAmount, 1.0f, synced, "50.00 dB"},
      // Output gain
      {kGain, 1.0f, synced, "6.00dB"},
      {kGain, 0.7937005f, synced, "0.00dB"},
      {kGain, 0.7937f, synced, "-0.00dB"},  // a hair below 0 dB, rounded as printf rounds it
      {kGain, 0.5f, synced, "-12.04dB"},
      {kGain, 0.0f, synced,
       "-\xE2\x88\x9E"
       "dB"},
      {kGain, 0.01f, synced,
       "-\xE2\x88\x9E"
       "dB"},  // -114 dB is below the -100 dB floor
      // Pan
      {kF1Pan, 0.0f, synced, "100% L"},
      {kF1Pan, 0.25f, synced, " 50% L"},
      {kF1Pan, 0.5f, synced, "C"},
      {kF2Pan, 0.65f, synced, " 30% R"},
      {kF2Pan, 1.0f, synced, "100% R"},
      // Seconds
      {kEnvAttack, 0.0f, synced, "0.004 secs"},
      {kEnvHold, 0.0f, synced, "0.000 secs"},
      {kEnvHold, 1.0f, synced, "5.000 secs"},
      {kEnvDecay, 0.5f, synced, "1.771 secs"},
      {kEnvDecay, 1.0f, synced, "10.000 secs"},
      // Switches
      {kLFO1Sync, 1.0f, synced, "Beats"},
      {kSandHSync, 0.49f, synced, "Frequency"},
      {kEnvVelRespond, 1.0f, synced, "Scaled by velocity"},
      {kEnvVelRespond, 0.0f, synced, "Independent of velocity"},
      {kSandHSource, 0.0f, synced, "Noise Generator"},
      {kEnvFollowSource, 1.0f, synced, "In 3+4"},
      {kDriveActive, 0.0f, synced, "Bypassed"},
      {kDrivePre, 0.0f, synced, "Post"},
      {kDrivePre, 1.0f, synced, "Pre"},
      {kFilterLayout, 1.0f, synced, "Parallel"},
      {kFilterLink, 0.0f, synced, "Unlinked"},
      {kHPSC, 0.0f, synced, "Inactive"},
      {kBypass, 1.0f, synced, "Active"},
      {kCompMode, 0.5f, synced, "Hard"},
      // Filter type and mode, the mode read against its own slot's type
      {kF1Type, 0.0f, synced, "Japan"},
      {kF1Type, 1.0f / 3.0f, synced, "S.V.F"},
      {kF1Type, 0.5f, synced, "Fatty"},
      {kF2Type, 1.0f, synced, "Comb"},
      {kF1Mode, 9.0f / 21.0f, WithTypes(0.0f, 1.0f), "2N + 2L (8ve)"},
      {kF1Mode, 0.5f, WithTypes(1.0f / 3.0f, 0.0f), "4 pole band pass (4B)"},
      {kF2Mode, 0.5f, WithTypes(1.0f / 3.0f, 2.0f / 3.0f), "High pass"},
      {kF2Mode, 0.5f, WithTypes(0.0f, 1.0f), "Positive"},
      {kF2Mode, 0.49f, WithTypes(0.0f, 1.0f), "Negative"},
      // Drive mode and FM sources
      {kDriveMode, 1.0f / 6.0f, synced, "OTA"},
      {kDriveMode, 0.5f, synced, "Half rectifier"},
      {kDriveMode, 1.0f, synced, "Tannin"},
      {kF1FMSource, 0.0f, synced, "LFO1"},
      {kF1FMSource, 1.0f / 3.0f, synced, "LFO2"},
      {kF2FMSource, 2.0f / 3.0f, synced, "IN1+2"},
      {kF2FMSource, 1.0f, synced, "IN3+4"},
      // Outside the table
      {60, 0.5f, synced, "050%"},
      {-1, 0.25f, synced, "025%"},
  };
  for (const DisplayCase& c : cases) {
    SCOPED_TRACE(testing::Message() << ParameterToString(c.index) << " " << c.value);
    EXPECT_EQ(ParameterConvertor::ValueText(c.index, c.value, "", c.context), c.expected);
  }
}

TEST(ParameterConvertorTest, DisplayTextBeginsWithThePrefix) {
  const ConvertorContext context;
  EXPECT_EQ(ParameterConvertor::ValueText(kMix, 0.5f, "Mix: ", context), "Mix: 050%");
  EXPECT_EQ(ParameterConvertor::ValueText(kF1GainPre, 0.0f, "F1 Pre: ", context), "F1 Pre: -oo dB");
  EXPECT_EQ(ParameterConvertor::ValueText(kF1FMSource, 0.0f, "FM: ", context), "FM: LFO1");
  EXPECT_EQ(ParameterConvertor::ValueText(kF1Pan, 0.5f, "Pan ", context), "Pan C");
  EXPECT_EQ(ParameterConvertor::ValueText(kF1Pan, 0.5f, "100% ", context), "100% C");
}

struct TypedCase {
  int32_t index;
  const char* text;
  ConvertorContext context;
  std::optional<float> expected;
  float tolerance;
};

constexpr float kExact = 1e-6f;

TEST(ParameterConvertorTest, TypedTexts) {
  const ConvertorContext synced;
  ConvertorContext at96k;
  at96k.hostSampleRateHz = 96000.0f;
  ConvertorContext noRate;
  noRate.hostSampleRateHz = 0.0f;
  ConvertorContext nanRate;
  nanRate.hostSampleRateHz = std::nanf("");
  const std::optional<float> rejected;
  const TypedCase cases[] = {
      // Percent
      {kMix, "34", synced, 0.34f, kExact},
      {kMix, " 34% ", synced, 0.34f, kExact},
      {kMix, "150", synced, 1.0f, kExact},
      {kMix, "-5%", synced, 0.0f, kExact},
      {kMix, "loud", synced, rejected, 0.0f},
      {kMix, "", synced, rejected, 0.0f},
      // Degrees
      {kLFO1Phase, "90 degrees", synced, 0.25f, kExact},
      {kLFO1Phase, "90 DEGREES", synced, 0.25f, kExact},
      {kLFO1Phase, "720", synced, 1.0f, kExact},
      // Free rate
      {kLFO1Rate, "2000", Free(), 1.0f, kExact},
      {kLFO1Rate, "0.1", Free(), 0.0f, kExact},
      {kLFO1Rate, "4", Free(), 1.0f / 3.0f, kExact},
      {kLFO1Rate, "16.00 Hz", Free(), 0.5f, kExact},
      {kLFO2Rate, "1 kHz", Free(), 0.99715f, 1e-5f},  // 1000 Hz, not 1 Hz
      {kLFO2Rate, "0.5khz", Free(), 0.913815f, 1e-5f},
      {kSandHRate, "4 HZ", Free(), 1.0f / 3.0f, kExact},
      {kLFO1Rate, "fast", Free(), rejected, 0.0f},
      // Synced rate
      {kLFO1Rate, "1/4 bar", synced, 25.0f / 38.0f, kExact},
      {kLFO1Rate, "1/4t", synced, 26.0f / 38.0f, kExact},
      {kLFO2Rate, "2", synced, 16.0f / 38.0f, kExact},
      {kSandHRate, "16 bars (dotted)", synced, 6.0f / 38.0f, kExact},
      {kLFO1Rate, "1/4 BAR (DOTTED)", synced, 24.0f / 38.0f, kExact},
      {kLFO1Rate, "fast", synced, 0.0f, kExact},
      // Cutoff: at least 20 Hz, at most half the host rate
      {kF1Cutoff, "440", synced, 0.5f, kExact},
      {kF1Cutoff, "440 Hz", synced, 0.5f, kExact},
      {kF2Cutoff, "3.52 kHz", synced, 0.75f, kExact},
      {kF1Cutoff, "10", synced, 0.128382f, 1e-5f},
      {kF1Cutoff, "30000", synced, 0.970590f, 1e-5f},
      {kF1Cutoff, "30 khz", at96k, 1.0f, kExact},
      {kF1Cutoff, "bright", synced, rejected, 0.0f},
      // A host that reports no usable sample rate gets the ceiling of a 44100 Hz one.
      {kF1Cutoff, "30000", noRate, 0.970590f, 1e-5f},
      {kF1Cutoff, "10", noRate, 0.128382f, 1e-5f},
      {kF1Cutoff, "30000", nanRate, 0.970590f, 1e-5f},
      // Stage gain
      {kF1GainPre, "-6.31 dB", synced, 0.5f, 2e-4f},
      {kF1GainPre, "0 dB", synced, 0.602342f, 1e-5f},
      {kF1GainPost, "24", synced, 0.998776f, 1e-5f},
      {kF1GainPost, "100 db", synced, 0.998776f, 1e-5f},
      {kF1GainPre, "-oo dB", synced, 0.0f, kExact},
      {kF1GainPre, "-inf", synced, 0.0f, kExact},
      {kF1GainPre, "quiet", synced, rejected, 0.0f},
      // Output gain
      {kGain, "0 dB", synced, 0.7937005f, kExact},
      {kGain, "6.02dB", synced, 1.0f, 1e-4f},
      {kGain, "12", synced, 1.0f, 1e-4f},
      {kGain, "-12.04 dB", synced, 0.5f, 1e-4f},
      {kGain,
       "-\xE2\x88\x9E"
       "dB",
       synced, 0.0f, kExact},
      {kGain, "-oo", synced, 0.0f, kExact},
      // Drive
      {kDriveAmount, "50 dB", synced, 1.0f, 1e-5f},
      {kDriveAmount, "25", synced, 0.526305f, 1e-5f},
      {kDriveAmount, "0", synced, 0.0f, kExact},
      {kDriveAmount, "-10 dB", synced, 0.0f, kExact},
      {kDriveAmount, "80 dB", synced, 1.0f, kExact},
      // Pan
      {kF1Pan, "C", synced, 0.5f, kExact},
      {kF1Pan, "50% L", synced, 0.25f, kExact},
      {kF1Pan, "50%R", synced, 0.75f, kExact},
      {kF2Pan, "100 l", synced, 0.0f, kExact},
      {kF2Pan, "250 r", synced, 1.0f, kExact},
      {kF1Pan, "L", synced, 0.5f, kExact},
      {kF1Pan, "centre", synced, 0.5f, kExact},
      // A number without a side names no side: the centre.
      {kF1Pan, "-50", synced, 0.5f, kExact},
      {kF1Pan, "20", synced, 0.5f, kExact},
      {kF1Pan, "", synced, 0.5f, kExact},
      // Seconds
      {kEnvAttack, "0.004", synced, 0.0f, kExact},
      {kEnvAttack, "10 secs", synced, 1.0f, kExact},
      {kEnvDecay, "20", synced, 1.0f, kExact},
      {kEnvHold, "2.5 secs", synced, 0.757858f, 1e-5f},
      {kEnvHold, "0.25 secs", synced, 0.301709f, 1e-5f},
      // "secs" is the only unit: 250 ms reads as 250 seconds, beyond the longest hold.
      {kEnvHold, "250 ms", synced, 1.0f, kExact},
      {kEnvDecay, "1.771 secs", synced, 0.5f, 1e-4f},
      {kEnvDecay, "long", synced, rejected, 0.0f},
      // Sync switches
      {kLFO1Sync, "Beats", synced, 1.0f, kExact},
      {kLFO1Sync, "Frequency", synced, 0.0f, kExact},
      {kLFO2Sync, "yes", synced, 1.0f, kExact},
      {kLFO2Sync, "b", synced, 1.0f, kExact},
      {kSandHSync, "true", synced, 1.0f, kExact},
      {kSandHSync, "no", synced, 0.0f, kExact},
      {kSandHSync, "whatever", synced, 0.0f, kExact},
      {kLFO1Sync, "on", synced, 1.0f, kExact},
      {kLFO1Sync, "1", synced, 1.0f, kExact},
      {kLFO1Sync, "off", synced, 0.0f, kExact},
      // Active switches
      {kDriveActive, "Bypassed", synced, 0.0f, kExact},
      {kDriveActive, "Active", synced, 1.0f, kExact},
      {kF1Active, "no", synced, 0.0f, kExact},
      {kF1Active, "n", synced, 0.0f, kExact},
      {kF2Active, "false", synced, 0.0f, kExact},
      {kF2Active, "yes", synced, 1.0f, kExact},
      {kF2Active, "on", synced, 1.0f, kExact},
      {kF2Active, "off", synced, 0.0f, kExact},
      {kF2Active, "0", synced, 0.0f, kExact},
      // Word-only switches and FM sources take no typed text
      {kFilterLayout, "Parallel", synced, rejected, 0.0f},
      {kCompMode, "Hard", synced, rejected, 0.0f},
      {kBypass, "Active", synced, rejected, 0.0f},
      {kF1FMSource, "LFO2", synced, rejected, 0.0f},
      {60, "50", synced, rejected, 0.0f},
      {-1, "50", synced, rejected, 0.0f},
      // Filter type
      {kF1Type, "comb", synced, 1.0f, kExact},
      {kF1Type, "C", synced, 1.0f, kExact},
      {kF1Type, "Fatty", synced, 2.0f / 3.0f, kExact},
      {kF1Type, "f", synced, 2.0f / 3.0f, kExact},
      {kF2Type, "svf", synced, 1.0f / 3.0f, kExact},
      {kF2Type, "S.V.F", synced, 1.0f / 3.0f, kExact},
      {kF2Type, "s", synced, 1.0f / 3.0f, kExact},
      {kF2Type, "Japan", synced, 0.0f, kExact},
      {kF2Type, "xyz", synced, 0.0f, kExact},
      // The letters are looked for in the order c, svf, f, s: only the display text and "svf"
      // itself pick S.V.F, other spellings go by their letters.
      {kF2Type, "c svf", synced, 1.0f, kExact},
      {kF2Type, "s.v.f.", synced, 2.0f / 3.0f, kExact},
      {kF2Type, " s.v.f ", synced, 1.0f / 3.0f, kExact},
      // Filter mode against the slot's type
      {kF1Mode, "2N+2L(8ve)", WithTypes(0.0f, 1.0f), 9.0f / 21.0f, kExact},
      {kF1Mode, "2N+2L", WithTypes(0.0f, 1.0f), 17.0f / 21.0f, kExact},
      {kF1Mode, "2n + 2l (8ve)", WithTypes(0.0f, 1.0f), 9.0f / 21.0f, kExact},
      {kF1Mode, "1N + 2P", WithTypes(0.0f, 1.0f), 7.0f / 21.0f, kExact},
      // Keys are found as written, without blanks: this text holds "2N+2L" but not "2N+2L(8ve)".
      {kF1Mode, "2N+2L (8ve)", WithTypes(0.0f, 1.0f), 17.0f / 21.0f, kExact},
      {kF1Mode, "4L", WithTypes(0.0f, 1.0f), 1.0f / 21.0f, kExact},
      {kF1Mode, "nothing", WithTypes(0.0f, 1.0f), 0.0f, kExact},
      {kF1Mode, "4B", WithTypes(1.0f / 3.0f, 0.0f), 5.0f / 9.0f, kExact},
      {kF1Mode, "2 pole notch (2N)", WithTypes(1.0f / 3.0f, 0.0f), 6.0f / 9.0f, kExact},
      {kF1Mode, "Notch", WithTypes(2.0f / 3.0f, 0.0f), 1.0f, kExact},
      {kF1Mode, "h", WithTypes(2.0f / 3.0f, 0.0f), 2.0f / 3.0f, kExact},
      {kF2Mode, "+", WithTypes(0.0f, 1.0f), 1.0f, kExact},
      {kF2Mode, "positive", WithTypes(0.0f, 1.0f), 1.0f, kExact},
      {kF2Mode, "Negative", WithTypes(0.0f, 1.0f), 0.0f, kExact},
      {kF2Mode, "4B", WithTypes(0.0f, 1.0f / 3.0f), 5.0f / 9.0f, kExact},
      // Drive mode
      {kDriveMode, "ota", synced, 1.0f / 6.0f, kExact},
      {kDriveMode, "OTA", synced, 1.0f / 6.0f, kExact},
      {kDriveMode, "Half rectifier", synced, 0.5f, kExact},
      {kDriveMode, "halfrect", synced, 0.5f, kExact},
      {kDriveMode, "half rect", synced, 0.0f, kExact},  // not the key "halfrect"
      {kDriveMode, "op-amp", synced, 2.0f / 6.0f, kExact},
      {kDriveMode, "Tannin", synced, 1.0f, kExact},
      {kDriveMode, "zzz", synced, 0.0f, kExact},
  };
  for (const TypedCase& c : cases) {
    SCOPED_TRACE(testing::Message() << ParameterToString(c.index) << " \"" << c.text << "\"");
    const std::optional<float> value = ParameterConvertor::TextValue(c.index, c.text, c.context);
    ASSERT_EQ(value.has_value(), c.expected.has_value());
    if (value) {
      EXPECT_NEAR(*value, *c.expected, c.tolerance);
    }
  }
}

TEST(ParameterConvertorTest, FilterModeKeysAreTriedLongestFirst) {
  // Every key of type 0 typed alone selects its own mode, even where a shorter key hides in it.
  for (int32_t item = 0; item < 22; ++item) {
    EXPECT_EQ(ParameterConvertor::ConvertFilterMode(kJapanModes[item].key, 0), item)
        << kJapanModes[item].key;
  }
  for (int32_t item = 0; item < 10; ++item) {
    EXPECT_EQ(ParameterConvertor::ConvertFilterMode(kSvfModes[item].key, 1), item);
  }
  EXPECT_EQ(ParameterConvertor::ConvertFilterMode("2N+2P+2N(8ve)", 0), 14);
  EXPECT_EQ(ParameterConvertor::ConvertFilterMode("2N+2N(-8ve)", 0), 21);
  EXPECT_EQ(ParameterConvertor::ConvertFilterMode("+", 7), 1);  // type kept within Comb
}

// Whole numbers typed into the integer displays come back as typed, although the float that holds
// them may lie a hair below (53 % is 0.529999971).
TEST(ParameterConvertorTest, TypedWholeNumbersShowAsTyped) {
  const ConvertorContext context;
  char expected[32];
  for (int32_t n = 0; n <= 100; ++n) {
    const std::optional<float> percent =
        ParameterConvertor::TextValue(kMix, std::to_string(n), context);
    ASSERT_TRUE(percent.has_value());
    std::snprintf(expected, sizeof expected, "%03d%%", n);
    EXPECT_EQ(ParameterConvertor::ValueText(kMix, *percent, "", context), expected);
    for (const char* side : {"L", "R"}) {
      if (n == 0) continue;
      const std::string typed = std::to_string(n) + "% " + side;
      const std::optional<float> pan = ParameterConvertor::TextValue(kF1Pan, typed, context);
      ASSERT_TRUE(pan.has_value());
      std::snprintf(expected, sizeof expected, "%3d%% %s", n, side);
      EXPECT_EQ(ParameterConvertor::ValueText(kF1Pan, *pan, "", context), expected);
    }
  }
  for (int32_t n = 0; n <= 360; ++n) {
    const std::optional<float> degrees =
        ParameterConvertor::TextValue(kLFO1Phase, std::to_string(n), context);
    ASSERT_TRUE(degrees.has_value());
    std::snprintf(expected, sizeof expected, "%03d degrees", n);
    EXPECT_EQ(ParameterConvertor::ValueText(kLFO1Phase, *degrees, "", context), expected);
  }
}

// Display, type back, display again: the text a user sees reads back as itself.
TEST(ParameterConvertorTest, DisplayedTextsReadBackToThemselves) {
  const ConvertorContext contexts[] = {ConvertorContext{}, Free(), WithTypes(1.0f / 3.0f, 0.0f),
                                       WithTypes(2.0f / 3.0f, 1.0f)};
  for (const ConvertorContext& context : contexts) {
    for (int32_t index = 0; index < kNumFixedParameters; ++index) {
      const Kind kind = kParameters[static_cast<size_t>(index)].kind;
      // The cubic 2^x of these rules makes the inverse differ by up to 0.4 %: covered below.
      if (kind == Kind::kCutoff || kind == Kind::kStageGain ||
          (kind == Kind::kRate && context.ValueOf(kParameters[index].companion) < 0.5f)) {
        continue;
      }
      for (int32_t step = 0; step <= 200; ++step) {
        const float v = static_cast<float>(step) / 200.0f;
        const std::string text = ParameterConvertor::ValueText(index, v, "", context);
        const std::optional<float> back = ParameterConvertor::TextValue(index, text, context);
        if (!back) {
          ASSERT_TRUE(kind == Kind::kSwitch || kind == Kind::kFMSource) << ParameterToString(index);
          continue;
        }
        ASSERT_EQ(ParameterConvertor::ValueText(index, *back, "", context), text)
            << ParameterToString(index) << " at " << v;
      }
    }
  }
}

struct CloseCase {
  int32_t index;
  ConvertorContext context;
  float lo;
  float hi;
  float tolerance;
};

TEST(ParameterConvertorTest, ExponentialRulesReadBackClose) {
  const CloseCase cases[] = {
      {kLFO1Rate, Free(), 0.0f, 1.0f, 3e-3f},  // "0.27 Hz" is a 2 % step
      {kSandHRate, Free(), 0.0f, 1.0f, 3e-3f},
      // The 20 Hz floor and the 22050 Hz ceiling of typed cutoffs cut the ends.
      {kF1Cutoff, ConvertorContext{}, 0.13f, 0.97f, 1.2e-3f},  // "1.00 kHz" is a 0.5 % step
      // Near silence and at the 24 dB cap the dB text cannot say more.
      {kF1GainPre, ConvertorContext{}, 0.1f, 0.99f, 1e-3f},
  };
  for (const CloseCase& c : cases) {
    for (int32_t step = 0; step <= 200; ++step) {
      const float v = c.lo + (c.hi - c.lo) * static_cast<float>(step) / 200.0f;
      const std::string text = ParameterConvertor::ValueText(c.index, v, "", c.context);
      const std::optional<float> back = ParameterConvertor::TextValue(c.index, text, c.context);
      ASSERT_TRUE(back.has_value()) << text;
      EXPECT_NEAR(*back, v, c.tolerance) << ParameterToString(c.index) << " " << text;
    }
  }
}

TEST(ParameterConvertorTest, GarbageTextNeverEscapesTheRange) {
  uint32_t state = 12345u;
  const ConvertorContext context;
  for (int32_t trial = 0; trial < 3000; ++trial) {
    std::string text;
    const int32_t length = static_cast<int32_t>(state % 24u);
    for (int32_t i = 0; i < length; ++i) {
      state = state * 196314163u + 907633515u;
      text.push_back(static_cast<char>(state >> 24));
    }
    state = state * 196314163u + 907633515u;
    const int32_t index = static_cast<int32_t>(state % 64u) - 2;
    const std::optional<float> value = ParameterConvertor::TextValue(index, text, context);
    if (value) {
      ASSERT_GE(*value, 0.0f);
      ASSERT_LE(*value, 1.0f);
    }
  }
  for (const char* text : {"nan", "-nan", "inf", "1e999", "-1e999", "99999999999999999999999"}) {
    for (int32_t index = 0; index < kNumFixedParameters; ++index) {
      const std::optional<float> value = ParameterConvertor::TextValue(index, text, context);
      if (value) {
        ASSERT_FALSE(std::isnan(*value)) << text;
        ASSERT_GE(*value, 0.0f);
        ASSERT_LE(*value, 1.0f);
      }
    }
  }
}

TEST(ParameterConvertorTest, ContextFromEngineValues) {
  float values[kNumFixedParameters] = {};
  values[kLFO2Sync] = 1.0f;
  values[kF2Type] = 1.0f;
  const ConvertorContext context = ConvertorContext::FromValues(values, 48000.0f);
  EXPECT_EQ(context.lfo1Sync, 0.0f);
  EXPECT_EQ(context.lfo2Sync, 1.0f);
  EXPECT_EQ(context.filter2Type, 1.0f);
  EXPECT_EQ(context.hostSampleRateHz, 48000.0f);
  EXPECT_EQ(ParameterConvertor::ValueText(kLFO1Rate, 0.5f, "", context), "16.00 Hz");
  EXPECT_EQ(ParameterConvertor::ValueText(kLFO2Rate, 0.5f, "", context), "1 bar");
  EXPECT_EQ(ParameterConvertor::ValueText(kF2Mode, 1.0f, "", context), "Positive");
  EXPECT_EQ(ConvertorContext::FromValues(nullptr, 44100.0f).lfo1Sync, 1.0f);
}

}  // namespace
