// The plug-in's folders: all user folders below TAVO_USER_ROOT, preferences that move them.
#include "support/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/LibraryHooks.h"
#include "support/Options.h"
#include "support/platform/Platform.h"

namespace VApplication {
namespace {

namespace fs = std::filesystem;

fs::path UserRoot() {
  const char* root = std::getenv("TAVO_USER_ROOT");
  return root ? fs::path(root) : fs::path();
}

class PathsTest : public testing::Test {
 protected:
  void SetUp() override {
    Options::SetProductKey("Software\\Quorvanta\\Tavo");
    Options::WriteString("InstallPath", "");
    Options::WriteString("LocalDocumentsPath", "");
  }
  void TearDown() override { SetUp(); }
};

TEST_F(PathsTest, UserFoldersLiveBelowTheTestRoot) {
  const fs::path root = UserRoot();
  ASSERT_FALSE(root.empty());
  const fs::path product = fs::path("Quorvanta") / "Tavo";
  EXPECT_EQ(Paths::GetLocalDocumentsPath(), root / "Documents" / product);
  EXPECT_EQ(Paths::GetApplicationDataPath(), root / "AppData" / product);
  EXPECT_EQ(Paths::GetDefaultPresetFile(),
            root / "AppData" / product / "System" / "DefaultPreset.tavo");
  EXPECT_EQ(Paths::GetUserPresetsPath(), root / "Documents" / product / "Presets");
  EXPECT_TRUE(fs::is_directory(Paths::GetUserPresetsPath()));
  EXPECT_EQ(Paths::GetTemporaryPath(), root / "AppData" / product / "Temp");
  EXPECT_TRUE(fs::is_directory(Paths::GetTemporaryPath()));
}

TEST_F(PathsTest, InstallPathComesFromThePreferenceOrThePlatform) {
#ifdef _WIN32
  EXPECT_EQ(Paths::GetInstallPath().filename(), "Tavo");
  EXPECT_EQ(Paths::GetInstallPath().parent_path().filename(), "Quorvanta");
#else
  EXPECT_EQ(Paths::GetInstallPath(), VFoundation::ModuleFilePath().parent_path());
#endif
  const fs::path install = UserRoot() / Paths::FromUtf8("Programme \xC3\xA9");
  ASSERT_TRUE(Options::WriteString("InstallPath", Paths::ToUtf8(install)));
  EXPECT_EQ(Paths::GetInstallPath(), install);
  EXPECT_EQ(Paths::GetFactoryPresetsPath(), install / "System" / "Presets");
  EXPECT_EQ(Paths::GetResourcesPath(), install / "Resources");
}

TEST_F(PathsTest, LocalDocumentsPreferenceMovesTheUserPresets) {
  const fs::path documents = UserRoot() / "Elsewhere";
  ASSERT_TRUE(Options::WriteString("LocalDocumentsPath", Paths::ToUtf8(documents)));
  EXPECT_EQ(Paths::GetLocalDocumentsPath(), documents);
  EXPECT_EQ(Paths::GetUserPresetsPath(), documents / "Presets");
  EXPECT_TRUE(fs::is_directory(documents / "Presets"));
}

TEST_F(PathsTest, ProductFolderFollowsTheKeyAndNeverClimbsOut) {
  const std::pair<const char*, fs::path> cases[] = {
      {"Software\\Quorvanta\\Tavo", fs::path("Quorvanta") / "Tavo"},
      {"software\\Maker\\Product", fs::path("Maker") / "Product"},
      {"Software\\..\\..\\etc", fs::path("etc")},
      {"Software\\C:\\Windows", fs::path("Windows")},
      {"", fs::path("Quorvanta") / "Tavo"},
  };
  for (const auto& [key, folder] : cases) {
    Options::SetProductKey(key);
    EXPECT_EQ(Paths::GetProductFolder(), folder) << key;
  }
}

#ifndef _WIN32
// Restores one environment variable when the test ends.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old) old_ = old;
    hadValue_ = old != nullptr;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (hadValue_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool hadValue_ = false;
};

TEST(PathsLinux, DocumentsFolderFollowsTheDesktopsUserDirs) {
  namespace Platform = VFoundation::Platform;
  const fs::path root = UserRoot() / "xdg";
  fs::create_directories(root / "config");
  ScopedVariable home("HOME", (root / "home").c_str());
  ScopedVariable config("XDG_CONFIG_HOME", (root / "config").c_str());
  ScopedVariable documents("XDG_DOCUMENTS_DIR", nullptr);

  EXPECT_EQ(Platform::UserFolderPath(Platform::UserFolder::kDocuments),
            root / "home" / "Documents");
  EXPECT_EQ(Platform::UserFolderPath(Platform::UserFolder::kApplicationData), root / "config");
  {
    std::ofstream dirs(root / "config" / "user-dirs.dirs");
    dirs << "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
         << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
  }
  EXPECT_EQ(Platform::UserFolderPath(Platform::UserFolder::kDocuments),
            root / "home" / "Dokumente");
  {
    ScopedVariable relative("XDG_CONFIG_HOME", "relative/config");  // ignored: not absolute
    EXPECT_EQ(Platform::UserFolderPath(Platform::UserFolder::kApplicationData),
              root / "home" / ".config");
  }
  ScopedVariable explicitDocuments("XDG_DOCUMENTS_DIR", (root / "Docs").c_str());
  EXPECT_EQ(Platform::UserFolderPath(Platform::UserFolder::kDocuments), root / "Docs");
}
#endif

TEST(PathsText, Utf8RoundTrips) {
  const std::string text = "Pr\xC3\xA9sets/\xE2\x99\xAB Drums";
  EXPECT_EQ(Paths::ToUtf8(Paths::FromUtf8(text)), text);
}

}  // namespace
}  // namespace VApplication
