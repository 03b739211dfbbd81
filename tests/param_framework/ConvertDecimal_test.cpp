// The decimal converters: plain, integer, cubed, logarithmic and scaled numbers, and resistances.
#include "param_framework/ConvertDecimal.h"

#include <gtest/gtest.h>

#include <cmath>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertDecimalTest, Decimals) {
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

TEST(ConvertDecimalTest, ScaledNumbersTakeTheNodesScaleDecimalsAndSuffix) {
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

}  // namespace
}  // namespace VDSP
