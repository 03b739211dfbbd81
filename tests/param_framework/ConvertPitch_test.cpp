// The pitch converters: MIDI keys, absolute and relative pitch, and their scales.
#include "param_framework/ConvertPitch.h"

#include <gtest/gtest.h>

#include <cmath>

#include "param_framework/PitchScale.h"
#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertPitchTest, Pitches) {
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

TEST(ConvertPitchTest, PitchScalesShowTheirOwnUnits) {
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

TEST(ConvertPitchTest, RelativePitchSnapsToItsScale) {
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

}  // namespace
}  // namespace VDSP
