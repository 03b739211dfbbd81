// The module's own file, as the library hooks find it.
#include "support/LibraryHooks.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace VFoundation {
namespace {

TEST(Module, FileIsThisTestProgram) {
  const std::filesystem::path module = ModuleFilePath();
  ASSERT_FALSE(module.empty());
  EXPECT_TRUE(std::filesystem::exists(module));
  EXPECT_EQ(module.stem(), "tavo_support_tests");
  EXPECT_TRUE(std::filesystem::equivalent(module, ProcessExecutablePath()));
}

}  // namespace
}  // namespace VFoundation
