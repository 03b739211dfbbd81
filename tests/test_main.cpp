// Test entry point: keeps every test away from the user's real folders and preferences.
#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  VFoundation::UseTemporaryUserFolders();
  return RUN_ALL_TESTS() == 0 ? 0 : 1;
}
