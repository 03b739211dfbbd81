// The enumeration converter and the switch.
#include "param_framework/ConvertEnum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertEnumTest, EnumerationsAndTheSwitch) {
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

TEST(ConvertEnumTest, EnumerationDragStepsShareFiveStepsOverShortLists) {
  const std::pair<int, double> cases[] = {
      {1, 1.0 / 300.0}, {2, 1.0 / 60.0}, {3, 1.0 / 120.0}, {10, 1.0 / 540.0}, {11, 1.0 / 300.0}};
  for (const auto& [count, step] : cases) {
    VConvertEnum list;
    for (int i = 0; i < count; ++i) list.SetItem(i, std::to_string(i));
    EXPECT_DOUBLE_EQ(list.GetDragStep(), step) << count;
  }
}

}  // namespace
}  // namespace VDSP
