// Every value converter over its table rows: text of a value in both forms, the value of that text
// read back, typed text, snapping and the drag step.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <string>

#include "param_framework/ConvertBeatSync.h"
#include "param_framework/ConvertDecimal.h"
#include "param_framework/ConvertEnum.h"
#include "param_framework/ConvertNote.h"
#include "param_framework/ConvertPitch.h"
#include "param_framework/ConvertRegistry.h"

namespace VDSP {
namespace {

// A value shown in the long and the short form, and the value the long-form text reads back as
// (the stored value itself unless the text loses something on purpose).
struct TextRow {
  const char* className;
  double value;
  const char* longText;
  const char* shortText;
  double readBack;
  double modeValue = 0.0;
};

struct TypedRow {
  const char* className;
  const char* text;
  double value;
};

std::string TextOf(const VDSPPortConvert& convert, double value, double mode, int precision) {
  char buffer[kWorkTextSize];
  convert.ValueToText(value, buffer, sizeof buffer, mode, precision);
  return buffer;
}

// Long-form texts carry at least seven significant digits.
void ExpectNearValue(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, 2e-7 * std::fmax(1.0, std::fabs(expected))) << what;
}

void ExpectRows(const VDSPPortConvert& convert, const TextRow& row) {
  const std::string what = std::string(row.className) + " at " + std::to_string(row.value);
  EXPECT_EQ(TextOf(convert, row.value, row.modeValue, kLongForm), row.longText) << what;
  EXPECT_EQ(TextOf(convert, row.value, row.modeValue, kShortForm), row.shortText) << what;
  ExpectNearValue(convert.TextToValue(row.longText), row.readBack, what + " read back");
}

void ExpectRows(std::span<const TextRow> rows) {
  for (const TextRow& row : rows) {
    const std::unique_ptr<VDSPPortConvert> convert = CreateConvert(row.className);
    ASSERT_NE(convert, nullptr) << row.className;
    ExpectRows(*convert, row);
  }
}

void ExpectTyped(std::span<const TypedRow> rows) {
  for (const TypedRow& row : rows) {
    const std::unique_ptr<VDSPPortConvert> convert = CreateConvert(row.className);
    ASSERT_NE(convert, nullptr) << row.className;
    ExpectNearValue(convert->TextToValue(row.text), row.value,
                    std::string(row.className) + " typed \"" + row.text + "\"");
  }
}

TEST(ConvertMembersTest, Decimals) {
  const TextRow rows[] = {
      {"VConvertFloat", 0.5, "0.50000000", "0.50", 0.5},
      {"VConvertFloat", -2.5, "-2.50000000", "-2.50", -2.5},
      {"VConvertFloat", 1e-9, "0", "0", 0.0},
      {"VConvertInt", 2.5, "3", "3", 3.0},
      {"VConvertInt", -2.5, "-3", "-3", -3.0},
      {"VConvertInt", 1e-9, "0", "0", 0.0},
      {"VConvertCube", 0.5, "0.12500000", "0.13", 0.5},
      {"VConvertCube", 20.0, "8.00000000 k", "8.00 k", 20.0},
      {"VConvertCube", 0.05, "0.12500000 m", "0.13 m", 0.05},
      {"VConvertCube", 1e-9, "0", "0", 0.0},
      {"VConvertDoubleLog", 0.0, "1.00000000", "1.00", 0.0},
      {"VConvertDoubleLog", 10.0, "1.02400000 k", "1.02 k", 10.0},
      {"VConvertDoubleScaled", 1500.0, "1.50000000 k", "1.50 k", 1500.0},
      {"VConvertDoubleScaledLog", 3.0, "8.00000000", "8.00", 3.0},
      {"VConvertResistance", 4700.0, "4.700000 k", "5 k", 4700.0},
      {"VConvertResistance", 100.0, "100.000000", "100", 100.0},
      {"VConvertResistanceLog", 10.0, "1.024000 k", "1 k", 10.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertFloat", " 1 2.5 ", 12.5},
      {"VConvertFloat", "abc", 0.0},
      {"VConvertInt", "7", 7.0},
      {"VConvertResistance", "4.7M", 4.7e6},
      {"VConvertResistance", "10m", 0.01},
      {"VConvertResistance", "2K", 2000.0},
      {"VConvertDoubleLog", "-5", std::log2(1e-24)},
  };
  ExpectTyped(typed);
}

TEST(ConvertMembersTest, ScaledNumbersTakeTheNodesScaleDecimalsAndSuffix) {
  VConvertDoubleScaled scaled;
  scaled.SetScale(1000.0f);
  scaled.SetExtraDecimals(1);
  scaled.SetUnitSuffix("Hz");
  ExpectRows(scaled, {"VConvertDoubleScaled", 2.5, "2.5000000 kHz", "2.5 kHz", 2.5});
  ExpectRows(scaled, {"VConvertDoubleScaled", 0.5, "500.0000000 Hz", "500.0 Hz", 0.5});
  EXPECT_DOUBLE_EQ(scaled.TextToValue("1.2 MHZ"), 1200.0);
  VConvertDoubleScaledLog log;
  log.SetScale(0.5f);
  ExpectRows(log, {"VConvertDoubleScaledLog", 4.0, "4.00000000", "4.00", 4.0});
  log.SetScale(0.0f);
  EXPECT_EQ(log.TextToValue("8"), 0.0);
}

TEST(ConvertMembersTest, Proportions) {
  const TextRow rows[] = {
      {"VConvertPercentage", 0.5, "50.000000 %", "50 %", 0.5},
      {"VConvertMix", 0.25, "75.000000:25.000000", "75:25", 0.25},
      {"VConvertPan", 0.25, "-50", "-50", 0.25},
      {"VConvertPan", 0.7, "+40", "+40", 0.7},
      {"VConvertPan", 0.5, "C", "C", 0.5},
      {"VConvertPan", 0.0, "L", "L", 0.0},
      {"VConvertPan", 1.2, "R", "R", 1.0},
      {"VConvertPan", std::nan(""), "C", "C", 0.5},
      {"VConvertAngle", 0.5, "180.000000 deg", "180 deg", 0.5},
      {"VConvertAngleSwitch", 0.25, "90.000000 deg", "90 deg", 0.25},
      {"VConvertAngleSwitch", -0.02, "0.000000 deg", "0 deg", 0.0},
      {"VConvertAngleSwitch", -0.1, "off", "off", -1.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertPan", "l", 0.0},           {"VConvertPan", "r", 1.0},
      {"VConvertPan", " c ", 0.5},         {"VConvertPan", "-100", 0.0},
      {"VConvertPercentage", "25%", 0.25}, {"VConvertMix", "100:0", 0.0},
      {"VConvertAngle", "90 DEG", 0.25},   {"VConvertAngleSwitch", "OFF", -1.0},
  };
  ExpectTyped(typed);
}

TEST(ConvertMembersTest, Levels) {
  const TextRow rows[] = {
      {"VConvertAmp", 0.0, "-oo dB", "-oo dB", 0.0},
      {"VConvertAmp", 1.0, "0.0000000 dB", "0.0 dB", 1.0},
      {"VConvertAmp", 2.0, "18.0617997 dB", "18.1 dB", 2.0},
      {"VConvertAmpLog", 0.0, "-0.1433436 dB", "-0.1 dB", 0.0},
      {"VConvertAmpLog", 3.0, "18.0440113 dB", "18.0 dB", 3.0},
      {"VConvertAmpLog", -10.0, "-oo dB", "-oo dB", -10.0},
      {"VConvertDecibel", -6.0, "-6.0000000 dB", "-6.0 dB", -6.0},
      {"VConvertDecibel", 30.0, "30.0000000 dB", "30.0 dB", 30.0},
      {"VConvertDecibel", -144.0, "-oo dB", "-oo dB", -144.0},
      {"VConvertDecibel", -200.0, "-oo dB", "-oo dB", -144.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertDecibel", "-00", -144.0},  {"VConvertDecibel", "-OO DB", -144.0},
      {"VConvertDecibel", "3db", 3.0},     {"VConvertDecibel", "", 0.0},
      {"VConvertAmp", "-oo", 0.0},         {"VConvertAmp", "0 dB", 1.0},
      {"VConvertAmpLog", "-oo dB", -10.0}, {"VConvertAmpLog", "+300 dB", 10.0},
  };
  ExpectTyped(typed);
}

TEST(ConvertMembersTest, Pitches) {
  const TextRow rows[] = {
      {"VConvertMidiKey", 69.0, " A5", " A5", 69.0},
      {"VConvertMidiKey", 70.0, "A#5", "A#5", 70.0},
      {"VConvertMidiKey", 60.4, " C5", " C5", 60.0},
      {"VConvertMidiKey", -1.0, " B-1", " B-1", -1.0},
      {"VConvertPitch", 0.0, " A5", " A5", 0.0},
      {"VConvertPitch", -1.0, " A4", " A4", -1.0},
      {"VConvertPitch", 1.0 / 12.0, "A#5", "A#5", 1.0 / 12.0},
      {"VConvertPitchRelative", 7.0 / 12.0, "+7.00000000 st", "+7.00 st", 7.0 / 12.0},
      {"VConvertPitchRelativeFine", -1.0 / 12.0, "-1.00000000 st", "-1.00 st", -1.0 / 12.0},
      {"VConvertScaleLog", 1.0, "+12.00000000 st", "+12.00 st", 1.0},
      {"VConvertPitchRelativeInteger", 0.5, "+6.000000 st", "+6 st", 0.5},
      {"VConvertPitchRelativeInteger", 0.0, "+0.000000 st", "+0 st", 0.0},
      {"VConvertPitchCube", 0.5, "+1.50000000 st", "+1.50 st", 0.5},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertMidiKey", "a5", 69.0},
      {"VConvertMidiKey", "C#4", 49.0},
      {"VConvertMidiKey", "60", 60.0},
      {"VConvertPitch", "A4", -1.0},
      {"VConvertPitch", "0.5", 0.5},
      {"VConvertPitchRelative", "3 hm", std::log2(3.0)},
      {"VConvertPitchRelative", "1/2HM", -1.0},
      {"VConvertPitchRelative", "-12 ST", -1.0},
      {"VConvertPitchRelative", "0 hm", std::log2(1e-10)},
      {"VConvertPitchRelativeInteger", "7 st", 7.0 / 12.0},
  };
  ExpectTyped(typed);
}

TEST(ConvertMembersTest, PitchScalesShowTheirOwnUnits) {
  VConvertPitchRelative harmonic;
  harmonic.SetScale(static_cast<int>(PitchScale::kHarmonic));
  ExpectRows(harmonic, {"Harmonic", std::log2(3.0), "3 hm", "3 hm", std::log2(3.0)});
  ExpectRows(harmonic, {"Harmonic", -1.0, "1/2 hm", "1/2 hm", -1.0});
  ExpectRows(harmonic, {"Harmonic", std::log2(2.5), "2.50000000 hm", "2.50 hm", std::log2(2.5)});
  VConvertPitchRelative just;
  just.SetScale(static_cast<int>(PitchScale::kJust));
  ExpectRows(just, {"Just", std::log2(1.5), "+7.01955001 st", "+7.02 st", std::log2(1.5)});
  just.SetScale(7);
  EXPECT_EQ(just.GetScale(), PitchScale::kJust);
  EXPECT_EQ(just.GetScaleList().GetItemCount(), 3);
  EXPECT_STREQ(just.GetScaleList().GetItemName(1), "Harmonic");
}

struct QuantiseRow {
  PitchScale scale;
  double value;
  double snapped;
};

TEST(ConvertMembersTest, RelativePitchSnapsToItsScale) {
  const QuantiseRow rows[] = {
      {PitchScale::kEqual, 0.55, 7.0 / 12.0},
      {PitchScale::kEqual, -0.04, 0.0},
      {PitchScale::kJust, 0.58, std::log2(1.5)},
      {PitchScale::kJust, 1.33, 1.0 + std::log2(1.25)},
      {PitchScale::kJust, 0.99, 1.0},
      {PitchScale::kJust, -0.42, -1.0 + std::log2(1.5)},
      {PitchScale::kHarmonic, 1.5, std::log2(3.0)},
      {PitchScale::kHarmonic, -1.2, -1.0},
      {PitchScale::kHarmonic, 0.1, 0.0},
  };
  VConvertPitchRelative relative;
  VConvertScaleLog scaleLog;
  for (const QuantiseRow& row : rows) {
    relative.SetScale(static_cast<int>(row.scale));
    scaleLog.SetScale(static_cast<int>(row.scale));
    EXPECT_NEAR(relative.QuantiseValue(row.value), row.snapped, 1e-12) << row.value;
    EXPECT_NEAR(scaleLog.QuantiseValue(row.value), row.snapped, 1e-12) << row.value;
  }
  EXPECT_EQ(VConvertPitchRelativeFine().QuantiseValue(0.1234), 0.1234);
  EXPECT_DOUBLE_EQ(VConvertPitchRelativeInteger().QuantiseValue(0.1), 1.0 / 12.0);
  EXPECT_DOUBLE_EQ(VConvertPitchRelativeInteger().QuantiseValue(-0.125), -2.0 / 12.0);
  EXPECT_TRUE(std::isnan(relative.QuantiseValue(std::nan(""))));
}

TEST(ConvertMembersTest, Frequencies) {
  const TextRow rows[] = {
      {"VConvertFrequency", 440.0, "440.00000000 Hz", "440.00 Hz", 440.0},
      {"VConvertFrequency", 1500.0, "1.50000000 kHz", "1.50 kHz", 1500.0},
      {"VConvertFrequencyTune", 12.5, "12.50000000", "12.50", 12.5},
      {"VConvertFrequencyLog", 9.0, "1.02400000 kHz", "1.02 kHz", 9.0},
      {"VConvertFrequencyCube", 0.1, "100.00000000 Hz", "100.00 Hz", 0.1},
      {"VConvertFrequencyCube", 0.0, "10000000000000.00000000 kHz", "10000000000000.00 kHz",
       std::cbrt(1e-17)},
      {"VConvertFrequencyPitch", 0.0, "800.00000000 Hz", "800.00 Hz", 0.0},
      {"VConvertFrequencyDetune", 0.0, "0.00000000 Hz", "0.00 Hz", 0.0},
      {"VConvertFrequencyDetune", 3.0, "1.75000000 Hz", "1.75 Hz", 3.0},
      {"VConvertFrequencyDetune", -3.0, "-1.75000000 Hz", "-1.75 Hz", -3.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertFrequency", "2 kHz", 2000.0},
      {"VConvertFrequency", "2KHZ", 2000.0},
      {"VConvertFrequency", "440hz", 440.0},
      {"VConvertFrequencyLog", "-5 Hz", std::log2(1e-10) - 1.0},
  };
  ExpectTyped(typed);
}

TEST(ConvertMembersTest, Times) {
  const TextRow rows[] = {
      {"VConvertTime", 0.5, "500.00000000 ms", "500.00 ms", 0.5},
      {"VConvertTime", 2.0, "2.00000000 s", "2.00 s", 2.0},
      {"VConvertTimeLog", 0.0, "500.00000000 ms", "500.00 ms", 0.0},
      {"VConvertTimeLog", 2.0, "2.00000000 s", "2.00 s", 2.0},
      {"VConvertTimeLogFine", 1.0, "1.00000000 s", "1.00 s", 1.0},
      {"VConvertTimeCube", 0.5, "1.25000000 s", "1.25 s", 0.5},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertTime", "0", 1e-8},
      {"VConvertTime", "250 MS", 0.25},
      {"VConvertTimeLog", "0", std::log2(1e-10) + 1.0},
      {"VConvertTimeLog", "1e30 s", std::log2(1e30) + 1.0},
      {"VConvertTimeLog", "1e99 s", std::log2(std::numeric_limits<float>::max()) + 1.0},
  };
  ExpectTyped(typed);
}

TEST(ConvertMembersTest, NoteLengths) {
  const TextRow rows[] = {
      {"VConvertBPM", 0.0, "1/4 note", "1/4 note", 0.0},
      {"VConvertBPM", -1.0, "1/8 note", "1/8 note", -1.0},
      {"VConvertBPM", std::log2(1.5), "3/8 note", "3/8 note", std::log2(1.5)},
      {"VConvertBPM", std::log2(0.75), "3/16 note", "3/16 note", std::log2(0.75)},
      {"VConvertBPM", std::log2(1.0 / 3.0), "1/12 note", "1/12 note", std::log2(1.0 / 3.0)},
      {"VConvertBPM", 2.0, "1 note", "1 note", 2.0},
      {"VConvertBPM", 4.0, "4 note", "4 note", 4.0},
      {"VConvertBPM", -8.0, "1/1024 note", "1/1024 note", -8.0},
      {"VConvertBPM", 0.3, "0.30778610 note", "0.31 note", 0.3},
      {"VConvertBPMCube", 0.5, "5/8 note", "5/8 note", 0.5},
      {"VConvertBeatDetune", 0.0, "1/4 note", "1/4 note", 0.0},
      {"VConvertBeatDetune", 3.0, "0.84089642 note", "0.84 note", 3.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertBPM", "1/16", -2.0}, {"VConvertBPM", "1/4 NOTE", 0.0},
      {"VConvertBPM", "0.5", 1.0},   {"VConvertBPM", "0", -8.0},
      {"VConvertBPM", "1000", 8.0},  {"VConvertBPMCube", "5/8", 0.5},
  };
  ExpectTyped(typed);
  EXPECT_EQ(TextOf(VConvertBPM(), 0.0, 0.0, kNumberOnly), "1/4");
}

TEST(ConvertMembersTest, EnumerationsAndTheSwitch) {
  VConvertEnum letters;
  letters.SetItem(0, "A", "Alpha");
  letters.SetItem(1, "B");
  letters.SetItem(2, "C", "Charlie");
  const TextRow rows[] = {
      {"Enum", 0.0, "Alpha", "A", 0.0},   {"Enum", 1.0, "B", "B", 1.0},
      {"Enum", 2.6, "Charlie", "C", 2.0}, {"Enum", -3.0, "Alpha", "A", 0.0},
      {"Enum", 1.5, "Charlie", "C", 2.0}, {"Enum", std::nan(""), "Alpha", "A", 0.0},
  };
  for (const TextRow& row : rows) ExpectRows(letters, row);
  EXPECT_EQ(letters.TextToValue(" charlie "), 2.0);
  EXPECT_EQ(letters.TextToValue("a"), 0.0);
  EXPECT_EQ(letters.TextToValue("1.4"), 1.4);
  EXPECT_EQ(letters.QuantiseValue(1.4), 1.0);
  EXPECT_EQ(letters.QuantiseValue(1.5), 2.0);
  EXPECT_EQ(letters.AdjustValue(5.0, 1.0), 0.75);
  EXPECT_EQ(letters.AdjustValue(10.0, 1.0), 1.0);
  EXPECT_FALSE(letters.SetItem(-1, "X"));
  EXPECT_EQ(letters.GetItemCount(), 3);
  EXPECT_EQ(TextOf(VConvertEnum(), 2.4, 0.0, kLongForm), "2");

  const TextRow switchRows[] = {
      {"VConvertSwitch", 0.7, "on", "on", 1.0},
      {"VConvertSwitch", 0.5, "on", "on", 1.0},
      {"VConvertSwitch", 0.2, "off", "off", 0.0},
  };
  ExpectRows(switchRows);
  const TypedRow typed[] = {
      {"VConvertSwitch", "On", 1.0},
      {"VConvertSwitch", "ONWARD", 1.0},
      {"VConvertSwitch", " O f f", 0.0},
      {"VConvertSwitch", "0.7", 0.7},
  };
  ExpectTyped(typed);
}

TEST(ConvertMembersTest, BeatSynchronisedMembersFollowTheirMode) {
  const TextRow rows[] = {
      {"VConvertTimeBeat", 0.0, "500.00000000 ms", "500.00 ms", 0.0, 0.0},
      {"VConvertTimeBeat", 0.0, "1/4 note", "1/4 note", 0.0, 1.0},
      {"VConvertTimeBeat", 0.0, "1/4 note", "1/4 note", 0.0, 0.6},
      {"VConvertTimeBeat", 0.0, "1/4 note", "1/4 note", 0.0, 7.0},
      {"VConvertTimeBeat", 0.0, "500.00000000 ms", "500.00 ms", 0.0, -3.0},
      {"VConvertTimeBeat", 0.0, "500.00000000 ms", "500.00 ms", 0.0, std::nan("")},
      {"VConvertTimeBeat", 8.0, "10000000000.00000000 s", "10000000000.00 s", 8.0, 0.0},
      {"VConvertTimeBeat", -9.0, "0.00000010 ms", "0.00 ms", -8.0, 0.0},
      {"VConvertTimeBeatCube", 0.5, "1.25000000 s", "1.25 s", 0.5, 0.0},
      {"VConvertTimeBeatCube", 0.5, "5/8 note", "5/8 note", 0.5, 1.0},
      {"VConvertFrequencyBeat", 1.0, "4.00000000 Hz", "4.00 Hz", 1.0, 0.0},
      {"VConvertFrequencyBeat", 1.0, "1/8 note", "1/8 note", 1.0, 1.0},
      {"VConvertFrequencyBeatCube", 0.1, "100.00000000 Hz", "100.00 Hz", 0.1, 0.0},
      {"VConvertFrequencyBeatCube", 0.1, "0.00500000 note", "0.01 note", 0.1, 1.0},
      {"VConvertFrequencyBeatDetune", 3.0, "1.75000000 Hz", "1.75 Hz", 3.0, 0.0},
      {"VConvertFrequencyBeatDetune", 3.0, "0.84089642 note", "0.84 note", 3.0, 1.0},
  };
  ExpectRows(rows);
  EXPECT_EQ(TextOf(VConvertTimeBeat(), 0.0, 1.0, kNumberOnly), "1/4");
  EXPECT_EQ(VConvertTimeBeat::Modes().GetItemCount(), 2);
  EXPECT_STREQ(VConvertTimeBeatCube::Modes().GetShortName(1), "BPM");
  EXPECT_STREQ(VConvertFrequencyBeat::Modes().GetShortName(0), "Freq");
  EXPECT_STREQ(VConvertFrequencyBeatDetune::Modes().GetShortName(1), "Beats");
}

struct PropertyRow {
  const char* className;
  const char* name;
  const char* description;
  double dragStep;
  int itemCount;
};

TEST(ConvertMembersTest, NamesDescriptionsDragStepsAndItemCounts) {
  constexpr double kDefault = 1.0 / 300.0;
  const PropertyRow rows[] = {
      {"VConvertFloat", "Decimal", "(decimal number)", kDefault, 0},
      {"VConvertInt", "Integer", "(integer)", kDefault, 0},
      {"VConvertCube", "Decimal", "(decimal number)", kDefault, 0},
      {"VConvertDoubleLog", "Decimal", "(decimal number)", kDefault, 0},
      {"VConvertDoubleScaled", "Decimal", "(decimal number)", kDefault, 0},
      {"VConvertDoubleScaledLog", "Decimal", "(decimal number)", kDefault, 0},
      {"VConvertAmp", "dB", "(0=-oodB 1=0dB 2=+18dB)", kDefault, 0},
      {"VConvertAmpLog", "dB", "()", kDefault, 0},
      {"VConvertDecibel", "Decibels", "(0=0 dB 30=+30 dB)", kDefault, 0},
      {"VConvertMidiKey", "MidiKey", "(69=A4 57=A3 70=A#4)", kDefault, 0},
      {"VConvertPitch", "Pitch", "(0=A4 -1=A3 +1/12=A#4)", kDefault, 0},
      {"VConvertPitchRelative", "Relative Pitch", "1=+12 st -1/12=-1st)", 0.002, 0},
      {"VConvertPitchRelativeInteger", "Relative Pitch Integer", "1=+12 st -1/12=-1st)", kDefault,
       0},
      {"VConvertPitchRelativeFine", "Relative Pitch Fine", "1=+12 st -1/12=-1st)", 0.001, 0},
      {"VConvertPitchCube", "Relative Pitch", "1=+12 st -1/12=-1st)", kDefault, 0},
      {"VConvertScaleLog", "Frequency", "(0=0 Hz 100=100 Hz)", 0.002, 0},
      {"VConvertResistance", "Resistance", "", kDefault, 0},
      {"VConvertResistanceLog", "Resistance Log", "", kDefault, 0},
      {"VConvertFrequency", "Frequency", "(0=0 Hz 100=100 Hz)", kDefault, 0},
      {"VConvertFrequencyTune", "Frequency Tune", "(0=0 Hz 100=100 Hz)", kDefault, 0},
      {"VConvertFrequencyLog", "Frequency", "(0=0 Hz 100=100 Hz)", kDefault, 0},
      {"VConvertFrequencyCube", "Frequency", "(0=0 Hz 100=100 Hz)", kDefault, 0},
      {"VConvertFrequencyPitch", "Frequency", "(0=0 Hz 100=100 Hz)", kDefault, 0},
      {"VConvertFrequencyDetune", "Frequency", "(0=0 Hz 100=100 Hz)", kDefault, 0},
      {"VConvertBeatDetune", "Frequency", "(0=0 Hz 100=100 Hz)", kDefault, 0},
      {"VConvertTime", "Time", "(0.001=1ms 1=1sec)", kDefault, 0},
      {"VConvertTimeLog", "Time", "(0.001=1ms 1=1sec)", kDefault, 0},
      {"VConvertTimeLogFine", "Time", "(0.001=1ms 1=1sec)", kDefault, 0},
      {"VConvertTimeCube", "Time", "(0.001=1ms 1=1sec)", kDefault, 0},
      {"VConvertBPM", "Note", "(0=1 Note -1=1/2 Note)", kDefault, 0},
      {"VConvertBPMCube", "Note", "(0=1 Note -1=1/2 Note)", kDefault, 0},
      {"VConvertPercentage", "Percentage", "(0=0% 0.5f=50% 1=100%)", kDefault, 0},
      {"VConvertMix", "WetMix", "(0=100/0 0.5f=50/50 1=0/100)", kDefault, 0},
      {"VConvertPan", "Pan", "(0=L 0.5f=C 1=R)", kDefault, 0},
      {"VConvertAngle", "Angle", "(0=0 0.5f=180 1=360)", kDefault, 0},
      {"VConvertAngleSwitch", "Angle", "(0=0 0.5f=180 1=360)", kDefault, 0},
      {"VConvertSwitch", "Switch", "(<=0.5f off,  >0.5f on)", kDefault * 5.0, 2},
      {"VConvertEnum", "Enum", "(enumerated list)", kDefault, 0},
      {"VConvertTimeBeat", "Time/Beat", "(seconds or beats)", kDefault, 0},
      {"VConvertTimeBeatCube", "Time/Beat Cube", "(seconds or beats)", kDefault, 0},
      {"VConvertFrequencyBeat", "Time/Beat", "(seconds or beats)", kDefault, 0},
      {"VConvertFrequencyBeatCube", "Time/Beat", "(seconds or beats)", kDefault, 0},
      {"VConvertFrequencyBeatDetune", "Freq/Beat", "(freq or beats)", kDefault, 0},
  };
  ASSERT_EQ(std::size(rows), ConvertClassNames().size());
  for (const PropertyRow& row : rows) {
    const std::unique_ptr<VDSPPortConvert> convert = CreateConvert(row.className);
    ASSERT_NE(convert, nullptr) << row.className;
    EXPECT_STREQ(convert->GetClassName(), row.className);
    EXPECT_STREQ(convert->GetConvertName(), row.name) << row.className;
    EXPECT_STREQ(convert->GetConvertDescription(), row.description) << row.className;
    EXPECT_DOUBLE_EQ(convert->GetDragStep(), row.dragStep) << row.className;
    EXPECT_EQ(convert->GetItemCount(), row.itemCount) << row.className;
    const bool enumerated = dynamic_cast<const VConvertEnum*>(convert.get()) != nullptr;
    EXPECT_DOUBLE_EQ(convert->AdjustValue(3.0, 0.25), enumerated ? 0.425 : 0.25) << row.className;
    EXPECT_EQ(convert->GetUnitCount(), 1) << row.className;
    EXPECT_STREQ(convert->GetUnitName(0), "Off") << row.className;
  }
}

TEST(ConvertMembersTest, EnumerationDragStepsShareFiveStepsOverShortLists) {
  const std::pair<int, double> cases[] = {
      {1, 1.0 / 300.0}, {2, 1.0 / 60.0}, {3, 1.0 / 120.0}, {10, 1.0 / 540.0}, {11, 1.0 / 300.0}};
  for (const auto& [count, step] : cases) {
    VConvertEnum list;
    for (int i = 0; i < count; ++i) list.SetItem(i, std::to_string(i));
    EXPECT_DOUBLE_EQ(list.GetDragStep(), step) << count;
  }
}

TEST(ConvertMembersTest, UnitListsKeepTheirOffItem) {
  VConvertFloat convert;
  EXPECT_EQ(convert.AddUnit("Hz"), 1);
  EXPECT_EQ(convert.GetUnitCount(), 2);
  EXPECT_EQ(convert.FindUnit("hz"), 1);
  EXPECT_TRUE(convert.SetUnitName(1, "kHz"));
  EXPECT_STREQ(convert.GetUnitName(1), "kHz");
  EXPECT_STREQ(convert.GetUnitName(5), "");
  convert.ResetUnits();
  EXPECT_EQ(convert.GetUnitCount(), 1);
  EXPECT_STREQ(convert.GetUnitName(0), "Off");
}

// Any text gives a value that is not NaN and any value a terminated text that fits the work
// buffer, for every member.
TEST(ConvertMembersTest, BadTextAndBadValuesGiveDefinedResults) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const std::string texts[] = {
      "",     "abc", "inf", "-inf", "nan",     std::string(200, '9'), "1e999", "-1e999",
      "\t\n", "%%%", "1/0", "-oo",  "A-99999", std::string(200, '-')};
  const double values[] = {std::nan(""), kInf, -kInf, 1e300, -1e300, 0.0, 1e-300, -1.0};
  for (const char* className : ConvertClassNames()) {
    const std::unique_ptr<VDSPPortConvert> convert = CreateConvert(className);
    for (const std::string& text : texts) {
      EXPECT_FALSE(std::isnan(convert->TextToValue(text))) << className << " \"" << text << '"';
      EXPECT_TRUE(std::isfinite(convert->TextToFloat(text))) << className << " \"" << text << '"';
    }
    for (const double value : values) {
      for (const int precision : {kShortForm, kLongForm, kNumberOnly}) {
        char buffer[8];
        std::memset(buffer, 'x', sizeof buffer);
        const int full = convert->ValueToText(value, nullptr, 0, value, precision);
        const int copied = convert->ValueToText(value, buffer, 6, value, precision);
        EXPECT_LE(full, kWorkTextSize - 1) << className << ' ' << value;
        EXPECT_EQ(copied, std::min(full, 5)) << className << ' ' << value;
        EXPECT_EQ(buffer[copied], '\0') << className << ' ' << value;
        EXPECT_EQ(buffer[6], 'x') << className << ' ' << value;
      }
    }
  }
}

}  // namespace
}  // namespace VDSP
