// Converters created from their class names, what every one of them answers, and the shared
// instances' life.
#include "param_framework/ConvertRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>

#include "param_framework/ConvertEnum.h"

namespace VDSP {
namespace {

TEST(ConvertRegistryTest, EveryClassNameCreatesAConverterOfThatClass) {
  std::set<std::string> seen;
  for (const char* className : ConvertClassNames()) {
    EXPECT_TRUE(seen.insert(className).second) << className << " twice";
    const std::unique_ptr<VDSPPortConvert> convert = CreateConvert(className);
    ASSERT_NE(convert, nullptr) << className;
    EXPECT_STREQ(convert->GetClassName(), className);
  }
  EXPECT_EQ(seen.size(), 43u);
  for (const char* unknown : {"", "VConvert", "vconvertfloat", "VDSPPortControlIn"}) {
    EXPECT_EQ(CreateConvert(unknown), nullptr) << unknown;
  }
}

TEST(ConvertLibraryTest, SharedInstancesLiveFromTheFirstStartToTheLastStop) {
  ASSERT_FALSE(ConvertLibrary::IsStarted());
  EXPECT_EQ(ConvertLibrary::Shared("VConvertFloat"), nullptr);

  ConvertLibrary::Start();
  ConvertLibrary::Start();
  const VDSPPortConvert* time = ConvertLibrary::Shared("VConvertTime");
  ASSERT_NE(time, nullptr);
  EXPECT_STREQ(time->GetClassName(), "VConvertTime");
  EXPECT_EQ(ConvertLibrary::Shared("VConvertTime"), time);
  // Classes without a standing instance get one on first request, and keep it.
  const VDSPPortConvert* fine = ConvertLibrary::Shared("VConvertPitchRelativeFine");
  ASSERT_NE(fine, nullptr);
  EXPECT_EQ(ConvertLibrary::Shared("VConvertPitchRelativeFine"), fine);
  EXPECT_EQ(ConvertLibrary::Shared("VConvertNothing"), nullptr);

  ConvertLibrary::Stop();
  EXPECT_TRUE(ConvertLibrary::IsStarted());
  EXPECT_EQ(ConvertLibrary::Shared("VConvertTime"), time);
  ConvertLibrary::Stop();
  EXPECT_FALSE(ConvertLibrary::IsStarted());
  EXPECT_EQ(ConvertLibrary::Shared("VConvertTime"), nullptr);
  ConvertLibrary::Stop();  // one Stop too many changes nothing
  EXPECT_FALSE(ConvertLibrary::IsStarted());
}

TEST(ConvertLibraryTest, TheDefaultControlConverterNeedsNoStart) {
  const VDSPPortConvert& convert = ConvertLibrary::DefaultControlConvert();
  EXPECT_STREQ(convert.GetClassName(), "VConvertFloat");
  EXPECT_EQ(&ConvertLibrary::DefaultControlConvert(), &convert);
}

struct PropertyRow {
  const char* className;
  const char* name;
  const char* description;
  double dragStep;
  int itemCount;
};

TEST(ConvertRegistryTest, NamesDescriptionsDragStepsAndItemCounts) {
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

// Any text gives a value that is not NaN and any value a terminated text that fits the work
// buffer, for every member.
TEST(ConvertRegistryTest, BadTextAndBadValuesGiveDefinedResults) {
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
