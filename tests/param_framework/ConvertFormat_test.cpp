// The converters' shared formatting helpers: decimals, key names, engineering prefixes, unit texts.
#include "param_framework/ConvertFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace VDSP {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct DecimalCase {
  double value;
  int decimals;
  bool forceSign;
  int size;
  const char* expected;
};

TEST(FormatDecimalTest, RoundsPadsSignsAndOverflows) {
  const DecimalCase cases[] = {
      {0.0, 0, true, 64, "+0"},
      {0.0, 2, false, 64, "0.00"},
      {0.5, 8, false, 64, "0.50000000"},
      {123.456, 1, false, 64, "123.5"},
      {0.05, 3, false, 64, "0.050"},
      {7.0, 2, true, 64, "+7.00"},
      // floor(v * 10^d + 0.5): halves go up, and a negative that rounds to zero loses its sign.
      {2.5, 0, false, 64, "3"},
      {-2.5, 0, false, 64, "-2"},
      {-0.004, 2, false, 64, "0.00"},
      {-0.006, 2, false, 64, "-0.01"},
      // More than 15 decimals are 15.
      {0.5, 20, false, 64, "0.500000000000000"},
      {1e12, 8, false, 64, "1000000000000.00000000"},
      // Digits that do not fit give the sign and "big", cut to the buffer.
      {12345.0, 0, false, 6, "12345"},
      {12345.0, 0, false, 5, "+big"},
      {-12345.0, 0, false, 5, "-big"},
      {12345.0, 0, true, 4, "+bi"},
      {1e70, 0, false, 64, "+big"},
      {kInf, 2, false, 64, "+big"},
      {-kInf, 2, false, 64, "-big"},
      {std::nan(""), 2, false, 64, "nan"},
      // A size of 1 holds only the terminator.
      {1.0, 0, false, 1, ""},
  };
  for (const DecimalCase& c : cases) {
    char buffer[80];
    std::memset(buffer, 'x', sizeof buffer);
    const int length = FormatDecimal(buffer, c.size, c.value, c.decimals, c.forceSign);
    EXPECT_STREQ(buffer, c.expected) << c.value << " with " << c.decimals << " in " << c.size;
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected))) << c.value;
  }
}

TEST(FormatDecimalTest, NullBufferAnswersTheLengthAndNoRoomWritesNothing) {
  EXPECT_EQ(FormatDecimal(nullptr, 0, -123.25, 2, false), 7);  // "-123.25"
  char buffer[4] = {'a', 'b', 'c', '\0'};
  EXPECT_EQ(FormatDecimal(buffer, 0, 1.0, 0, false), 0);
  EXPECT_STREQ(buffer, "abc");
  // A size beyond the work buffer is the work buffer: 63 characters at most.
  char wide[200];
  EXPECT_EQ(FormatDecimal(wide, 200, 1e55, 8, false), 4);
  EXPECT_STREQ(wide, "+big");
}

TEST(FormatDecimalTest, AppendingStopsAtSixtyThreeCharacters) {
  WorkText text;
  text.Append(std::string(60, 'a'));
  AppendDecimal(text, 12345.0, 0);
  EXPECT_EQ(text.Length(), 63);
  EXPECT_EQ(text.View().substr(60), "+bi");
}

struct KeyCase {
  double value;
  const char* name;
};

TEST(FormatKeyNameTest, NamesEveryKeyWithItsOctave) {
  const KeyCase cases[] = {{0.0, " C0"},         {1.0, "C#0"},   {11.0, " B0"},   {60.0, " C5"},
                           {69.0, " A5"},        {70.0, "A#5"},  {69.5, "A#5"},   {68.5, " A5"},
                           {127.0, " G10"},      {-1.0, " B-1"}, {-12.0, " C-1"}, {-13.0, " B-2"},
                           {std::nan(""), " C0"}};
  for (const KeyCase& c : cases) {
    WorkText text;
    FormatKeyName(text, c.value);
    EXPECT_EQ(text.View(), c.name) << c.value;
    double key = -1000.0;
    ASSERT_TRUE(ReadKeyName(c.name, key)) << c.name;
    EXPECT_EQ(key, std::isnan(c.value) ? 0.0 : std::round(c.value)) << c.name;
  }
  double key = 0.0;
  EXPECT_FALSE(ReadKeyName("H5", key));
  EXPECT_FALSE(ReadKeyName("A", key));
  EXPECT_FALSE(ReadKeyName("", key));
  EXPECT_FALSE(ReadKeyName("A99999999999", key));
}

struct PrefixCase {
  double value;
  double shown;
  const char* prefix;
};

TEST(EngineeringPrefixTest, ThousandsMillionsAndThousandths) {
  const PrefixCase cases[] = {{0.01, 0.01, ""},       {999.0, 999.0, ""}, {1000.0, 1.0, "k"},
                              {-47000.0, -47.0, "k"}, {2.5e6, 2.5, "M"},  {3e9, 3000.0, "M"},
                              {0.001, 1.0, "m"},      {0.0, 0.0, "m"},    {kInf, kInf, ""}};
  for (const PrefixCase& c : cases) {
    const Engineering shown = EngineeringPrefix(c.value);
    EXPECT_DOUBLE_EQ(shown.value, c.shown) << c.value;
    EXPECT_STREQ(shown.prefix, c.prefix) << c.value;
  }
  EXPECT_EQ(EngineeringFactor("k"), 1e3);
  EXPECT_EQ(EngineeringFactor("M"), 1e6);
  EXPECT_EQ(EngineeringFactor("m"), 1e-3);
  EXPECT_EQ(EngineeringFactor("x"), 1.0);
}

TEST(FormatTextTest, GainsFrequenciesAndTimesInBothForms) {
  struct Case {
    void (*format)(WorkText&, double, bool);
    double value;
    const char* longText;
    const char* shortText;
  };
  const auto frequency = [](WorkText& t, double v, bool l) { FormatFrequencyText(t, v, l); };
  const auto bare = [](WorkText& t, double v, bool l) { FormatFrequencyText(t, v, l, false); };
  const Case cases[] = {
      {FormatGainAsDecibels, 1.0, "0.0000000 dB", "0.0 dB"},
      {FormatGainAsDecibels, 0.5, "-6.0205999 dB", "-6.0 dB"},
      {FormatGainAsDecibels, 0.00001, "-oo dB", "-oo dB"},
      {FormatGainAsDecibels, std::nan(""), "-oo dB", "-oo dB"},
      {frequency, 999.994, "999.99400000 Hz", "999.99 Hz"},
      {frequency, 1000.0, "1.00000000 kHz", "1.00 kHz"},
      {bare, 1500.0, "1500.00000000", "1500.00"},
      {FormatTimeText, 0.5, "500.00000000 ms", "500.00 ms"},
      {FormatTimeText, 1.0, "1.00000000 s", "1.00 s"},
  };
  for (const Case& c : cases) {
    WorkText longText;
    WorkText shortText;
    c.format(longText, c.value, true);
    c.format(shortText, c.value, false);
    EXPECT_EQ(longText.View(), c.longText) << c.value;
    EXPECT_EQ(shortText.View(), c.shortText) << c.value;
  }
}

}  // namespace
}  // namespace VDSP
