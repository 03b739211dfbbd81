// Preferences: stored text, fallbacks, product keys and concurrent writers.
#include "support/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/Paths.h"
#include "support/XmlDocument.h"

namespace VApplication {
namespace {

class OptionsTest : public testing::Test {
 protected:
  void SetUp() override { Options::SetProductKey("Software\\Quorvanta\\Tavo"); }
  void TearDown() override { Options::SetProductKey("Software\\Quorvanta\\Tavo"); }
};

TEST_F(OptionsTest, ValuesAreStoredAsText) {
  struct Case {
    const char* name;
    bool (*write)();
    const char* stored;
  };
  const Case cases[] = {
      {"ParamSlewTime", [] { return Options::WriteFloat("ParamSlewTime", 512.0); }, "512"},
      {"Ratio", [] { return Options::WriteFloat("Ratio", 0.1); }, "0.1"},
      {"Third", [] { return Options::WriteFloat("Third", 1.0 / 3.0); }, "0.3333333333333333"},
      {"DoubleClickMode", [] { return Options::WriteInteger("DoubleClickMode", -42); }, "-42"},
      {"MIDINumbering", [] { return Options::WriteBoolean("MIDINumbering", false); }, "false"},
      {"BindingsLocked", [] { return Options::WriteBoolean("BindingsLocked", true); }, "true"},
      {"InstallPath",
       [] { return Options::WriteString("InstallPath", "/opt/Quorvanta Tavo/\xC3\xA9"); },
       "/opt/Quorvanta Tavo/\xC3\xA9"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(c.write()) << c.name;
    EXPECT_EQ(Options::ReadString(c.name, "missing"), c.stored) << c.name;
  }
  EXPECT_EQ(Options::ReadFloat("ParamSlewTime", 0.0), 512.0);
  EXPECT_EQ(Options::ReadFloat("Third", 0.0), 1.0 / 3.0);
  EXPECT_EQ(Options::ReadInteger("DoubleClickMode", 0), -42);
  EXPECT_FALSE(Options::ReadBoolean("MIDINumbering", true));
  EXPECT_TRUE(Options::ReadBoolean("BindingsLocked", false));
}

TEST_F(OptionsTest, MissingOrUnreadableValuesAnswerTheFallback) {
  EXPECT_EQ(Options::ReadFloat("NeverWritten", 512.0), 512.0);
  EXPECT_EQ(Options::ReadInteger("NeverWritten", 7), 7);
  EXPECT_TRUE(Options::ReadBoolean("NeverWritten", true));
  EXPECT_EQ(Options::ReadString("NeverWritten", "fallback"), "fallback");

  ASSERT_TRUE(Options::WriteString("Garbled", "twelve"));
  EXPECT_EQ(Options::ReadFloat("Garbled", 1.5), 1.5);
  EXPECT_EQ(Options::ReadInteger("Garbled", 3), 3);
  EXPECT_FALSE(Options::ReadBoolean("Garbled", false));
  EXPECT_EQ(Options::ReadFloat(nullptr, 2.0), 2.0);
  EXPECT_FALSE(Options::WriteString("", "x"));
}

TEST_F(OptionsTest, BooleansReadTheUsualSpellings) {
  const std::pair<const char*, bool> cases[] = {{"True", true}, {"true", true}, {"Yes", true},
                                                {"yes", true},  {"1", true},    {"false", false},
                                                {"No", false},  {"0", false}};
  for (const auto& [text, expected] : cases) {
    ASSERT_TRUE(Options::WriteString("DeveloperRainbowMode", text));
    EXPECT_EQ(Options::ReadBoolean("DeveloperRainbowMode", !expected), expected) << text;
  }
}

TEST_F(OptionsTest, ProductKeysKeepTheirValuesApart) {
  ASSERT_TRUE(Options::WriteInteger("Shared", 1));
  Options::SetProductKey("Software\\Quorvanta\\OtherProduct");
  EXPECT_EQ(Options::ProductKey(), "Software\\Quorvanta\\OtherProduct");
  EXPECT_EQ(Options::ReadInteger("Shared", -1), -1);
  ASSERT_TRUE(Options::WriteInteger("Shared", 2));
  Options::SetProductKey("Software\\Quorvanta\\Tavo");
  EXPECT_EQ(Options::ReadInteger("Shared", -1), 1);
}

TEST_F(OptionsTest, ConcurrentWritersLoseNothing) {
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([t] {
      for (int i = 0; i < 20; ++i) {
        Options::WriteInteger(("Writer" + std::to_string(t) + "_" + std::to_string(i)).c_str(), i);
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 20; ++i) {
      EXPECT_EQ(Options::ReadInteger(
                    ("Writer" + std::to_string(t) + "_" + std::to_string(i)).c_str(), -1),
                i);
    }
  }
}

#ifndef _WIN32
TEST_F(OptionsTest, LinuxKeepsAnXmlFileInTheConfigurationFolder) {
  ASSERT_TRUE(Options::WriteFloat("ParamSlewTime", 256.5));
  const std::filesystem::path file = Paths::GetApplicationDataPath() / "Preferences.xml";
  VFoundation::XmlDocument document;
  ASSERT_TRUE(document.Load(file, "Preferences"));
  std::string stored;
  EXPECT_TRUE(document.Root().ReadString("ParamSlewTime", stored));
  EXPECT_EQ(stored, "256.5");
  // Names that XML cannot hold are refused rather than corrupting the file.
  EXPECT_FALSE(Options::WriteString("not a name", "x"));
  EXPECT_EQ(Options::ReadFloat("ParamSlewTime", 0.0), 256.5);
}
#endif

}  // namespace
}  // namespace VApplication
