// The converter base: its unit list and the text of a value cut to a buffer.
#include "param_framework/VDSPPortConvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "param_framework/ConvertDecimal.h"
#include "param_framework/ConvertTime.h"

namespace VDSP {
namespace {

TEST(VDSPPortConvertTest, UnitListsKeepTheirOffItem) {
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

TEST(ValueToTextTest, CopiesCutToTheBufferAndAnswersTheFullLengthWithoutOne) {
  const VConvertTime time;
  char buffer[64];
  EXPECT_EQ(time.ValueToText(0.5, buffer, sizeof buffer, 0.0, kShortForm), 9);
  EXPECT_STREQ(buffer, "500.00 ms");
  EXPECT_EQ(time.ValueToText(0.5, buffer, 5, 0.0, kShortForm), 4);
  EXPECT_STREQ(buffer, "500.");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(time.ValueToText(0.5, buffer, 1, 0.0, kShortForm), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'x');
  EXPECT_EQ(time.ValueToText(0.5, buffer, 0, 0.0, kShortForm), 0);
  EXPECT_EQ(buffer[1], 'x');
  EXPECT_EQ(time.ValueToText(0.5, nullptr, 0, 0.0, kLongForm), 15);  // "500.00000000 ms"
}

TEST(FloatToTextTest, DecimalsOfSixOrMoreUseTheDefault) {
  const VConvertFloat convert;
  char buffer[64];
  const std::pair<int, const char*> cases[] = {
      {2, "-0.75"}, {0, "-1"}, {6, "-0.750000"}, {9, "-0.750000"}, {-1, "-0.750000"}};
  for (const auto& [decimals, expected] : cases) {
    convert.FloatToText(-0.75, buffer, sizeof buffer, decimals);
    EXPECT_STREQ(buffer, expected) << decimals;
  }
}

}  // namespace
}  // namespace VDSP
