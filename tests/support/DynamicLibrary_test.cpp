// Loading a shared library by name and finding its symbols.
#include "support/DynamicLibrary.h"

#include <gtest/gtest.h>

namespace VFoundation {
namespace {

TEST(DynamicLibrary, OpensASystemLibraryAndFindsASymbol) {
#ifdef _WIN32
  const char* name = "kernel32.dll";
  const char* symbol = "GetTickCount";
#else
  const char* name = "libm.so.6";
  const char* symbol = "cos";
#endif
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(name)) << library.Error();
  EXPECT_TRUE(library.IsOpen());
  EXPECT_NE(library.Symbol(symbol), nullptr);
  EXPECT_EQ(library.Symbol("NoSuchSymbolAnywhere"), nullptr);
  library.Close();
  EXPECT_FALSE(library.IsOpen());
  EXPECT_EQ(library.Symbol(symbol), nullptr);
}

TEST(DynamicLibrary, MissingFileFailsWithAReason) {
  DynamicLibrary library;
  EXPECT_FALSE(library.Open("no-such-library-anywhere.so"));
  EXPECT_FALSE(library.IsOpen());
  EXPECT_FALSE(library.Error().empty());
}

}  // namespace
}  // namespace VFoundation
