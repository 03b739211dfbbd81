// Typed text as the converters read it: the leading number and unit words.
#include "param_framework/TypedText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace VDSP {
namespace {

constexpr double kFloatMax = std::numeric_limits<float>::max();

struct TypedCase {
  std::string text;
  double number;
};

TEST(TypedTextTest, ReadsTheLeadingNumberOfTheFirstSixtyThreeCharacters) {
  const TypedCase cases[] = {
      {" 1\t2 . 5\n", 12.5},
      {"+3.5abc", 3.5},
      {"-2e3", -2000.0},
      {"", 0.0},
      {"abc", 0.0},
      {"inf", 0.0},
      {"-infinity", 0.0},
      {"nan", 0.0},
      {"1e999", kFloatMax},
      {"-1e999", -kFloatMax},
      {"1e-999", 0.0},
      {"1e300", kFloatMax},
      {std::string(62, ' ') + "7", 7.0},
      {std::string(63, ' ') + "7", 0.0},
      {std::string(200, '9'), kFloatMax},
  };
  for (const TypedCase& c : cases) {
    EXPECT_EQ(TypedText(c.text).Number(), c.number) << '"' << c.text << '"';
  }
}

TEST(TypedTextTest, UnitWordsAreFoundWithoutRegardToCase) {
  TypedText typed(" 2.5 KhZ ");
  EXPECT_TRUE(typed.Contains("KHZ"));
  EXPECT_TRUE(typed.RemoveWord("KHZ"));
  EXPECT_EQ(typed.View(), "2.5");
  EXPECT_FALSE(typed.RemoveWord("KHZ"));
  EXPECT_TRUE(TypedText("Off").Equals("OFF"));
  EXPECT_TRUE(TypedText("o n").StartsWith("ON"));
  EXPECT_EQ(TypedText("4.7 k").NumberWithPrefix(), 4700.0);
  EXPECT_EQ(TypedText("3 / 16").Fraction(), 0.1875);
  EXPECT_EQ(TypedText("3/0").Fraction(), 3.0);
}

}  // namespace
}  // namespace VDSP
