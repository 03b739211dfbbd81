// Tests of the typed-text helpers: blanks, case, word replacement and the leading number.
#include "support/TextHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace VFoundation {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TextHelpers, BlanksAndCase) {
  for (const char c : std::string(" \t\n\r\f\v")) EXPECT_TRUE(IsBlank(c)) << int(c);
  for (const char c : std::string("a0_.\xC2")) EXPECT_FALSE(IsBlank(c)) << int(c);
  EXPECT_EQ(ToUpperAscii('a'), 'A');
  EXPECT_EQ(ToUpperAscii('Z'), 'Z');
  EXPECT_EQ(ToLowerAscii('Q'), 'q');
  EXPECT_EQ(ToLowerAscii('\xC3'), '\xC3');
  EXPECT_EQ(TrimmedLowerCase(" \t2 KHz\n"), "2 khz");
  EXPECT_EQ(TrimmedLowerCase("-\xE2\x88\x9E"
                             "dB"),
            "-\xE2\x88\x9E"
            "db");
  EXPECT_EQ(TrimmedLowerCase(" \v "), "");
}

TEST(TextHelpers, ReplaceAllReplacesEveryOccurrence) {
  struct Case {
    std::string text, word, with, expected;
  };
  const Case cases[] = {{"1 bars 2 bars", "bars", " ", "1   2  "},
                        {"aaa", "aa", "b", "ba"},
                        {"50%", "%", "", "50"},
                        {"abc", "", "x", "abc"},
                        {"", "a", "b", ""}};
  for (const Case& c : cases) {
    std::string text = c.text;
    ReplaceAll(text, c.word, c.with);
    EXPECT_EQ(text, c.expected) << c.text;
  }
}

struct ScanCase {
  const char* text;
  double value;
  size_t length;
  bool outOfRange;
};

TEST(TextHelpers, ScanLeadingNumberReportsWhatItRead) {
  const ScanCase cases[] = {
      {"12.5", 12.5, 4, false}, {"  +12.5 Hz", 12.5, 7, false}, {"-3e2x", -300.0, 4, false},
      {".5", 0.5, 2, false},    {"-inf", -kInf, 4, false},      {"infinity", kInf, 8, false},
      {"1e999", kInf, 5, true}, {"-1e999", -kInf, 6, true},     {"1e-999", 0.0, 6, true},
      {"", 0.0, 0, false},      {"abc", 0.0, 0, false},         {"Hz 12", 0.0, 0, false},
      {"+", 0.0, 0, false},     {"++1", 0.0, 0, false},
  };
  for (const ScanCase& c : cases) {
    const LeadingNumber number = ScanLeadingNumber(c.text);
    EXPECT_EQ(number.value, c.value) << c.text;
    EXPECT_EQ(number.length, c.length) << c.text;
    EXPECT_EQ(number.outOfRange, c.outOfRange) << c.text;
  }
  EXPECT_TRUE(std::isnan(ScanLeadingNumber("nan").value));
  EXPECT_EQ(ScanLeadingNumber("nan").length, 3u);
}

TEST(TextHelpers, ReadLeadingNumberKeepsInfinitiesAndRefusesTheRest) {
  EXPECT_EQ(ReadLeadingNumber("12.5"), 12.5);
  EXPECT_EQ(ReadLeadingNumber("  +12.5 Hz"), 12.5);
  EXPECT_EQ(ReadLeadingNumber("-3e2x"), -300.0);
  EXPECT_EQ(ReadLeadingNumber(".5"), 0.5);
  EXPECT_EQ(ReadLeadingNumber("-inf"), -kInf);
  EXPECT_FALSE(ReadLeadingNumber(""));
  EXPECT_FALSE(ReadLeadingNumber("abc"));
  EXPECT_FALSE(ReadLeadingNumber("Hz 12"));
  EXPECT_FALSE(ReadLeadingNumber("nan"));
  EXPECT_FALSE(ReadLeadingNumber("+"));
  EXPECT_FALSE(ReadLeadingNumber("1e999"));
  EXPECT_FALSE(ReadLeadingNumber("1e-999"));
}

}  // namespace
}  // namespace VFoundation
