// The proportion converters: percentages, the wet/dry mix, pan and angles.
#include "param_framework/ConvertProportion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertProportionTest, Proportions) {
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

}  // namespace
}  // namespace VDSP
