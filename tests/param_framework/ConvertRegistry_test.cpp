// Converters created from their class names, and the shared instances' life.
#include "param_framework/ConvertRegistry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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

}  // namespace
}  // namespace VDSP
