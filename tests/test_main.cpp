// Test entry point: keeps every test away from the user's real folders and preferences.
#include <gtest/gtest.h>

#include "support/Log.h"
#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  VFoundation::UseTemporaryUserFolders();
  const int result = RUN_ALL_TESTS() == 0 ? 0 : 1;
  // A test that started the run-time log may leave it running; a Windows process that exits with
  // the writer thread still waiting hangs under Wine, so the log is always ended here.
  VFoundation::RuntimeLog::StopForUnload();
  return result;
}
